// CD tracks: ".cda" track files read from a CUE/BIN image named by
// SONDREL_CD_DEVICE.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/audioengine/bass.h"
#include "platform/audioengine/cd_channel.h"
#include "support/audio_fixtures.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

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

class AudioEngineCd : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureAudioEngine();
    // Two tracks: 1 s (75 sectors) and 2 s (150 sectors).
    m_track1 = test::Tone16(2, 44100, 44100, 0.3);
    m_track2 = test::Tone16(2, 88200, 44100, 0.6);
    m_cue = test::WriteCdImage(m_dir.Path().string(), "disc", {m_track1, m_track2});
  }
  std::string WriteCda(const std::string& name, const std::string& bytes) {
    const std::string path = m_dir.File(name);
    test::WriteFileBytes(path, bytes);
    return path;
  }

  test::TempDir m_dir;
  std::vector<int16_t> m_track1, m_track2;
  std::string m_cue;
};

TEST_F(AudioEngineCd, ReadsTheNamedTrackFromTheImage) {
  test::ScopedEnv device(audioengine::kCdDeviceVariable, m_cue.c_str());
  const std::string cda = WriteCda("Track02.cda", test::CdaFile(2, 75, 150));
  const HSTREAM h = BASS_StreamCreateFile(0, cda.c_str(), 0, 0, BASS_STREAM_DECODE);
  ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
  BASS_CHANNELINFO info{};
  ASSERT_EQ(BASS_ChannelGetInfo(h, &info), 1);
  EXPECT_EQ(info.freq, 44100u);
  EXPECT_EQ(info.chans, 2u);
  EXPECT_EQ(info.ctype, BASS_CTYPE_STREAM_CD);
  EXPECT_EQ(BASS_ChannelGetLength(h, BASS_POS_BYTE), QWORD{150} * 2352);
  EXPECT_EQ(BASS_StreamGetFilePosition(h, BASS_FILEPOS_END), QWORD{150} * 2352);
  EXPECT_EQ(DecodeAll(h), m_track2) << "bit exact";
  EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), QWORD{150} * 2352);
  BASS_StreamFree(h);

  // Track 1 is padded with silence to its last whole sector.
  const std::string first = WriteCda("Track01.cda", test::CdaFile(1, 0, 75));
  const HSTREAM h1 = BASS_StreamCreateFile(0, first.c_str(), 0, 0, BASS_STREAM_DECODE);
  ASSERT_NE(h1, 0u);
  std::vector<int16_t> expected = m_track1;
  expected.resize(75 * 588 * 2, 0);
  EXPECT_EQ(DecodeAll(h1), expected);
  BASS_StreamFree(h1);
}

TEST_F(AudioEngineCd, FailuresWithoutDeviceTrackOrValidFile) {
  const std::string cda = WriteCda("Track02.cda", test::CdaFile(2, 75, 150));
  {
    const std::string noDisc = m_dir.File("no-such-disc.cue");
    test::ScopedEnv device(audioengine::kCdDeviceVariable, noDisc.c_str());
    EXPECT_EQ(BASS_StreamCreateFile(0, cda.c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOCD) << "a track file copied off its disc";
  }
  test::ScopedEnv device(audioengine::kCdDeviceVariable, m_cue.c_str());
  const std::string track9 = WriteCda("Track09.cda", test::CdaFile(9, 0, 75));
  EXPECT_EQ(BASS_StreamCreateFile(0, track9.c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_CDTRACK);

  std::string longer = test::CdaFile(2, 75, 150) + "x";
  std::string shorter = test::CdaFile(2, 75, 150).substr(0, 43);
  std::string track0 = test::CdaFile(0, 0, 75);
  std::string badSize = test::CdaFile(2, 75, 150);
  badSize[16] = 25;
  for (const std::string& bytes : {longer, shorter, track0, badSize}) {
    const std::string path = WriteCda("bad.cda", bytes);
    EXPECT_EQ(BASS_StreamCreateFile(0, path.c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
  }

  // Without the CD add-on no track file opens.
  BASS_PluginFree(0);
  EXPECT_EQ(BASS_StreamCreateFile(0, cda.c_str(), 0, 0, BASS_STREAM_DECODE), 0u);
  test::EnsureAudioEngine();
}

TEST(CdaFile, Fields) {
  const std::string bytes = test::CdaFile(7, 12345, 678, 0xCAFE);
  const auto t =
      audioengine::ParseCdaFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  ASSERT_TRUE(t);
  EXPECT_EQ(t->track, 7);
  EXPECT_EQ(t->serial, 0xCAFEu);
  EXPECT_EQ(t->firstSector, 12345u);
  EXPECT_EQ(t->sectors, 678u);
  EXPECT_FALSE(audioengine::ParseCdaFile(nullptr, 44));
}

}  // namespace
}  // namespace sondrel
