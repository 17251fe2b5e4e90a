// Decode throughput of the audio engine for ten-minute WAV, FLAC and MP3 files
// against "ffmpeg -i <file> -f null -" on the same files in the same run.
// Prints each time (best of three), the ratio engine / ffmpeg and whether it
// meets the goal of at most 1.10.
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "platform/audioengine/bass.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRate = 44100;
constexpr int kSeconds = 600;
constexpr int kRuns = 3;
constexpr double kGoal = 1.10;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Opens the file and pulls all of it in the reader's block size; returns the
// time, or a negative value when the engine cannot read it.
double DecodeWithEngine(const std::string& path, uint64_t& bytes) {
  const auto start = Clock::now();
  const sondrel::HSTREAM h =
      sondrel::BASS_StreamCreateFile(0, path.c_str(), 0, 0, sondrel::BASS_STREAM_DECODE);
  if (h == 0) return -1;
  std::vector<char> buffer(4608);
  bytes = 0;
  for (;;) {
    const sondrel::DWORD got = sondrel::BASS_ChannelGetData(h, buffer.data(), 4608);
    if (got == ~sondrel::DWORD{0}) break;
    bytes += got;
  }
  sondrel::BASS_StreamFree(h);
  return Seconds(start);
}

double DecodeWithFfmpeg(const std::string& path) {
  const std::string command =
      "ffmpeg -nostdin -v error -i '" + path + "' -f null - >/dev/null 2>&1";
  const auto start = Clock::now();
  if (std::system(command.c_str()) != 0) return -1;
  return Seconds(start);
}

}  // namespace

int main() {
  if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) {
    std::printf("audioengine: the ffmpeg command line is needed as the reference\n");
    return 1;
  }
  const char* tmp = std::getenv("TMPDIR");
  const std::filesystem::path folder =
      std::filesystem::path(tmp && *tmp ? tmp : "/tmp") / "sondrel-audioengine-bench";
  std::filesystem::create_directories(folder);
  const std::string wav = (folder / "ten-minutes.wav").string();
  const std::string flac = (folder / "ten-minutes.flac").string();
  const std::string mp3 = (folder / "ten-minutes.mp3").string();
  if (!sondrel::bench::WriteMusic(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kRate, kSeconds) ||
      !sondrel::bench::WriteMusic(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, kRate, kSeconds) ||
      std::system(
          ("ffmpeg -nostdin -v error -y -i '" + wav + "' -c:a libmp3lame -b:a 192k '" + mp3 + "'")
              .c_str()) != 0) {
    std::printf("audioengine: cannot write the source files in %s\n", folder.c_str());
    return 1;
  }

  sondrel::BASS_Init(0, 44100, 0, nullptr, nullptr);
  for (const char* addon : {"bassflac.dll", "basswv.dll", "bass_aac.dll"}) {
    sondrel::BASS_PluginLoad(addon, 0);
  }

  std::printf("%-6s %12s %12s %8s  %s\n", "file", "engine (s)", "ffmpeg (s)", "ratio",
              "goal <= 1.10");
  int status = 0;
  for (const auto& [name, path] :
       {std::pair{"WAV", wav}, std::pair{"FLAC", flac}, std::pair{"MP3", mp3}}) {
    double engine = 1e9;
    double reference = 1e9;
    uint64_t bytes = 0;
    for (int run = 0; run < kRuns; ++run) {
      const double e = DecodeWithEngine(path, bytes);
      const double r = DecodeWithFfmpeg(path);
      if (e < 0 || r < 0) {
        std::printf("%-6s cannot be decoded\n", name);
        status = 1;
        break;
      }
      engine = std::min(engine, e);
      reference = std::min(reference, r);
    }
    const double ratio = engine / reference;
    std::printf("%-6s %12.3f %12.3f %8.2f  %s  (%.0fx real time, %.1f MB decoded)\n", name, engine,
                reference, ratio, ratio <= kGoal ? "met" : "MISSED", kSeconds / engine,
                static_cast<double>(bytes) / 1e6);
  }
  sondrel::BASS_Free();
  std::filesystem::remove_all(folder);
  return status;
}
