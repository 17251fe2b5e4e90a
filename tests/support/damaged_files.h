// Damaged sources for the tests of odd inputs: 20 s sources of every
// compressed family written through real encoders, bytes overwritten or cut
// off, and what the ffmpeg command line makes of a file (its decoded length,
// its decoding errors) to compare with.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace sondrel::test {

// The compressed families the damage tests cover.
enum class Family { Flac, Mp3, Ogg, WavPack, M4a };
const char* ExtensionOf(Family family);

// Writes `seconds` of stereo 44100 Hz test signal (tones over noise, so that
// every codec spends its bits evenly) as `family`; false when a writer fails.
bool WriteFamilyFile(const std::string& path, Family family, double seconds);

// Overwrites `count` bytes of `bytes` from `offset` on with random bytes.
void Scribble(std::string& bytes, size_t offset, size_t count, std::mt19937& random);

// The seconds of audio ffmpeg decodes from `path` (-1 when it fails).
double FfmpegSeconds(const std::string& path);
// What `ffmpeg -v error` reports while decoding `path` to nothing; empty for
// a clean file. "cannot run ffmpeg" when it could not be started.
std::string FfmpegDecodeErrors(const std::string& path);

// The samples of a file libsndfile reads (a WAV output); empty when it
// cannot.
struct Sound {
  int rate = 0;
  int channels = 0;
  std::vector<int16_t> samples;  // interleaved
  double Seconds() const {
    return rate > 0 ? static_cast<double>(samples.size()) / channels / rate : 0;
  }
};
Sound ReadSound(const std::string& path);

}  // namespace sondrel::test
