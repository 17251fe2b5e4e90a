// Speed and peak memory of FfmpegDecoder -> FfmpegEncoder against the ffmpeg
// command line doing the same conversions with the same encoders, measured
// the same way in the same run: each conversion runs in a fresh child process
// (ours re-executes this program), timed by the wall clock and by its CPU
// time, with its peak resident memory from wait4.
//
//   bench_ffmpeg [seconds]   (default 600: a 10-minute stereo 44100 Hz source)
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "decode/ffmpeg_decoder.h"
#include "encode/ffmpeg_encoder.h"
#include "encode/format_catalogue.h"
#include "platform/ffmpeg/ffmpeg_handles.h"

namespace {

using namespace sondrel;

constexpr double kTimeGoal = 1.10;
constexpr double kMemoryGoal = 1.5;
constexpr int kRuns = 3;

// The conversion of the child process: 0 on success.
int Convert(const char* in, const char* out, const char* muxer, int codec, int bitRate) {
  ffmpeg::QuietLog();
  FfmpegDecoder d;
  if (!d.Open(in, 0)) return 2;
  FfmpegEncoder e;
  e.SetFormat(FfmpegFormatParams{muxer, codec});
  e.SetSampleRate(d.GetSampleRate());
  e.SetChannels(d.GetOutputChannels());
  e.SetBitRate(bitRate);
  e.SetOutputPath(out);
  if (!e.Open()) return 3;
  std::vector<int16_t> l(kBlockFrames), r(kBlockFrames);
  while (int n = d.Read(l.data(), r.data())) e.Write(l.data(), r.data(), n);
  e.Close();
  d.Close();
  return 0;
}

struct Measure {
  double wall = 0;  // seconds
  double cpu = 0;   // user + system seconds
  long peakKb = 0;
  bool ok = false;
};

Measure RunChild(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  Measure m;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    execvp(argv[0], argv.data());
    _exit(127);
  }
  if (pid < 0) return m;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return m;
  m.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  m.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
          usage.ru_stime.tv_usec * 1e-6;
  m.peakKb = usage.ru_maxrss;
  m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return m;
}

// The median of each figure over the runs.
Measure Median(std::vector<Measure> runs) {
  auto median = [&](auto field) {
    std::vector<double> v;
    for (const Measure& m : runs) v.push_back(static_cast<double>(field(m)));
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  Measure m;
  m.wall = median([](const Measure& x) { return x.wall; });
  m.cpu = median([](const Measure& x) { return x.cpu; });
  m.peakKb = static_cast<long>(median([](const Measure& x) { return x.peakKb; }));
  m.ok = std::all_of(runs.begin(), runs.end(), [](const Measure& x) { return x.ok; });
  return m;
}

// A stereo programme with some life in it: a tone and a sweep in each
// channel over quiet noise, so that the encoders have real work to do.
bool WriteSource(const std::string& path, int format, int seconds) {
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 2;
  info.format = format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) return false;
  std::mt19937 rng(7);
  std::normal_distribution<float> noise(0.0f, 300.0f);
  std::vector<short> block(2 * 44100);
  for (int s = 0; s < seconds; ++s) {
    for (int i = 0; i < 44100; ++i) {
      const double t = s + i / 44100.0;
      const double sweep = 200 + 50 * std::fmod(t, 60.0);
      block[2 * i] =
          static_cast<short>(8000 * std::sin(2 * std::numbers::pi * 440 * t) +
                             6000 * std::sin(2 * std::numbers::pi * sweep * t) + noise(rng));
      block[2 * i + 1] =
          static_cast<short>(8000 * std::sin(2 * std::numbers::pi * 660 * t) +
                             6000 * std::sin(2 * std::numbers::pi * sweep * 1.5 * t) + noise(rng));
    }
    sf_writef_short(f, block.data(), 44100);
  }
  sf_close(f);
  return true;
}

