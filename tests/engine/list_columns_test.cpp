#include "engine/list_columns.h"

#include <gtest/gtest.h>

namespace sondrel {
namespace {

TEST(ListColumns, CellTexts) {
  EXPECT_EQ(DurationText(0), "");
  EXPECT_EQ(DurationText(59), "00:59");
  EXPECT_EQ(DurationText(3599), "59:59");
  EXPECT_EQ(DurationText(3725), "1:02:05");
  EXPECT_EQ(BitRateText(0), "");
  EXPECT_EQ(BitRateText(128), "128 kbps");
  EXPECT_EQ(SampleRateText(44100), "44100 Hz");
  EXPECT_EQ(ChannelsText(0), "Mono");
  EXPECT_EQ(ChannelsText(2), "Stereo");
  EXPECT_EQ(ChannelsText(6), "5.1");
  EXPECT_EQ(ChannelsText(12), "12");
}

}  // namespace
}  // namespace sondrel
