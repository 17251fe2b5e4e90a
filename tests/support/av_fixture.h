// Test fixtures made with FFmpeg's libraries: audio encoded by a named
// encoder into a named container, optionally with a small video stream, and
// signal helpers for checking decoded audio.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "decode/decoder.h"

namespace sondrel::test {

struct AvFixture {
  std::string muxer;         // "matroska", "mp4", "wav", ...
  std::string audioEncoder;  // "aac", "flac", "pcm_s16le"...; empty = no audio stream
  int sampleRate = 44100;
  uint64_t channelMask = 0;  // AV_CH_* bits; 0 = FFmpeg's default layout for the plane count
  std::vector<std::vector<float>> audio;  // one plane per channel, values in -1..1
  int64_t bitRate = 0;                    // 0 = the encoder's default
  bool video = false;                     // adds a small MPEG-4 video stream
  double videoSeconds = 1.0;              // length of the video when there is no audio
  // Written as container metadata.
  std::vector<std::pair<std::string, std::string>> metadata;
  // Written raw as packets of an audio stream with this codec name (no
  // encoder), one packet of `rawPacketBytes` bytes per 20 ms: for codecs
  // FFmpeg cannot decode.
  std::string rawAudioCodec;
  int rawPacketBytes = 0;
  // With rawAudioCodec: these packets instead, each lasting as many samples
  // as it has 16-bit values (at least one).
  std::vector<std::string> rawPackets;
};

// Writes the fixture; false with a reason in `error` when FFmpeg refuses.
bool WriteAvFixture(const std::string& path, const AvFixture& fixture,
                    std::string* error = nullptr);

// A sine of `frequency` Hz at `amplitude` (0..1 of full scale).
std::vector<float> Sine(double frequency, int sampleRate, int frames, double amplitude);

// The same as 16-bit samples, for writers fed with 16-bit planes.
std::vector<int16_t> Sine16(double frequency, int sampleRate, int frames, double amplitude);

// Amplitude of the `frequency` component of `samples` (Goertzel), as a
// fraction of full scale (1.0 = a full-scale sine).
double ToneLevel(const std::vector<int16_t>& samples, double frequency, int sampleRate);

// Everything a reader delivers, read block by block until Read returns 0 (at
// most `maxReads` calls, so that a reader that never ends fails the test
// instead of hanging it).
struct DecodedAudio {
  std::vector<int16_t> left;
  std::vector<int16_t> right;  // empty for one output channel
  std::vector<int> blockSizes;
  bool ended = false;  // Read returned 0 within maxReads
};
DecodedAudio ReadAll(Decoder& decoder, int maxReads = 200000);

// Root mean square as a fraction of full scale.
double Rms(const std::vector<int16_t>& samples);

// The data of every packet of a file's first stream, in file order; empty
// when it cannot be read.
std::vector<std::string> ReadPackets(const std::string& path);

}  // namespace sondrel::test
