// Values shared by the Windows Media layer: call results, media types of
// streams and codec formats, and typed header attributes.
//
// These are the runtime's notions in plain C++: a media type is a value (no
// block to allocate or free), an attribute carries its type and its bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel {

// Result of a layer call.
enum class WmStatus {
  kOk,
  kNotFound,       // the asked attribute is not in the file
  kNoMoreSamples,  // the stream has ended
  kFailed,
};

enum class WmMajorType { kUnknown, kAudio, kVideo, kOther };

// Audio subtypes the layer tells apart; the wave format tag decides.
enum class WmSubtype { kUnknown, kPcm, kWMAudioV8, kWMAudioV9 };

inline constexpr uint16_t kWaveFormatPcm = 0x0001;
inline constexpr uint16_t kWaveFormatWMAudioV8 = 0x0161;  // what FFmpeg's wmav2 writes
inline constexpr uint16_t kWaveFormatWMAudioV9 = 0x0162;

// The subtype that belongs to a wave format tag.
WmSubtype SubtypeOfFormatTag(uint16_t formatTag);

// WAVEFORMATEX: 18 bytes plus `extra`.
struct WmWaveFormat {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  std::vector<uint8_t> extra;

  bool operator==(const WmWaveFormat&) const = default;
};

enum class WmFormatType { kNone, kWaveFormatEx };

struct WmMediaType {
  WmMajorType majorType = WmMajorType::kUnknown;
  WmSubtype subtype = WmSubtype::kUnknown;
  bool fixedSizeSamples = false;
  bool temporalCompression = false;
  uint32_t sampleSize = 0;
  WmFormatType formatType = WmFormatType::kNone;
  WmWaveFormat wave;  // meaningful with kWaveFormatEx

  // Size of the format block: 18 + extra bytes for a wave format, else 0.
  uint32_t FormatSize() const;
  bool operator==(const WmMediaType&) const = default;
};

// Attribute types, in the order of the runtime's data-type enumeration.
enum class WmAttrType { kDword, kString, kBinary, kBool, kQword, kWord, kGuid };

// A header attribute as stored: strings are UTF-16LE (a terminating null may
// or may not be included), numbers little-endian of their type's width.
struct WmAttribute {
  WmAttrType type = WmAttrType::kBinary;
  std::vector<uint8_t> value;

  static WmAttribute Text(std::string_view utf8, bool withTerminator = true);
  static WmAttribute Dword(uint32_t v);
  static WmAttribute Qword(uint64_t v);
  static WmAttribute Word(uint16_t v);
  static WmAttribute Bool(bool v);
  static WmAttribute Binary(std::vector<uint8_t> bytes);

  // The text of a string attribute up to its first null, as UTF-8.
  std::string AsText() const;
  // The value of a number of exactly this width (false for another type or
  // a value of the wrong length).
  bool AsDword(uint32_t& v) const;
  bool AsQword(uint64_t& v) const;

  bool operator==(const WmAttribute&) const = default;
};

// UTF-16LE bytes <-> UTF-8. Unpaired surrogates and invalid UTF-8 become
// U+FFFD; decoding stops at the first null unit or at the end.
std::string Utf16LeToUtf8(const uint8_t* data, size_t size);
std::vector<uint8_t> Utf8ToUtf16Le(std::string_view utf8);

}  // namespace sondrel
