// Speed of the per-block processing chain (trim window, channel wiring,
// resampler, gain) against a WAV-to-WAV conversion measured in the same run.
//
// Two WAV-to-WAV references on a 16-bit stereo WAV file, in 1152-frame blocks
// of planes: libsndfile read and write (the cheapest possible conversion),
// and the program's own FFmpeg reader and WAV writer (a conversion as the run
// does it, without the chain).
// Every figure is the best of several rounds taken in turn, since the
// machine is shared.
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "decode/decoder.h"
#include "decode/ffmpeg_decoder.h"
#include "encode/ffmpeg_encoder.h"
#include "encode/format_catalogue.h"
#include "engine/channel_wiring.h"
#include "engine/gain.h"
#include "engine/resampler.h"
#include "engine/temp_name.h"
#include "engine/trim_window.h"

namespace {

using sondrel::kBlockFrames;

constexpr int kRate = 44100;
constexpr int kSeconds = 120;
constexpr int kFrames = kRate * kSeconds;
constexpr int kRounds = 9;

// The best time of `rounds` runs of `work`, in seconds.
double Best(int rounds, const std::function<void()>& work) {
  double best = 1e30;
  for (int i = 0; i < rounds; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

struct Signal {
  std::vector<int16_t> left, right;
};

Signal MakeSignal() {
  Signal s;
  s.left.resize(kFrames);
  s.right.resize(kFrames);
  std::minstd_rand noise(1);
  for (int i = 0; i < kFrames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    s.left[i] = static_cast<int16_t>(12000 * std::sin(2 * std::numbers::pi * 440 * t) +
                                     static_cast<int>(noise() % 2001) - 1000);
    s.right[i] = static_cast<int16_t>(12000 * std::sin(2 * std::numbers::pi * 660 * t));
  }
  return s;
}

// Runs the chain over the whole signal as the conversion loop does, block by
// block; returns the frames handed to the encoder. The decoder's Read is left
// out: the planes are filled before the clock starts and hold one block, so
// they are in the cache as they are right after a Read.
int64_t RunChain(const Signal& s, bool resample, float gain, int outRate) {
  std::vector<int16_t> decL(s.left.begin(), s.left.begin() + kBlockFrames);
  std::vector<int16_t> decR(s.right.begin(), s.right.begin() + kBlockFrames);
  const int capacity = sondrel::Resampler::OutputCapacity(kRate, outRate, kBlockFrames);
  std::vector<int16_t> outL(capacity), outR(capacity);
  sondrel::Resampler resampler;
  if (resample) {
    resampler.SetInput(2, kRate, 16);
    resampler.SetOutput(2, outRate, 16);
    resampler.ResamplerSetup();
  }
  sondrel::TrimWindow trim;
  trim.Setup(kRate, true, 0, true, 0);
  const sondrel::PlaneWiring w = sondrel::WirePlanes({resample, false, 0, 2, 2}, decL.data(),
                                                     decR.data(), outL.data(), outR.data());
  int64_t written = 0;
  for (int start = 0; start < kFrames; start += kBlockFrames) {
    int n = std::min(kBlockFrames, kFrames - start);
    asm volatile("" : : "r"(decL.data()), "r"(decR.data()) : "memory");  // a new block
    if (!trim.SkipStep(decL.data(), decR.data(), n)) continue;
    if (!trim.LimitStep(n)) break;
    if (resample) {
      resampler.ResamplerProcess(w.resampleLeft, w.resampleRight, n, outL.data(), outR.data(), n);
    }
    if (gain > 0) sondrel::ApplyGain(w.encodeLeft, w.encodeRight, n, 2, gain);
    asm volatile("" : : "r"(w.encodeLeft), "r"(w.encodeRight) : "memory");  // the encoder
    written += n;
  }
  return written;
}

bool WriteWav(const std::string& path, const Signal& s) {
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) return false;
  std::vector<int16_t> inter(2 * static_cast<size_t>(kFrames));
  for (int i = 0; i < kFrames; ++i) {
    inter[2 * i] = s.left[i];
    inter[2 * i + 1] = s.right[i];
  }
  const bool ok = sf_writef_short(f, inter.data(), kFrames) == kFrames;
  sf_close(f);
  return ok;
}

// WAV in, planes, WAV out: the stand-in for a WAV-to-WAV conversion.
bool WavToWav(const std::string& in, const std::string& out) {
  SF_INFO info{};
  SNDFILE* src = sf_open(in.c_str(), SFM_READ, &info);
  if (!src) return false;
  SF_INFO outInfo = info;
  SNDFILE* dst = sf_open(out.c_str(), SFM_WRITE, &outInfo);
  if (!dst) {
    sf_close(src);
    return false;
  }
  std::vector<int16_t> block(2 * kBlockFrames), left(kBlockFrames), right(kBlockFrames);
  sf_count_t n;
  while ((n = sf_readf_short(src, block.data(), kBlockFrames)) > 0) {
    for (sf_count_t i = 0; i < n; ++i) {
      left[i] = block[2 * i];
      right[i] = block[2 * i + 1];
    }
    for (sf_count_t i = 0; i < n; ++i) {
      block[2 * i] = left[i];
      block[2 * i + 1] = right[i];
    }
    sf_writef_short(dst, block.data(), n);
  }
  sf_close(dst);
  sf_close(src);
  return true;
}

// WAV in and out through the program's own FFmpeg reader and writer, block
// by block in planes, as a conversion with the chain left out.
bool WavToWavProgram(const std::string& in, const std::string& out) {
  sondrel::FfmpegDecoder decoder;
  if (!decoder.Open(in, 0)) return false;
  sondrel::FfmpegEncoder encoder;
  encoder.SetFormat(sondrel::FfmpegFormatParams{"wav", sondrel::kCodecPcmS16le});
  encoder.SetSampleRate(decoder.GetSampleRate());
  encoder.SetChannels(decoder.GetOutputChannels());
  encoder.SetOutputPath(out);
  if (!encoder.Open()) return false;
  std::vector<int16_t> left(kBlockFrames), right(kBlockFrames);
  bool ok = true;
  for (int n; (n = decoder.Read(left.data(), right.data())) > 0;) {
    ok = encoder.Write(left.data(), right.data(), n) && ok;
  }
  encoder.Close();
  decoder.Close();
  return ok;
}

}  // namespace

int main() {
  const Signal signal = MakeSignal();
  std::string in, out;
  if (!sondrel::MakeTempName("", "chain_bench_in", ".wav", in) ||
      !sondrel::MakeTempName("", "chain_bench_out", ".wav", out) || !WriteWav(in, signal)) {
    std::fprintf(stderr, "cannot write the WAV files in %s\n", sondrel::TempFolder().c_str());
    return 1;
  }

  // The references and the chain in turn, so that a busy moment of the
  // machine does not fall on one of them only.
  bool ok = true;
  int64_t sink = 0;
  double wav = 1e30, wavFfmpeg = 1e30, plain = 1e30, gained = 1e30, resampled = 1e30;
  for (int round = 0; round < kRounds; ++round) {
    wav = std::min(wav, Best(1, [&] { ok = WavToWav(in, out) && ok; }));
    wavFfmpeg = std::min(wavFfmpeg, Best(1, [&] { ok = WavToWavProgram(in, out) && ok; }));
    plain = std::min(plain, Best(1, [&] { sink += RunChain(signal, false, 0.0f, kRate); }));
    gained = std::min(gained, Best(1, [&] { sink += RunChain(signal, false, 1.5f, kRate); }));
    resampled = std::min(resampled, Best(1, [&] { sink += RunChain(signal, true, 1.5f, 48000); }));
  }
  std::filesystem::remove(in);
  std::filesystem::remove(out);
  if (!ok) {
    std::fprintf(stderr, "WAV-to-WAV conversion failed\n");
    return 1;
  }

  const auto fps = [](double seconds) { return kFrames / seconds; };
  const auto share = [](double seconds, double reference) { return 100.0 * seconds / reference; };
  std::printf("chain benchmark: %d s of 44100 Hz stereo (%d frames), best of %d rounds\n", kSeconds,
              kFrames, kRounds);
  std::printf("reference A, WAV-to-WAV with libsndfile read + libsndfile write: %12.0f frames/s\n",
              fps(wav));
  std::printf("reference B, WAV-to-WAV through the program's FFmpeg reader and writer: %.0f frames/s\n",
              fps(wavFfmpeg));
  std::printf(
      "chain without resampling, volume kept: %14.0f frames/s  %7.3f%% of A  %7.3f%% of B"
      "  (goal < 2%%)\n",
      fps(plain), share(plain, wav), share(plain, wavFfmpeg));
  std::printf(
      "chain without resampling, gain 150%%:   %14.0f frames/s  %7.3f%% of A  %7.3f%% of B"
      "  (goal < 2%%)\n",
      fps(gained), share(gained, wav), share(gained, wavFfmpeg));
  std::printf(
      "chain with resampling 44100->48000 stereo, gain 150%%: %.0f frames/s = %.1fx real"
      " time (goal >= 150x)\n",
      fps(resampled), fps(resampled) / kRate);
  std::printf(
      "(frames at the source's rate; the chain is timed from the decoder's planes to the"
      " encoder's, without Read and Write)\n");
  return sink > 0 ? 0 : 1;
}
