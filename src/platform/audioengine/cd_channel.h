// CD audio tracks read through libcdio-paranoia. A ".cda" file is the 44-byte
// RIFF "CDDA" track file that names a track; the track is read from the CD
// device: the one named by the environment variable SONDREL_CD_DEVICE (a
// drive, or a CUE/BIN or other image libcdio opens), else the system's
// default drive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/audioengine/channel.h"

namespace sondrel::audioengine {

// The environment variable naming the CD device or image.
inline constexpr const char* kCdDeviceVariable = "SONDREL_CD_DEVICE";

// The fields of a ".cda" track file.
struct CdaTrack {
  int track = 0;
  uint32_t serial = 0;       // the disc's volume serial number
  uint32_t firstSector = 0;  // of the track, from the start of the disc
  uint32_t sectors = 0;      // the track's length

  bool operator==(const CdaTrack&) const = default;
};

// Parses a track file: exactly 44 bytes, RIFF "CDDA" with a 24-byte "fmt "
// chunk and a track number of 1..99.
std::optional<CdaTrack> ParseCdaFile(const uint8_t* data, size_t size);

std::unique_ptr<Channel> OpenCdChannel(const std::string& path, int& error);

}  // namespace sondrel::audioengine