struct Pair {
  const char* name;
  const char* source;  // "wav" or "flac"
  const char* ext;
  const char* muxer;
  int codec;
  int bitRate;
  std::vector<std::string> ffmpegCodec;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc == 7 && std::string(argv[1]) == "--convert") {
    return Convert(argv[2], argv[3], argv[4], std::atoi(argv[5]), std::atoi(argv[6]));
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // show each row as it is measured
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 600;
  char dirTemplate[] = "/tmp/sondrel-bench-XXXXXX";
  if (!mkdtemp(dirTemplate)) return 1;
  const std::filesystem::path dir = dirTemplate;
  const std::string wav = (dir / "source.wav").string();
  const std::string flac = (dir / "source.flac").string();
  std::printf("Generating a %d s stereo 44100 Hz source...\n", seconds);
  if (!WriteSource(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, seconds) ||
      !WriteSource(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, seconds)) {
    std::fprintf(stderr, "cannot write the sources in %s\n", dir.c_str());
    return 1;
  }

  const std::vector<Pair> pairs = {
      {"WAV->MP3 128k",
       "wav",
       "mp3",
       "mp3",
       kCodecMp3,
       128000,
       {"-c:a", "libmp3lame", "-b:a", "128k"}},
      {"WAV->AAC 128k", "wav", "aac", "adts", kCodecAac, 128000, {"-c:a", "aac", "-b:a", "128k"}},
      {"WAV->FLAC", "wav", "flac", "flac", kCodecFlac, 0, {"-c:a", "flac"}},
      {"FLAC->WAV", "flac", "wav", "wav", kCodecPcmS16le, 0, {"-c:a", "pcm_s16le"}},
  };
  std::printf("%d runs each, medians. Goals: time <= %.2fx, peak memory <= %.1fx ffmpeg's.\n\n",
              kRuns, kTimeGoal, kMemoryGoal);
  std::printf("%-14s %9s %9s %7s %9s %9s %7s %8s %8s %7s\n", "conversion", "ours s", "ffmpeg s",
              "wall x", "ours cpu", "ffm cpu", "cpu x", "ours MB", "ffm MB", "mem x");
  bool allMet = true;
  for (const Pair& p : pairs) {
    const std::string in = std::string(p.source) == "wav" ? wav : flac;
    const std::string oursOut = (dir / (std::string("ours.") + p.ext)).string();
    const std::string theirsOut = (dir / (std::string("ffmpeg.") + p.ext)).string();
    std::vector<std::string> ours = {
        "/proc/self/exe",         "--convert", in, oursOut, p.muxer, std::to_string(p.codec),
        std::to_string(p.bitRate)};
    std::vector<std::string> theirs = {"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", in};
    theirs.insert(theirs.end(), p.ffmpegCodec.begin(), p.ffmpegCodec.end());
    theirs.push_back(theirsOut);
    std::vector<Measure> oursRuns, theirsRuns;
    for (int i = 0; i < kRuns; ++i) {  // alternate, so that load changes hit both
      oursRuns.push_back(RunChild(ours));
      theirsRuns.push_back(RunChild(theirs));
    }
    const Measure a = Median(oursRuns);
    const Measure b = Median(theirsRuns);
    if (!a.ok || !b.ok) {
      std::printf("%-14s failed (ours %s, ffmpeg %s)\n", p.name, a.ok ? "ok" : "failed",
                  b.ok ? "ok" : "failed");
      allMet = false;
      continue;
    }
    const double wallRatio = a.wall / b.wall;
    const double cpuRatio = a.cpu / b.cpu;
    const double memRatio = static_cast<double>(a.peakKb) / static_cast<double>(b.peakKb);
    std::printf("%-14s %9.2f %9.2f %7.2f %9.2f %9.2f %7.2f %8.1f %8.1f %7.2f %s\n", p.name, a.wall,
                b.wall, wallRatio, a.cpu, b.cpu, cpuRatio, a.peakKb / 1024.0, b.peakKb / 1024.0,
                memRatio, cpuRatio <= kTimeGoal && memRatio <= kMemoryGoal ? "" : "(goal missed)");
    allMet = allMet && cpuRatio <= kTimeGoal && memRatio <= kMemoryGoal;
    std::filesystem::remove(oursOut);
    std::filesystem::remove(theirsOut);
  }
  std::printf("\n%s\n", allMet ? "All goals met (time by CPU seconds, which load on a shared "
                                 "machine disturbs less than the wall clock)."
                               : "Some goals missed.");
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
