#include "engine/encoder_parameters.h"

#include <gtest/gtest.h>

namespace sondrel {
namespace {

TEST(EncoderParameters, DefaultBitRateTable) {
  struct Case {
    int rate, channels, expected;
  };
  const Case cases[] = {
      {8000, 1, 24000},   {12000, 2, 48000},  {12001, 1, 32000},  {16000, 2, 56000},
      {22050, 1, 48000},  {24000, 2, 64000},  {32000, 1, 64000},  {32000, 2, 96000},
      {44100, 1, 96000},  {44100, 2, 128000}, {44101, 1, 128000}, {48000, 2, 192000},
      {96000, 6, 192000}, {0, 0, 48000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.channels << " ch");
    EXPECT_EQ(DefaultBitRate(c.rate, c.channels), c.expected);
  }
}

TEST(EncoderParameters, WmaParameterTable) {
  struct Case {
    int rate, channels, expectRate, expectBits;
  };
  const Case cases[] = {
      {8000, 1, 22050, 20000},   {8000, 2, 22050, 32000},   {16000, 1, 44100, 32000},
      {16000, 2, 44100, 48000},  {22050, 2, 44100, 64000},  {32000, 2, 44100, 96000},
      {44100, 1, 44100, 48000},  {44100, 2, 44100, 128000}, {48000, 1, 44100, 48000},
      {48000, 2, 48000, 192000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.channels << " ch");
    const WmaParameters p = ChooseWmaParameters(c.rate, c.channels);
    EXPECT_EQ(p.sampleRate, c.expectRate);
    EXPECT_EQ(p.bitRate, c.expectBits);
  }
}

TEST(EncoderParameters, NearestValue) {
  const int rates[] = {8000, 11025, 22050, 44100, -1};
  {
    SCOPED_TRACE("exact entries are kept");
    EXPECT_EQ(NearestValue(11025, rates), 11025);
    EXPECT_EQ(NearestValue(44100, rates), 44100);
  }
  {
    SCOPED_TRACE("outside the range: first or last entry");
    EXPECT_EQ(NearestValue(100, rates), 8000);
    EXPECT_EQ(NearestValue(96000, rates), 44100);
  }
  {
    SCOPED_TRACE("between two entries: the nearer one");
    EXPECT_EQ(NearestValue(20000, rates), 22050);
    EXPECT_EQ(NearestValue(12000, rates), 11025);
  }
  {
    SCOPED_TRACE("a tie takes the lower entry");
    const int list[] = {10, 20, -1};
    EXPECT_EQ(NearestValue(15, list), 10);
    EXPECT_EQ(NearestValue(16, list), 20);
  }
  {
    SCOPED_TRACE("no list, or an empty one, keeps the value");
    EXPECT_EQ(NearestValue(12345, nullptr), 12345);
    const int empty[] = {-1};
    EXPECT_EQ(NearestValue(12345, empty), 12345);
  }
  {
    SCOPED_TRACE("extreme values do not overflow");
    const int list[] = {0, 2147483000, -1};
    EXPECT_EQ(NearestValue(-2147483647 - 1, list), 0);
    EXPECT_EQ(NearestValue(2147483647, list), 2147483000);
  }
}

}  // namespace
}  // namespace sondrel
