// The engine's FFmpeg-backed streams: ADTS AAC, AAC and ALAC in MP4, ADX;
// their add-on gating and bad input.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "encode/format_catalogue.h"
#include "platform/audioengine/bass.h"
#include "support/audio_fixtures.h"
#include "support/av_fixture.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

std::vector<int16_t> DecodeAll(DWORD handle) {
  std::vector<int16_t> out;
  std::vector<int16_t> buffer(2304);
  for (;;) {
    const DWORD got = BASS_ChannelGetData(handle, buffer.data(), 4608);
    if (got == ~DWORD{0}) break;
    out.insert(out.end(), buffer.begin(), buffer.begin() + got / 2);
  }
  return out;
}

// Every `channels`-th sample from `first`.
std::vector<int16_t> ChannelOf(const std::vector<int16_t>& interleaved, int channels, int first) {
  std::vector<int16_t> out;
  for (size_t i = first; i < interleaved.size(); i += channels) out.push_back(interleaved[i]);
  return out;
}

HSTREAM Open(const std::string& path) {
  return BASS_StreamCreateFile(0, path.c_str(), 0, 0, BASS_STREAM_DECODE);
}

class AudioEngineFfmpeg : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureAudioEngine(); }

  // A two-channel fixture: 440 Hz left, 880 Hz right at half scale.
  std::string Write(const std::string& name, const std::string& muxer, const std::string& encoder,
                    int frames, int rate = 44100) {
    test::AvFixture fx;
    fx.muxer = muxer;
    fx.audioEncoder = encoder;
    fx.sampleRate = rate;
    fx.audio = {test::Sine(440, rate, frames, 0.5), test::Sine(880, rate, frames, 0.5)};
    fx.metadata = {{"title", "Song"}, {"artist", "Band"}};
    const std::string path = m_dir.File(name);
    std::string error;
    EXPECT_TRUE(test::WriteAvFixture(path, fx, &error)) << error;
    return path;
  }

  test::TempDir m_dir;
};

TEST_F(AudioEngineFfmpeg, AacInAdtsAndMp4) {
  const int frames = 2 * 44100;
  const std::vector<int16_t> tone = test::Tone16(2, frames, 44100, 0.5);  // 220 / 440 Hz
  for (const auto& [name, muxer, ctype] :
       {std::tuple<const char*, const char*, DWORD>{"tone.aac", "adts", BASS_CTYPE_STREAM_AAC},
        std::tuple<const char*, const char*, DWORD>{"tone.m4a", "ipod", BASS_CTYPE_STREAM_MP4}}) {
    SCOPED_TRACE(name);
    const std::string path = m_dir.File(name);
    ASSERT_TRUE(test::WriteWithFfmpegWriter(path, muxer, kCodecAac, 44100, 2, 192000, tone));
    const HSTREAM h = Open(path);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    BASS_CHANNELINFO info{};
    ASSERT_EQ(BASS_ChannelGetInfo(h, &info), 1);
    EXPECT_EQ(info.freq, 44100u);
    EXPECT_EQ(info.chans, 2u);
    EXPECT_EQ(info.ctype, ctype);
    const QWORD length = BASS_ChannelGetLength(h, BASS_POS_BYTE);
    // ADTS keeps the encoder's priming and padding; MP4 trims the priming.
    EXPECT_GE(length, QWORD{frames} * 4);
    EXPECT_LE(length, QWORD{frames + 3 * 1024} * 4);
    const std::vector<int16_t> decoded = DecodeAll(h);
    EXPECT_EQ(decoded.size() * 2, length);
    EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), length);
    EXPECT_NEAR(test::ToneLevel(ChannelOf(decoded, 2, 0), 220, 44100), 0.5, 0.05);
    EXPECT_NEAR(test::ToneLevel(ChannelOf(decoded, 2, 1), 440, 44100), 0.5, 0.05);
    EXPECT_LT(test::ToneLevel(ChannelOf(decoded, 2, 0), 440, 44100), 0.02);
    BASS_StreamFree(h);
  }
}

