// The ASF Header Object: what the layer reads from it (streams, file
// properties, typed attributes) and the objects it adds to a written file.
//
// FFmpeg's demuxer turns every attribute into a string and its muxer writes
// every attribute as a string, so the layer parses and writes the attribute
// objects itself: Content Description, Extended Content Description and,
// inside the Header Extension, Metadata and Metadata Library (stream 0).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/mediaruntime/wm_types.h"

namespace sondrel {

struct AsfStreamEntry {
  uint16_t number = 0;  // 1..127
  WmMajorType type = WmMajorType::kUnknown;
};

struct AsfNamedAttribute {
  std::string name;  // UTF-8
  uint16_t stream = 0;
  WmAttribute attribute;
};

struct AsfHeaderInfo {
  bool hasFileProperties = false;
  uint64_t playDuration = 0;  // 100-ns units, preroll included
  uint64_t preroll = 0;       // milliseconds
  uint32_t flags = 0;         // bit 0: broadcast, bit 1: seekable
  uint32_t maxBitrate = 0;
  std::vector<AsfStreamEntry> streams;  // in header order
  // Stored attributes in the order met: Content Description fields first
  // (those that are not empty), then the others.
  std::vector<AsfNamedAttribute> attributes;
};

inline constexpr uint32_t kAsfFlagBroadcast = 1;

// Bytes of the Header Object (GUID, 64-bit size, 32-bit count, 2 reserved).
inline constexpr size_t kAsfHeaderPrefix = 30;

// The header object's total size from its first bytes; 0 when the bytes do
// not start an ASF Header Object.
uint64_t AsfHeaderObjectSize(const uint8_t* data, size_t size);

// Parses a Header Object held in `data` (`size` may be shorter than the size
// the object claims: a truncated header yields what it holds). False when the
// bytes are not an ASF header at all. Never reads outside `data`.
bool ParseAsfHeader(const uint8_t* data, size_t size, AsfHeaderInfo& info);

// Reads the Header Object of a file (at most 16 MiB of it) and parses it.
bool ReadAsfHeader(const std::string& path, AsfHeaderInfo& info);

// Content Description and Extended Content Description objects holding the
// attributes of stream 0. Strings named "Title", "Author", "Copyright",
// "Description" and "Rating" go to the former, everything else to the
// latter. Empty when there is nothing to write. `objectCount` receives the
// number of objects built. False when an attribute cannot be stored (a GUID,
// or a value too long for its object).
bool BuildAttributeObjects(const std::vector<AsfNamedAttribute>& attributes,
                           std::vector<uint8_t>& objects, uint32_t& objectCount);

// Adds `objects` (`count` complete objects) at the end of the Header Object
// held in `header` (exactly one Header Object), fixing its size and object
// count and adding `fileSizeDelta` to the File Properties' file size. False
// when `header` is not a well-formed Header Object.
bool InsertHeaderObjects(std::vector<uint8_t>& header, const std::vector<uint8_t>& objects,
                         uint32_t count, uint64_t fileSizeDelta);

}  // namespace sondrel
