#include "encode/raw_pcm_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace sondrel {
namespace {

std::vector<int16_t> Samples(const std::string& bytes) {
  std::vector<int16_t> s(bytes.size() / 2);
  std::memcpy(s.data(), bytes.data(), s.size() * 2);
  return s;
}

TEST(RawPcmWriter, InterleavesStereoAndPassesMonoStraightThrough) {
  test::TempDir dir;
  // 3000 frames: more than two 1152-frame chunks in one Write.
  std::vector<int16_t> l(3000), r(3000);
  for (int i = 0; i < 3000; ++i) {
    l[i] = static_cast<int16_t>(i);
    r[i] = static_cast<int16_t>(-i - 1);
  }
  RawPcmWriter w;
  w.SetChannels(2);
  w.SetOutputPath(dir.File("s.dts"));
  ASSERT_TRUE(w.Open());
  EXPECT_TRUE(w.Write(l.data(), r.data(), 3000));
  EXPECT_TRUE(w.Write(l.data(), r.data(), 0));
  EXPECT_TRUE(w.Write(l.data(), r.data(), 5));
  w.Close();
  std::vector<int16_t> got = Samples(test::ReadFileBytes(dir.File("s.dts")));
  ASSERT_EQ(got.size(), 2u * 3005);
  for (int i = 0; i < 3000; ++i) {
    ASSERT_EQ(got[2 * i], l[i]);
    ASSERT_EQ(got[2 * i + 1], r[i]);
  }
  EXPECT_EQ(got[6000], 0);
  EXPECT_EQ(got[6001], -1);

  RawPcmWriter m;
  m.SetChannels(1);
  m.SetOutputPath(dir.File("m.dts"));
  ASSERT_TRUE(m.Open());
  EXPECT_TRUE(m.Write(l.data(), nullptr, 1500));
  m.Close();
  got = Samples(test::ReadFileBytes(dir.File("m.dts")));
  EXPECT_EQ(got, std::vector<int16_t>(l.begin(), l.begin() + 1500));
}

TEST(RawPcmWriter, OpenReplacesAnExistingFile) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("x.dts"), std::string(10000, 'z'));
  RawPcmWriter w;
  w.SetChannels(1);
  w.SetOutputPath(dir.File("x.dts"));
  ASSERT_TRUE(w.Open());
  int16_t one = 7;
  w.Write(&one, nullptr, 1);
  w.Close();
  EXPECT_EQ(std::filesystem::file_size(dir.File("x.dts")), 2u);
}

TEST(RawPcmWriter, FailuresAreReturnValues) {
  RawPcmWriter never;
  never.Close();  // harmless without Open
  int16_t s[4] = {};
  EXPECT_FALSE(never.Write(s, s, 4));

  RawPcmWriter noPath;
  EXPECT_FALSE(noPath.Open());

  test::TempDir dir;
  RawPcmWriter missingFolder;
  missingFolder.SetOutputPath(dir.File("no/such/folder/x.dts"));
  EXPECT_FALSE(missingFolder.Open());
  missingFolder.Close();

  // A full device: every write fails and is reported.
  if (access("/dev/full", W_OK) == 0) {
    RawPcmWriter full;
    full.SetChannels(2);
    full.SetOutputPath("/dev/full");
    ASSERT_TRUE(full.Open());
    std::vector<int16_t> l(2000), r(2000);
    EXPECT_FALSE(full.Write(l.data(), r.data(), 2000));
    EXPECT_TRUE(full.Write(l.data(), r.data(), 0));
    full.Close();
  }
}

}  // namespace
}  // namespace sondrel
