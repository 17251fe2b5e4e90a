// Trim window, channel wiring and gain: the per-block steps without the
// resampler.
#include <numeric>
#include <vector>

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "decode/decoder.h"
#include "engine/channel_wiring.h"
#include "engine/gain.h"
#include "engine/settings.h"
#include "engine/trim_window.h"

namespace sondrel {
namespace {

// Feeds `total` frames in full blocks through the trim window; returns the
// frame numbers that come out, in order.
std::vector<int> RunTrim(TrimWindow& trim, int total) {
  std::vector<int> out;
  std::vector<int16_t> left(kBlockFrames), right(kBlockFrames);
  for (int start = 0; start < total; start += kBlockFrames) {
    int n = std::min(kBlockFrames, total - start);
    // Frame numbers modulo 2^15 are enough to recognise a position.
    for (int i = 0; i < n; ++i) {
      left[i] = static_cast<int16_t>((start + i) & 0x7fff);
      right[i] = static_cast<int16_t>(-((start + i) & 0x7fff));
    }
    if (!trim.SkipStep(left.data(), right.data(), n)) continue;
    if (!trim.LimitStep(n)) break;
    for (int i = 0; i < n; ++i) {
      EXPECT_EQ(right[i], -left[i]);
      out.push_back(left[i]);
    }
  }
  return out;
}

TEST(TrimWindow, SkipDropsWholeBlocksThenCutsTheFrontOfOne) {
  TrimWindow trim;
  trim.Setup(44100, true, 1000, false, 0);
  EXPECT_EQ(trim.SkipRemaining(), 44100);
  std::vector<int16_t> left(kBlockFrames), right(kBlockFrames);
  for (int block = 1; block <= 38; ++block) {
    int n = kBlockFrames;
    EXPECT_FALSE(trim.SkipStep(left.data(), right.data(), n)) << "block " << block;
  }
  std::iota(left.begin(), left.end(), 0);
  std::iota(right.begin(), right.end(), 2000);
  int n = kBlockFrames;
  ASSERT_TRUE(trim.SkipStep(left.data(), right.data(), n));
  EXPECT_EQ(n, kBlockFrames - 324);
  EXPECT_EQ(left[0], 324);
  EXPECT_EQ(right[0], 2324);
  EXPECT_EQ(left[n - 1], kBlockFrames - 1);
  // Skipping is over: later blocks pass whole.
  n = kBlockFrames;
  EXPECT_TRUE(trim.SkipStep(left.data(), right.data(), n));
  EXPECT_EQ(n, kBlockFrames);
}

TEST(TrimWindow, LimitCountsFramesAfterTheSkip) {
  {
    SCOPED_TRACE("skip 100 ms, keep 50 ms at 8000 Hz");
    TrimWindow trim;
    trim.Setup(8000, true, 100, true, 50);
    const std::vector<int> out = RunTrim(trim, 8000);
    ASSERT_EQ(out.size(), 400u);
    EXPECT_EQ(out.front(), 800);
    EXPECT_EQ(out.back(), 1199);
  }
  {
    SCOPED_TRACE("limit that ends exactly on a block boundary");
    TrimWindow trim;
    trim.Setup(1152000, false, 0, true, 2);  // 2304 frames = two blocks
    EXPECT_EQ(RunTrim(trim, 10000).size(), 2304u);
  }
  {
    SCOPED_TRACE("limit 0 with the option set means no limit");
    TrimWindow trim;
    trim.Setup(44100, false, 0, true, 0);
    EXPECT_FALSE(trim.LimitActive());
    EXPECT_EQ(RunTrim(trim, 5000).size(), 5000u);
  }
  {
    SCOPED_TRACE("options off");
    TrimWindow trim;
    trim.Setup(44100, false, 1000, false, 1000);
    EXPECT_EQ(RunTrim(trim, 5000).size(), 5000u);
  }
  {
    SCOPED_TRACE("a skip longer than the audio writes nothing");
    TrimWindow trim;
    trim.Setup(8000, true, 2000, false, 0);
    EXPECT_TRUE(RunTrim(trim, 8000).empty());
  }
}

TEST(TrimWindow, BadRatesAndEmptyBlocks) {
  EXPECT_EQ(TrimWindow::FramesFor(0, 1000), 0);
  EXPECT_EQ(TrimWindow::FramesFor(-44100, 1000), 0);
  EXPECT_EQ(TrimWindow::FramesFor(44100, -5), 0);
  EXPECT_EQ(TrimWindow::FramesFor(22050, 1), 22);                       // 22.05 truncated
  EXPECT_EQ(TrimWindow::FramesFor(44100, 333), 14685);                  // 14685.3
  EXPECT_GT(TrimWindow::FramesFor(48000, 2147483647), 103079215000LL);  // no overflow

  TrimWindow trim;
  trim.Setup(0, true, 1000, true, 1000);  // no rate: the limit ends the file at once
  int n = 0;
  std::vector<int16_t> left(4, 7);
  EXPECT_TRUE(trim.SkipStep(left.data(), nullptr, n));
  EXPECT_FALSE(trim.LimitStep(n));

  trim.Setup(44100, true, 10, true, 10);
  n = 0;
  EXPECT_TRUE(trim.SkipStep(left.data(), nullptr, n));
  EXPECT_EQ(n, 0);
  EXPECT_EQ(trim.SkipRemaining(), 441);
  EXPECT_TRUE(trim.LimitStep(n));
  EXPECT_EQ(n, 0);
  EXPECT_EQ(trim.LimitRemaining(), 441);
  EXPECT_EQ(left, std::vector<int16_t>(4, 7));
}

TEST(ChannelWiring, EveryRowOfTheTable) {
  int16_t decL[1], decR[1], outL[1], outR[1];
  struct Case {
    const char* name;
    ChannelPlan plan;
    const int16_t* rl;
    const int16_t* rr;
    int rch;
    int16_t* el;
    int16_t* er;
  };
  const Case cases[] = {
      {"resample, pick left", {true, true, 1, 2, 1}, decL, nullptr, 1, outL, nullptr},
      {"resample, pick right", {true, true, 2, 2, 1}, decR, nullptr, 1, outL, nullptr},
      {"resample, average", {true, false, 0, 2, 1}, decL, decR, 2, outL, nullptr},
      {"resample, stereo", {true, false, 0, 2, 2}, decL, decR, 2, outL, outR},
      {"resample, mono to stereo", {true, false, 0, 1, 2}, decL, nullptr, 1, outL, outR},
      {"pick left", {false, true, 1, 2, 1}, nullptr, nullptr, 0, decL, nullptr},
      {"pick right", {false, true, 2, 2, 1}, nullptr, nullptr, 0, decR, nullptr},
      {"mono to stereo", {false, false, 0, 1, 2}, nullptr, nullptr, 0, decL, decL},
      {"stereo", {false, false, 0, 2, 2}, nullptr, nullptr, 0, decL, decR},
      {"mono", {false, false, 0, 1, 1}, nullptr, nullptr, 0, decL, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PlaneWiring w = WirePlanes(c.plan, decL, c.plan.sourceChannels == 2 ? decR : nullptr,
                                     outL, c.plan.targetChannels == 2 ? outR : nullptr);
    EXPECT_EQ(w.resampleLeft, c.rl);
    EXPECT_EQ(w.resampleRight, c.rr);
    EXPECT_EQ(w.resampleInputChannels, c.rch);
    EXPECT_EQ(w.encodeLeft, c.el);
    EXPECT_EQ(w.encodeRight, c.er);
  }
}

TEST(Gain, TruncatesTowardZeroAndClipsAtBothEnds) {
  std::vector<int16_t> left = {3, -3, 1, -1, 20000, -20000, 16384, -16384, -16385, 0, 32767};
  std::vector<int16_t> right = left;
  ApplyGain(left.data(), right.data(), static_cast<int>(left.size()), 2, 1.5f);
  EXPECT_EQ(left,
            (std::vector<int16_t>{4, -4, 1, -1, 30000, -30000, 24576, -24576, -24577, 0, 32767}));
  EXPECT_EQ(right, left);

  left = {16384, -16384, -16385, 12345, -12345};
  ApplyGain(left.data(), nullptr, 5, 1, 2.0f);
  EXPECT_EQ(left, (std::vector<int16_t>{32767, -32768, -32768, 24690, -24690}));

  // A gain too large for an int32 product still clips.
  left = {1, -1, 0, 30000};
  ApplyGain(left.data(), nullptr, 4, 1, 1.0e6f);
  EXPECT_EQ(left, (std::vector<int16_t>{32767, -32768, 0, 32767}));

  // 99% of 101 is 99.99: truncated, not rounded.
  left = {101, -101};
  ApplyGain(left.data(), nullptr, 2, 1, 99 * 0.01f);
  EXPECT_EQ(left, (std::vector<int16_t>{99, -99}));
}

TEST(Gain, EverySampleValueMatchesTheExactProductForEveryBlockLength) {
  // The block path works eight samples at a time; every 16-bit value, at
  // lengths that leave every possible tail, must give the exact result.
  for (const float gain : {0.1f, 0.99f, 1.5f, 2.0f, 3.3333f, 327.67f, 65533.0f, 65535.0f, -1.5f}) {
    SCOPED_TRACE(gain);
    std::vector<int16_t> all(65536 + 7);
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int16_t>(i - 32768);
    std::vector<int16_t> expected(all.size());
    for (size_t i = 0; i < all.size(); ++i) {
      const double v = std::clamp(std::trunc(all[i] * static_cast<double>(gain)), -32768.0, 32767.0);
      expected[i] = static_cast<int16_t>(v);
    }
    std::vector<int16_t> got = all;
    ApplyGain(got.data(), nullptr, static_cast<int>(got.size()), 1, gain);
    ASSERT_EQ(got, expected);
    for (int n = 0; n < 9; ++n) {
      std::vector<int16_t> part(all.begin() + 100, all.begin() + 100 + n);
      ApplyGain(part.data(), nullptr, n, 1, gain);
      ASSERT_TRUE(std::equal(part.begin(), part.end(), expected.begin() + 100)) << n;
    }
  }
}

TEST(Gain, OnePlaneWrittenAsTwoIsScaledOnce) {
  {
    SCOPED_TRACE("mono source to a stereo target without the resampler");
    int16_t decL[3] = {100, -100, 7};
    const PlaneWiring w = WirePlanes({false, false, 0, 1, 2}, decL, nullptr, nullptr, nullptr);
    ApplyGain(w.encodeLeft, w.encodeRight, 3, 2, 2.0f);
    EXPECT_EQ(decL[0], 200);
    EXPECT_EQ(decL[1], -200);
    EXPECT_EQ(decL[2], 14);
  }
  {
    SCOPED_TRACE("one channel leaves the right plane alone");
    int16_t l[2] = {10, 20}, r[2] = {10, 20};
    ApplyGain(l, r, 2, 1, 3.0f);
    EXPECT_EQ(r[0], 10);
    EXPECT_EQ(l[1], 60);
  }
  {
    SCOPED_TRACE("an empty block");
    int16_t l[1] = {5};
    ApplyGain(l, l, 0, 2, 3.0f);
    ApplyGain(nullptr, nullptr, 4, 2, 3.0f);
    EXPECT_EQ(l[0], 5);
  }
}

TEST(NormalizeGain, OnlyForPeaksThatLeaveRoom) {
  EXPECT_FLOAT_EQ(NormalizeGainFor(-16384, 8000), 2.0f);
  EXPECT_FLOAT_EQ(NormalizeGainFor(-100, 16383), 32767.0f / 16383);
  EXPECT_GT(NormalizeGainFor(-32762, 32761), 1.0f);
  EXPECT_EQ(NormalizeGainFor(-32768, 100), -1.0f);
  EXPECT_EQ(NormalizeGainFor(-100, 32767), -1.0f);
  EXPECT_EQ(NormalizeGainFor(-32763, 100), -1.0f);
  EXPECT_EQ(NormalizeGainFor(-100, 32762), -1.0f);
  EXPECT_EQ(NormalizeGainFor(0, 0), -1.0f);     // silent
  EXPECT_EQ(NormalizeGainFor(0, 5000), -1.0f);  // no negative samples
  EXPECT_EQ(NormalizeGainFor(-5000, 0), -1.0f);
}

TEST(ChooseGain, ByVolumeType) {
  struct Case {
    const char* name;
    int volumeType;
    int volume;
    float normalizeGain;
    float expected;  // 0: no gain step
  };
  const Case cases[] = {
      {"normalise with room", kVolumeNormalize, 100, 2.0f, 2.0f},
      {"normalise, peaks out of range", kVolumeNormalize, 250, -1.0f, 0.0f},
      {"manual 250%", kVolumeManual, 250, 2.0f, 2.5f},
      {"manual 100% is no step", kVolumeManual, 100, 2.0f, 0.0f},
      {"manual 0%", kVolumeManual, 0, -1.0f, 0.0f},
      {"keep", kVolumeKeep, 250, 2.0f, 0.0f},
  };
  for (const Case& c : cases) {
    ConvertSettings settings;
    settings.VolumeType = c.volumeType;
    settings.Volume = c.volume;
    EXPECT_FLOAT_EQ(ChooseGain(settings, c.normalizeGain), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace sondrel
