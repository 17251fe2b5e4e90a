#include "support/damaged_files.h"

#include <sndfile.h>

#include <cmath>
#include <cstdio>

#include "encode/format_catalogue.h"
#include "support/audio_fixtures.h"
#include "support/run_command.h"

namespace sondrel::test {

const char* ExtensionOf(Family family) {
  switch (family) {
    case Family::Flac:
      return ".flac";
    case Family::Mp3:
      return ".mp3";
    case Family::Ogg:
      return ".ogg";
    case Family::WavPack:
      return ".wv";
    case Family::M4a:
      return ".m4a";
  }
  return "";
}

namespace {

constexpr int kRate = 44100;

std::vector<int16_t> Signal(double seconds) {
  const auto frames = static_cast<int64_t>(seconds * kRate);
  std::vector<int16_t> samples = Tone16(2, frames, kRate, 0.4);
  std::mt19937 noise(7);
  std::uniform_int_distribution<int> hiss(-3000, 3000);
  for (int16_t& s : samples) s = static_cast<int16_t>(s + hiss(noise));
  return samples;
}

}  // namespace

bool WriteFamilyFile(const std::string& path, Family family, double seconds) {
  const std::vector<int16_t> samples = Signal(seconds);
  switch (family) {
    case Family::Flac:
      return WriteSndfile16(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, kRate, 2, samples);
    case Family::Mp3:
      return WriteWithFfmpegWriter(path, "mp3", kCodecMp3, kRate, 2, 192000, samples);
    case Family::Ogg:
      return WriteWithFfmpegWriter(path, "ogg", kCodecVorbis, kRate, 2, 160000, samples);
    case Family::WavPack: {
      std::vector<int32_t> wide(samples.begin(), samples.end());
      return WriteWavPack(path, kRate, 2, 2, wide);
    }
    case Family::M4a:
      return WriteWithFfmpegWriter(path, "ipod", kCodecAac, kRate, 2, 160000, samples);
  }
  return false;
}

void Scribble(std::string& bytes, size_t offset, size_t count, std::mt19937& random) {
  std::uniform_int_distribution<int> byte(0, 255);
  for (size_t i = offset; i < offset + count && i < bytes.size(); ++i) {
    bytes[i] = static_cast<char>(byte(random));
  }
}

double FfmpegSeconds(const std::string& path) {
  const CommandResult run = RunCommand("ffmpeg -nostdin -v quiet -i " + Quoted(path) +
                                       " -f s16le -ac 1 -ar 8000 - 2>/dev/null | wc -c");
  if (run.status != 0) return -1;
  return std::atof(run.out.c_str()) / (2.0 * 8000);
}

std::string FfmpegDecodeErrors(const std::string& path) {
  const CommandResult run =
      RunCommand("ffmpeg -nostdin -v error -i " + Quoted(path) + " -f null - 2>&1");
  if (run.status < 0) return "cannot run ffmpeg";
  if (run.status != 0 && run.out.empty()) return "ffmpeg failed";
  return run.out;
}

Sound ReadSound(const std::string& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) return {};
  Sound sound{info.samplerate, info.channels,
              std::vector<int16_t>(static_cast<size_t>(info.frames) * info.channels)};
  sound.samples.resize(
      static_cast<size_t>(sf_readf_short(file, sound.samples.data(), info.frames)) * info.channels);
  sf_close(file);
  return sound;
}

}  // namespace sondrel::test