TEST_F(AudioEngineFfmpeg, AlacIsBitExact) {
  const int frames = 30000;
  const std::vector<int16_t> tone = test::Tone16(2, frames, 44100, 0.9);
  const std::string path = m_dir.File("lossless.m4a");
  ASSERT_TRUE(test::WriteWithFfmpegWriter(path, "ipod", kCodecAlac, 44100, 2, 0, tone));
  const HSTREAM h = Open(path);
  ASSERT_NE(h, 0u);
  BASS_CHANNELINFO info{};
  ASSERT_EQ(BASS_ChannelGetInfo(h, &info), 1);
  EXPECT_EQ(info.ctype, BASS_CTYPE_STREAM_ALAC);
  EXPECT_EQ(BASS_ChannelGetLength(h, BASS_POS_BYTE), QWORD{frames} * 4);
  EXPECT_EQ(DecodeAll(h), tone);
  BASS_StreamFree(h);

  // ALAC needs its own add-on, AAC in MP4 the AAC one.
  const std::string aac = Write("aac.m4a", "ipod", "aac", 8000);
  BASS_PluginFree(0);
  EXPECT_EQ(Open(path), 0u);
  EXPECT_EQ(Open(aac), 0u);
  BASS_PluginLoad("bass_aac.dll", 0);
  EXPECT_EQ(Open(path), 0u);
  const HSTREAM a = Open(aac);
  EXPECT_NE(a, 0u);
  BASS_StreamFree(a);
  test::EnsureAudioEngine();
}

TEST_F(AudioEngineFfmpeg, Adx) {
  const int frames = 22050;
  const std::string path = Write("tone.adx", "adx", "adpcm_adx", frames, 22050);
  const HSTREAM h = Open(path);
  ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
  BASS_CHANNELINFO info{};
  ASSERT_EQ(BASS_ChannelGetInfo(h, &info), 1);
  EXPECT_EQ(info.ctype, BASS_CTYPE_STREAM_ADX);
  EXPECT_EQ(info.freq, 22050u);
  const QWORD length = BASS_ChannelGetLength(h, BASS_POS_BYTE);
  EXPECT_GE(length, QWORD{frames} * 4);
  EXPECT_LE(length, QWORD{frames + 64} * 4);
  const std::vector<int16_t> decoded = DecodeAll(h);
  EXPECT_EQ(decoded.size() * 2, length);
  EXPECT_NEAR(test::ToneLevel(ChannelOf(decoded, 2, 0), 440, 22050), 0.5, 0.05);
  EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), length);
  BASS_StreamFree(h);
}

TEST_F(AudioEngineFfmpeg, BadInputFailsOrEnds) {
  const std::string m4a = Write("good.m4a", "ipod", "aac", 44100);
  const std::string aac = Write("good.aac", "adts", "aac", 44100);
  const std::string adx = Write("good.adx", "adx", "adpcm_adx", 44100);
  auto cut = [&](const std::string& from, const std::string& name, size_t keep,
                 size_t from_offset = 0) {
    std::string bytes = test::ReadFileBytes(from);
    bytes = bytes.substr(std::min(from_offset, bytes.size()), keep);
    const std::string path = m_dir.File(name);
    test::WriteFileBytes(path, bytes);
    return path;
  };
  auto noise = [&](const std::string& name, std::string head, size_t total) {
    uint32_t x = 99;
    while (head.size() < total) {
      x = x * 1664525 + 1013904223;
      head += static_cast<char>(x >> 24);
    }
    const std::string path = m_dir.File(name);
    test::WriteFileBytes(path, head);
    return path;
  };
  const std::vector<std::string> cases = {
      cut(m4a, "half.m4a", test::ReadFileBytes(m4a).size() / 2),
      cut(m4a, "head.m4a", 64),
      cut(aac, "half.aac", test::ReadFileBytes(aac).size() / 2),
      cut(aac, "tail.aac", 100000, 1001),
      cut(adx, "half.adx", test::ReadFileBytes(adx).size() / 2),
      cut(adx, "head.adx", 40),
      noise("ftyp.m4a",
            std::string("\0\0\0\x18"
                        "ftypM4A ",
                        12),
            20000),
      noise("moov.m4a", std::string("\0\0\x10\0moov", 8), 20000),
      noise("adts.aac", "\xFF\xF1\x50\x80\x02\x1F\xFC", 20000),
      noise("adx.adx", test::ReadFileBytes(adx).substr(0, 40), 20000),
  };
  for (const std::string& path : cases) {
    SCOPED_TRACE(path);
    const HSTREAM h = Open(path);
    if (h == 0) continue;
    const std::vector<int16_t> data = DecodeAll(h);
    EXPECT_LE(data.size() * 2, BASS_ChannelGetLength(h, BASS_POS_BYTE));
    EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), data.size() * 2);
    BASS_StreamFree(h);
  }
}

}  // namespace
}  // namespace sondrel
