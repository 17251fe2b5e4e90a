// Tracker modules through BASS_MusicLoad.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/audioengine/bass.h"
#include "platform/audioengine/tags.h"
#include "support/audio_fixtures.h"
#include "support/synth_fixtures.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

constexpr DWORD kMusicFlags = BASS_MUSIC_DECODE | BASS_MUSIC_PRESCAN | BASS_MUSIC_RAMP;

std::vector<int16_t> DecodeAll(DWORD handle) {
  std::vector<int16_t> out;
  std::vector<int16_t> buffer(2304);
  for (int i = 0; i < 1000000; ++i) {
    const DWORD got = BASS_ChannelGetData(handle, buffer.data(), 4608);
    if (got == ~DWORD{0}) break;
    out.insert(out.end(), buffer.begin(), buffer.begin() + got / 2);
  }
  return out;
}

class AudioEngineModule : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureAudioEngine(); }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = m_dir.File(name);
    test::WriteFileBytes(path, bytes);
    return path;
  }
  test::TempDir m_dir;
};

TEST_F(AudioEngineModule, RendersTheModuleOnceAtTheRequestedRate) {
  const std::string path = Write("tiny.mod", test::TinyMod("Tiny Tune"));
  EXPECT_EQ(BASS_StreamCreateFile(0, path.c_str(), 0, 0, BASS_STREAM_DECODE), 0u) << "not a stream";

  for (DWORD rate : {0u, 22050u}) {
    SCOPED_TRACE(rate);
    const HMUSIC h = BASS_MusicLoad(0, path.c_str(), 0, 0, kMusicFlags, rate);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    const DWORD expectedRate = rate ? rate : 44100;
    BASS_CHANNELINFO info{};
    ASSERT_EQ(BASS_ChannelGetInfo(h, &info), 1);
    EXPECT_EQ(info.freq, expectedRate);
    EXPECT_EQ(info.chans, 2u);
    EXPECT_EQ(info.ctype, BASS_CTYPE_MUSIC_MOD);
    // 16 rows of 0.12 s.
    const QWORD length = BASS_ChannelGetLength(h, BASS_POS_BYTE);
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(h, length), 1.92, 0.01);
    EXPECT_EQ(BASS_StreamGetFilePosition(h, BASS_FILEPOS_END), ~QWORD{0}) << "no stream file";
    const std::vector<int16_t> data = DecodeAll(h);
    EXPECT_EQ(data.size() * 2, length);
    EXPECT_GT(test::Peak(data), 1000) << "the sample plays";
    EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), length);
    EXPECT_EQ(std::string(TAGS_Read(h, "%TITL|%ARTI")), "Tiny Tune|");
    EXPECT_EQ(BASS_StreamFree(h), 0) << "a module is freed with the module call";
    EXPECT_EQ(BASS_MusicFree(h), 1);
  }

  // Without a prescan the length is not known; the data still ends.
  const HMUSIC h = BASS_MusicLoad(0, path.c_str(), 0, 0, BASS_MUSIC_DECODE, 0);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(BASS_ChannelGetLength(h, BASS_POS_BYTE), ~QWORD{0});
  const double seconds = DecodeAll(h).size() / 2 / 44100.0;
  EXPECT_GE(seconds, 1.9);
  EXPECT_LE(seconds, 2.1);
  BASS_MusicFree(h);
}

TEST_F(AudioEngineModule, BadModulesFailOrEnd) {
  std::string noise;
  uint32_t x = 7;
  for (int i = 0; i < 20000; ++i) {
    x = x * 1103515245 + 12345;
    noise += static_cast<char>(x >> 24);
  }
  std::string markOnly(1084, '\0');
  markOnly.replace(1080, 4, "M.K.");
  const std::vector<std::string> cases = {
      Write("huge-sample.mod", test::TinyMod("x", 16, 0xFFFF)),
      Write("cut.mod", test::TinyMod("x").substr(0, 1200)),
      Write("mark-only.mod", markOnly),
      Write("mark-noise.mod", markOnly + noise),
      Write("noise.mod", noise),
      Write("empty.mod", ""),
      Write("xm-head.xm", "Extended Module: " + noise.substr(0, 300)),
  };
  for (const std::string& path : cases) {
    SCOPED_TRACE(path);
    const HMUSIC h = BASS_MusicLoad(0, path.c_str(), 0, 0, kMusicFlags, 0);
    if (h == 0) continue;
    const std::vector<int16_t> data = DecodeAll(h);
    EXPECT_LE(data.size() * 2, BASS_ChannelGetLength(h, BASS_POS_BYTE));
    BASS_MusicFree(h);
  }
  const std::string path = Write("ok.mod", test::TinyMod("x"));
  EXPECT_EQ(BASS_MusicLoad(0, path.c_str(), 0, 0, kMusicFlags, 1000000), 0u) << "absurd rate";
}

}  // namespace
}  // namespace sondrel
