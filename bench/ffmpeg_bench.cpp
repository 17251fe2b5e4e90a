// Speed and peak memory of the FFmpeg-family conversions against the ffmpeg
// command doing the same conversion with the same encoder and bit rate,
// measured the same way in the same run. Every conversion runs in a fresh
// child process, timed by its CPU seconds (user + system, which load on a
// shared machine disturbs less than the wall clock) with its peak resident
// memory from wait4. The contenders take turns in every round; each time is
// the best of the rounds (load from elsewhere only ever adds to a time, so
// the best is the closest to the conversion's own cost), each memory figure
// the largest.
//
// The contenders besides the ffmpeg command:
//   run    this build's sondrel-cli converting the file as "Convert All" does
//          (the engine's run: reader, processing chain, FFmpeg writer)
//   pipe   FfmpegDecoder -> FfmpegEncoder alone (this program, re-executed
//          with --convert)
// With --before BUILD (another build folder with benchmarks, e.g. of the
// previous commit: its src/sondrel-cli and bench/bench_ffmpeg) the same two of
// that build join the rounds as "run<" and "pipe<", so that before and after
// are measured side by side.
//
//   bench_ffmpeg [seconds] [--before BUILD]   (default 600: a 10-minute
//                                               stereo 44100 Hz source)
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

namespace fs = std::filesystem;
using namespace sondrel;

constexpr double kTimeGoal = 1.00;
constexpr double kMemoryGoal = 1.5;
constexpr int kRounds = 5;

// The conversion of the pipe child: 0 on success.
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
  double cpu = 0;  // user + system seconds
  long peakKb = 0;
  bool ok = false;
};

