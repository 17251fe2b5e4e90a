// Finding DTS frames in bytes that may as well be plain PCM: what tells DTS
// carried as the sample data of a WAV file or a CD track from ordinary audio.
// A pure function over bytes (its fuzz target calls it directly).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sondrel {

// Consecutive frames that count as a DTS stream (random PCM never holds a
// chain of valid headers this long).
inline constexpr int kDtsFrameRun = 3;
// How far into a file FileHoldsDtsFrames looks: DTS in PCM starts at once or
// after a short silence.
inline constexpr size_t kDtsScanBytes = 4 << 20;

// Whether `data` holds kDtsFrameRun DTS core frames, each starting where the
// one before ends (or within one more frame's length after it), in one of the
// four forms a DTS stream takes: 16- or 14-bit words, big- or little-endian.
bool HoldsDtsFrames(const uint8_t* data, size_t size);

// The same over the first kDtsScanBytes of a file; false when it cannot be
// read.
bool FileHoldsDtsFrames(const std::string& path);

}  // namespace sondrel
