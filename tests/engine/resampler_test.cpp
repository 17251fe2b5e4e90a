#include "engine/resampler.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "decode/decoder.h"

// Counts every allocation of the test program, to show that the resampler
// allocates nothing per block once its buffers have grown.
namespace {
std::atomic<long> g_allocations{0};
}  // namespace

// The replacements pair malloc with free themselves.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
// The sanitizer's own nothrow form would otherwise be paired with free.
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  ++g_allocations;
  return std::malloc(size ? size : 1);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace sondrel {
namespace {

std::vector<int16_t> Sine(double frequency, int rate, int frames, double amplitude) {
  std::vector<int16_t> s(frames);
  for (int i = 0; i < frames; ++i) {
    s[i] = static_cast<int16_t>(amplitude * std::sin(2 * std::numbers::pi * frequency * i / rate));
  }
  return s;
}

struct Output {
  std::vector<int16_t> left, right;
  std::vector<int> counts;  // per block
};

// Runs whole blocks of `left`/`right` through a set-up resampler.
Output Resample(Resampler& r, const std::vector<int16_t>& left, const std::vector<int16_t>* right,
                int inRate, int outRate) {
  Output out;
  std::vector<int16_t> outL(Resampler::OutputCapacity(inRate, outRate, kBlockFrames));
  std::vector<int16_t> outR(outL.size());
  for (size_t start = 0; start + kBlockFrames <= left.size(); start += kBlockFrames) {
    int count = -1;
    r.ResamplerProcess(left.data() + start, right ? right->data() + start : nullptr, kBlockFrames,
                       outL.data(), outR.data(), count);
    out.counts.push_back(count);
    out.left.insert(out.left.end(), outL.begin(), outL.begin() + count);
    out.right.insert(out.right.end(), outR.begin(), outR.begin() + count);
  }
  return out;
}

// Frequency from the rising zero crossings, interpolated between samples.
double MeasureFrequency(const std::vector<int16_t>& s, size_t from, size_t to, int rate) {
  double first = -1, last = -1;
  int crossings = 0;
  for (size_t i = from + 1; i < to; ++i) {
    if (s[i - 1] < 0 && s[i] >= 0) {
      const double t = (i - 1) + static_cast<double>(-s[i - 1]) / (s[i] - s[i - 1]);
      if (first < 0) first = t;
      last = t;
      ++crossings;
    }
  }
  return crossings > 1 ? (crossings - 1) * rate / (last - first) : 0;
}

double Rms(const std::vector<int16_t>& s, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += static_cast<double>(s[i]) * s[i];
  return std::sqrt(sum / (to - from));
}

TEST(Resampler, SineKeepsItsFrequencyAndLevel) {
  struct Case {
    int inRate, outRate;
    double frequency;
  };
  for (const Case c :
       {Case{44100, 48000, 1000.0}, Case{44100, 8000, 440.0}, Case{22050, 44100, 3000.0}}) {
    SCOPED_TRACE(std::to_string(c.inRate) + " -> " + std::to_string(c.outRate));
    const std::vector<int16_t> in = Sine(c.frequency, c.inRate, c.inRate * 2, 16384);
    const std::vector<int16_t> right = Sine(c.frequency * 1.5, c.inRate, c.inRate * 2, 8192);
    Resampler r;
    r.SetInput(2, c.inRate, 16);
    r.SetOutput(2, c.outRate, 16);
    ASSERT_TRUE(r.ResamplerSetup());
    const Output out = Resample(r, in, &right, c.inRate, c.outRate);
    // About 2 s of output less the filter's delay; measure the middle second.
    ASSERT_GT(out.left.size(), static_cast<size_t>(c.outRate * 3 / 2));
    const size_t from = c.outRate / 4, to = from + c.outRate;
    EXPECT_NEAR(MeasureFrequency(out.left, from, to, c.outRate), c.frequency, c.frequency * 1e-3);
    EXPECT_NEAR(MeasureFrequency(out.right, from, to, c.outRate), c.frequency * 1.5,
                c.frequency * 1.5e-3);
    const double inRms = Rms(in, c.inRate / 4, c.inRate / 4 + c.inRate);
    EXPECT_NEAR(20 * std::log10(Rms(out.left, from, to) / inRms), 0.0, 0.5);
  }
}

TEST(Resampler, DownToEightKilohertzFillsAtMostOneBlockPerBlock) {
  Resampler r;
  r.SetInput(1, 44100, 16);
  r.SetOutput(1, 8000, 16);
  ASSERT_TRUE(r.ResamplerSetup());
  EXPECT_EQ(r.OutputCapacity(kBlockFrames), kBlockFrames);  // (0 + 1) × 1152
  const std::vector<int16_t> in = Sine(440, 44100, 100 * kBlockFrames, 10000);
  const Output out = Resample(r, in, nullptr, 44100, 8000);
  long total = 0;
  for (size_t i = 0; i < out.counts.size(); ++i) {
    EXPECT_LE(out.counts[i], kBlockFrames);
    // After the filter has filled, every full block gives about 209 frames.
    if (i >= 2) {
      EXPECT_GE(out.counts[i], 208) << "block " << i;
      EXPECT_LE(out.counts[i], 210) << "block " << i;
    }
    total += out.counts[i];
  }
  const double expected = 100.0 * kBlockFrames * 8000 / 44100;
  EXPECT_GT(total, expected - 200);  // only the filter's delay is missing
  EXPECT_LE(total, expected);
}

TEST(Resampler, ChannelMixingAndCopying) {
  const std::vector<int16_t> l = {3, -1, 1, 32767, -32768, -3};
  const std::vector<int16_t> rr = {-4, 0, 2, 32767, -32768, 0};
  const std::vector<int16_t> mixed = {-1, -1, 1, 32767, -32768, -2};  // floor of the average
  std::vector<int16_t> outL(64, 99), outR(64, 99);
  int count = 0;
  {
    SCOPED_TRACE("two to one at equal rates: (L+R)>>1");
    Resampler r;
    r.SetInput(2, 44100, 16);
    r.SetOutput(1, 44100, 16);
    ASSERT_TRUE(r.ResamplerSetup());
    r.ResamplerProcess(l.data(), rr.data(), 6, outL.data(), outR.data(), count);
    ASSERT_EQ(count, 6);
    EXPECT_EQ(std::vector<int16_t>(outL.begin(), outL.begin() + 6), mixed);
    EXPECT_EQ(outR[0], 99);
  }
  {
    SCOPED_TRACE("one to two at equal rates: copied to both");
    Resampler r;
    r.SetInput(1, 32000, 16);
    r.SetOutput(2, 32000, 16);
    ASSERT_TRUE(r.ResamplerSetup());
    r.ResamplerProcess(l.data(), nullptr, 6, outL.data(), outR.data(), count);
    ASSERT_EQ(count, 6);
    EXPECT_EQ(std::vector<int16_t>(outL.begin(), outL.begin() + 6), l);
    EXPECT_EQ(std::vector<int16_t>(outR.begin(), outR.begin() + 6), l);
  }
  {
    SCOPED_TRACE("one to two with a rate change: both channels equal");
    const std::vector<int16_t> in = Sine(500, 22050, 10 * kBlockFrames, 12000);
    Resampler r;
    r.SetInput(1, 22050, 16);
    r.SetOutput(2, 44100, 16);
    ASSERT_TRUE(r.ResamplerSetup());
    const Output out = Resample(r, in, nullptr, 22050, 44100);
    ASSERT_FALSE(out.left.empty());
    EXPECT_EQ(out.left, out.right);
  }
  {
    SCOPED_TRACE("two to one with a rate change: the average is resampled");
    const std::vector<int16_t> a = Sine(500, 48000, 10 * kBlockFrames, 12000);
    const std::vector<int16_t> silent(a.size(), 0);
    Resampler r;
    r.SetInput(2, 48000, 16);
    r.SetOutput(1, 44100, 16);
    ASSERT_TRUE(r.ResamplerSetup());
    const Output out = Resample(r, a, &silent, 48000, 44100);
    const size_t from = 2000, to = out.left.size() - 100;
    EXPECT_NEAR(Rms(out.left, from, to), 6000 / std::sqrt(2.0), 60);
  }
}

TEST(Resampler, BadConfigurationAndEmptyBlocks) {
  struct Case {
    const char* name;
    int inCh, inRate, inBits, outCh, outRate, outBits;
  };
  const Case bad[] = {
      {"nothing set", -1, -1, -1, -1, -1, -1},       {"input rate 0", 2, 0, 16, 2, 44100, 16},
      {"negative rate", 2, 44100, 16, 2, -8000, 16}, {"three channels", 3, 44100, 16, 2, 48000, 16},
      {"8 bits", 1, 44100, 8, 1, 44100, 16},
  };
  int16_t in[4] = {1, 2, 3, 4}, out[16];
  for (const Case& c : bad) {
    SCOPED_TRACE(c.name);
    Resampler r;
    r.SetInput(c.inCh, c.inRate, c.inBits);
    r.SetOutput(c.outCh, c.outRate, c.outBits);
    EXPECT_FALSE(r.ResamplerSetup());
    int count = -1;
    r.ResamplerProcess(in, in, 4, out, out, count);
    EXPECT_EQ(count, 0);
  }
  EXPECT_EQ(Resampler::OutputCapacity(0, 44100, 1152), 0);
  EXPECT_EQ(Resampler::OutputCapacity(44100, 0, 1152), 0);

  Resampler r;
  r.SetInput(2, 44100, 16);
  r.SetOutput(2, 48000, 16);
  ASSERT_TRUE(r.ResamplerSetup());
  int count = -1;
  r.ResamplerProcess(in, in, 0, out, out, count);
  EXPECT_EQ(count, 0);
}

TEST(Resampler, AllocatesNothingPerBlockOnceGrown) {
  Resampler r;
  r.SetInput(2, 44100, 16);
  r.SetOutput(2, 48000, 16);
  ASSERT_TRUE(r.ResamplerSetup());
  const std::vector<int16_t> in = Sine(1000, 44100, kBlockFrames, 10000);
  std::vector<int16_t> outL(r.OutputCapacity(kBlockFrames)), outR(outL.size());
  int count = 0;
  const long atStart = g_allocations.load();
  r.ResamplerProcess(in.data(), in.data(), kBlockFrames, outL.data(), outR.data(), count);
  EXPECT_GT(g_allocations.load(), atStart);  // the buffers grow on the first block
  for (int i = 0; i < 3; ++i) {
    r.ResamplerProcess(in.data(), in.data(), kBlockFrames, outL.data(), outR.data(), count);
  }
  const long before = g_allocations.load();
  for (int i = 0; i < 200; ++i) {
    // Shorter blocks too, as at the end of a file.
    const int n = i % 7 == 0 ? 100 : kBlockFrames;
    r.ResamplerProcess(in.data(), in.data(), n, outL.data(), outR.data(), count);
  }
  EXPECT_EQ(g_allocations.load(), before);
}

}  // namespace
}  // namespace sondrel