Measure RunChild(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  Measure m;
  const pid_t pid = fork();
  if (pid == 0) {
    // The children's own output (the run's result lines) is not wanted.
    if (!freopen("/dev/null", "w", stdout)) _exit(126);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  if (pid < 0) return m;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return m;
  m.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
          usage.ru_stime.tv_usec * 1e-6;
  m.peakKb = usage.ru_maxrss;
  m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return m;
}

// The least time and the most memory of the rounds; ok when every round was.
Measure Best(const std::vector<Measure>& runs) {
  Measure m;
  m.cpu = runs.front().cpu;
  m.ok = true;
  for (const Measure& r : runs) {
    m.cpu = std::min(m.cpu, r.cpu);
    m.peakKb = std::max(m.peakKb, r.peakKb);
    m.ok = m.ok && r.ok;
  }
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
  bool fromFlac;       // else from WAV
  const char* ext;     // of the output
  int formatId;        // catalogue row of the run
  const char* prefix;  // its settings prefix
  const char* muxer;   // of the pipe
  int codec;           // stored codec id of the pipe
  int bitRate;         // 0: the codec's default
  std::vector<std::string> ffmpegCodec;
};

// A contender: its label and its command for one conversion.
struct Contender {
  std::string label;
  std::vector<std::string> (*command)(const std::string& program, const Pair& p,
                                      const std::string& in, const fs::path& outDir);
  std::string program;
};

std::vector<std::string> RunCommand(const std::string& cli, const Pair& p, const std::string& in,
                                    const fs::path& outDir) {
  const std::string prefix = p.prefix;
  std::vector<std::string> args = {cli,
                                   "--format",
                                   std::to_string(p.formatId),
                                   "--set",
                                   "TargetExistsOpt=22",
                                   "--set",
                                   "DestOutputFolderOpt=399",
                                   "--set",
                                   "DestSpecifiedFolder=" + outDir.string(),
                                   "--set",
                                   prefix + "AutoEncParam=0",
                                   "--set",
                                   prefix + "SampleRate=0",
                                   "--set",
                                   prefix + "Channels=0"};
  if (p.bitRate > 0) {
    args.insert(args.end(), {"--set", prefix + "BitRate=" + std::to_string(p.bitRate)});
  }
  args.push_back(in);
  return args;
}

std::vector<std::string> PipeCommand(const std::string& bench, const Pair& p, const std::string& in,
                                     const fs::path& outDir) {
  return {bench,
          "--convert",
          in,
          (outDir / (std::string("pipe.") + p.ext)).string(),
          p.muxer,
          std::to_string(p.codec),
          std::to_string(p.bitRate)};
}

std::vector<std::string> FfmpegCommand(const std::string&, const Pair& p, const std::string& in,
                                       const fs::path& outDir) {
  std::vector<std::string> args = {"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", in};
  args.insert(args.end(), p.ffmpegCodec.begin(), p.ffmpegCodec.end());
  args.push_back((outDir / (std::string("ffmpeg.") + p.ext)).string());
  return args;
}

std::vector<Contender> Contenders(const fs::path& self, const std::string& before) {
  std::vector<Contender> list = {{"ffmpeg", FfmpegCommand, ""}};
  const fs::path cli = self.parent_path().parent_path() / "src" / "sondrel-cli";
  if (fs::exists(cli)) {
    list.push_back({"run", RunCommand, cli.string()});
  } else {
    std::printf("(no %s: the run is not measured)\n", cli.c_str());
  }
  list.push_back({"pipe", PipeCommand, self.string()});
  if (!before.empty()) {
    list.push_back({"run<", RunCommand, (fs::path(before) / "src" / "sondrel-cli").string()});
    list.push_back({"pipe<", PipeCommand, (fs::path(before) / "bench" / "bench_ffmpeg").string()});
  }
  return list;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 7 && std::string(argv[1]) == "--convert") {
    return Convert(argv[2], argv[3], argv[4], std::atoi(argv[5]), std::atoi(argv[6]));
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // show each row as it is measured
  int seconds = 600;
  std::string before;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--before" && i + 1 < argc) {
      before = argv[++i];
    } else {
      seconds = std::max(1, std::atoi(argv[i]));
    }
  }
  char dirTemplate[] = "/tmp/sondrel-bench-XXXXXX";
  if (!mkdtemp(dirTemplate)) return 1;
  const fs::path dir = dirTemplate;
  // The runs read and write their settings here, never the user's.
  setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
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
       false,
       "mp3",
       1000,
       "MP3",
       "mp3",
       kCodecMp3,
       128000,
       {"-c:a", "libmp3lame", "-b:a", "128k"}},
      {"WAV->AAC 128k",
       false,
       "aac",
       6000,
       "AAC",
       "adts",
       kCodecAac,
       128000,
       {"-c:a", "aac", "-b:a", "128k"}},
      {"WAV->M4A 128k",
       false,
       "m4a",
       6100,
       "AACDEVICE",
       "ipod",
       kCodecAac,
       128000,
       {"-c:a", "aac", "-b:a", "128k"}},
      {"WAV->OGG 128k",
       false,
       "ogg",
       4000,
       "OGG",
       "ogg",
       kCodecVorbis,
       128000,
       {"-c:a", "libvorbis", "-b:a", "128k"}},
      {"WAV->FLAC", false, "flac", 3200, "FLAC", "flac", kCodecFlac, 0, {"-c:a", "flac"}},
      {"FLAC->WAV", true, "wav", 2000, "WAV", "wav", kCodecPcmS16le, 0, {"-c:a", "pcm_s16le"}},
  };
  const std::vector<Contender> contenders = Contenders(fs::read_symlink("/proc/self/exe"), before);

  std::printf(
      "%d rounds, best CPU seconds of each; x = against ffmpeg. Goals: time <= %.2fx, "
      "peak memory <= %.1fx ffmpeg's.\n\n",
      kRounds, kTimeGoal, kMemoryGoal);
  std::printf("%-14s", "conversion");
  for (const Contender& c : contenders) {
    std::printf(" %8s", c.label.c_str());
    if (&c != &contenders.front()) std::printf(" %6s", "x");
  }
  std::printf(" %7s\n", "mem x");

  bool allMet = true;
  for (const Pair& p : pairs) {
    const std::string in = p.fromFlac ? flac : wav;
    std::vector<std::vector<Measure>> runs(contenders.size());
    for (int round = 0; round < kRounds; ++round) {  // take turns, so that load changes hit all
      for (size_t i = 0; i < contenders.size(); ++i) {
        const fs::path out = dir / ("out" + std::to_string(i));
        fs::create_directories(out);
        const Contender& c = contenders[i];
        runs[i].push_back(RunChild(c.command(c.program, p, in, out)));
        fs::remove_all(out);
      }
    }
    std::vector<Measure> best;
    for (const std::vector<Measure>& r : runs) best.push_back(Best(r));
    const Measure& reference = best.front();
    std::printf("%-14s", p.name);
    bool met = reference.ok;
    for (size_t i = 0; i < best.size(); ++i) {
      const Measure& m = best[i];
      if (!m.ok) {
        std::printf(" %8s", "failed");
        if (i > 0) std::printf(" %6s", "");
        met = false;
        continue;
      }
      std::printf(" %8.2f", m.cpu);
      if (i == 0) continue;
      const double ratio = m.cpu / reference.cpu;
      std::printf(" %6.2f", ratio);
      // The goals hold for this build; a --before build is only shown.
      if (contenders[i].label.back() != '<') met = met && ratio <= kTimeGoal;
    }
    // Peak memory of this build's first contender (the run when there is one).
    const double memRatio =
        static_cast<double>(best[1].peakKb) / static_cast<double>(reference.peakKb);
    met = met && memRatio <= kMemoryGoal;
    std::printf(" %7.2f %s\n", memRatio, met ? "" : "(goal missed)");
    allMet = allMet && met;
  }
  std::printf("\n%s\n", allMet ? "All goals met." : "Some goals missed.");
  std::error_code ec;
  fs::remove_all(dir, ec);
  return 0;
}
