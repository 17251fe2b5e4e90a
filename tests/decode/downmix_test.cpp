#include "decode/downmix.h"

#include <gtest/gtest.h>

namespace sondrel {
namespace {

struct Mix {
  int16_t left;
  int16_t right;
};

Mix Down(int channels, std::initializer_list<int16_t> frame) {
  int16_t s[16] = {};
  int i = 0;
  for (int16_t v : frame) s[i++] = v;
  Mix m{};
  DownmixToStereo(channels, s, m.left, m.right);
  return m;
}

TEST(DownmixToStereo, EachChannelCountOfTheTable) {
  // t(x) = trunc(x * 0.707f)
  Mix m = Down(3, {100, 200, 1000});
  EXPECT_EQ(m.left, 100 + 707);
  EXPECT_EQ(m.right, 200 + 707);
  m = Down(4, {1, 2, 3, 4});
  EXPECT_EQ(m.left, 4);
  EXPECT_EQ(m.right, 6);
  m = Down(5, {10, 20, 1000, 3, 4});
  EXPECT_EQ(m.left, 10 + 707 + 3);
  EXPECT_EQ(m.right, 20 + 707 + 4);
  m = Down(6, {1000, 1000, 1000, 1000, 0, 0});
  EXPECT_EQ(m.left, 2414);
  EXPECT_EQ(m.right, 2414);
  m = Down(7, {0, 0, 100, 100, 5, 6, 100});
  EXPECT_EQ(m.left, 212 + 5);
  EXPECT_EQ(m.right, 212 + 6);
  m = Down(8, {0, 0, 100, 100, 1, 2, 3, 4});
  EXPECT_EQ(m.left, 141 + 1 + 3);
  EXPECT_EQ(m.right, 141 + 2 + 4);
}

TEST(DownmixToStereo, TruncatesTowardZeroAndClamps) {
  Mix m = Down(3, {0, 0, -1000});
  EXPECT_EQ(m.left, -707);
  m = Down(3, {1, 0, -3});  // -2.121 truncates to -2
  EXPECT_EQ(m.left, -1);
  m = Down(3, {30000, -30000, 30000});
  EXPECT_EQ(m.left, 32767);
  EXPECT_EQ(m.right, -30000 + 21210);
  m = Down(6, {-32768, -32768, -32768, -32768, -32768, -32768});
  EXPECT_EQ(m.left, -32768);
  EXPECT_EQ(m.right, -32768);
}

TEST(DownmixToStereo, MoreThanEightChannelsUseTheFirstEight) {
  int16_t s[10] = {0, 0, 100, 100, 1, 2, 3, 4, 9999, 9999};
  int16_t l = 0, r = 0;
  DownmixToStereo(10, s, l, r);
  EXPECT_EQ(l, 145);
  EXPECT_EQ(r, 147);
}

TEST(DownmixToStereo, OtherCountsPassTheFirstTwo) {
  Mix m = Down(2, {5, 6});
  EXPECT_EQ(m.left, 5);
  EXPECT_EQ(m.right, 6);
  m = Down(1, {7});  // never reads past a one-sample frame
  EXPECT_EQ(m.left, 7);
}

}  // namespace
}  // namespace sondrel
