// What the benchmarks share: a frontend that shows nothing and is never
// cancelled, the best time of a few rounds, and music-like source files.
#pragma once

#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "engine/frontend.h"

namespace sondrel::bench {

// The best wall time in seconds of `rounds` runs of `work`; `ok` is false
// when any run failed.
inline double Best(int rounds, const std::function<bool()>& work, bool& ok) {
  double best = 1e30;
  ok = true;
  for (int i = 0; i < rounds; ++i) {
    const auto start = std::chrono::steady_clock::now();
    ok = work() && ok;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

// A seam that shows nothing and is never cancelled.
class QuietProgress : public ProgressWindow {
 public:
  void SetText(ProgressPart, const std::string&) override {}
  void SetRange(ProgressPart, int) override {}
  void SetPosition(ProgressPart, int) override {}
  void Step(ProgressPart) override {}
  int BarWidth(ProgressPart) override { return 300; }
  bool CancelRequested() const override { return false; }
  void RequestClose() override {}
};

class QuietFrontend : public Frontend {
 public:
  void SetRowText(int, ListColumn, const std::string&) override {}
  void EnsureRowVisible(int) override {}
  int OutputColumnWidth() override { return 200; }
  void SetOutputColumnWidth(int) override {}
  void SetBusy(bool) override {}
  std::unique_ptr<ProgressWindow> CreateConvertProgress() override {
    return std::make_unique<QuietProgress>();
  }
  std::unique_ptr<ProgressWindow> CreateAddProgress() override {
    return std::make_unique<QuietProgress>();
  }
  void PumpMessages() override {}
  void ShowMessage(const std::string&, MessageIcon) override {}
  bool AskYesNo(const std::string&) override { return false; }
  std::string AskSaveFile(const std::string&) override { return {}; }
  void OpenDocument(const std::string&) override {}
  void ShowInFolder(const std::string&) override {}
};

// Music-like material: a few sines with slow vibrato plus quiet noise, so
// that the lossless coder has real work to do.
inline bool WriteMusic(const std::string& path, int format, int rate, int seconds) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = 2;
  info.format = format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) return false;
  std::vector<short> block(2 * 4096);
  uint32_t noise = 1;
  const int64_t frames = int64_t{rate} * seconds;
  for (int64_t done = 0; done < frames;) {
    const int n = static_cast<int>(std::min<int64_t>(4096, frames - done));
    for (int i = 0; i < n; ++i) {
      const double t = static_cast<double>(done + i) / rate;
      const double wobble = 1 + 0.01 * std::sin(2 * std::numbers::pi * 0.3 * t);
      for (int c = 0; c < 2; ++c) {
        noise = noise * 1664525 + 1013904223;
        const double x = 0.3 * std::sin(2 * std::numbers::pi * 220 * (c + 1) * wobble * t) +
                         0.2 * std::sin(2 * std::numbers::pi * 1375 * t + c) +
                         0.02 * (static_cast<int32_t>(noise) / 2147483648.0);
        block[2 * i + c] = static_cast<short>(std::lround(x * 32767));
      }
    }
    sf_writef_short(f, block.data(), n);
    done += n;
  }
  sf_close(f);
  return true;
}

}  // namespace sondrel::bench
