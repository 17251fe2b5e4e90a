// The audio engine's calls on the file-based stream backends: WAV in every
// width, FLAC, MP3, WavPack; choice by content; lengths, positions and the
// end of the data; add-on gating; bad input.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "encode/format_catalogue.h"
#include "platform/audioengine/bass.h"
#include "support/audio_fixtures.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

using test::TempDir;

// Reads a channel to its end in blocks of `block` bytes.
std::vector<uint8_t> DecodeAll(DWORD handle, DWORD block = 4608) {
  std::vector<uint8_t> out;
  std::vector<uint8_t> buffer(block);
  for (;;) {
    const DWORD got = BASS_ChannelGetData(handle, buffer.data(), block);
    if (got == ~DWORD{0}) break;
    out.insert(out.end(), buffer.begin(), buffer.begin() + got);
    if (out.size() > (1u << 30)) break;
  }
  return out;
}

std::vector<int16_t> AsSamples(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> s(bytes.size() / 2);
  std::memcpy(s.data(), bytes.data(), s.size() * 2);
  return s;
}

HSTREAM Open(const std::string& path) {
  return BASS_StreamCreateFile(0, path.c_str(), 0, 0, BASS_STREAM_DECODE);
}

class AudioEngine : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureAudioEngine(); }
  TempDir m_dir;
};

TEST_F(AudioEngine, VersionInitAndAddOns) {
  EXPECT_EQ(BASS_GetVersion() >> 16, 0x0204u);
  EXPECT_EQ(BASS_Init(0, 44100, 0, nullptr, nullptr), 0) << "second initialisation";
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
  EXPECT_EQ(BASS_PluginLoad("/opt/x/unknown.dll", 0), 0u);

  const std::string flac = m_dir.File("a.flac");
  ASSERT_TRUE(test::WriteSndfile16(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2,
                                   test::Tone16(2, 4410, 44100)));
  // Without the FLAC add-on the file is not a stream this engine reads.
  ASSERT_EQ(BASS_PluginFree(0), 1);
  EXPECT_EQ(Open(flac), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
  // Add-on names are matched without their folder, "lib" prefix or suffix.
  const HPLUGIN plugin = BASS_PluginLoad("/usr/lib/sondrel/libbassflac.so", 0);
  ASSERT_NE(plugin, 0u);
  const HSTREAM h = Open(flac);
  EXPECT_NE(h, 0u);
  EXPECT_EQ(BASS_StreamFree(h), 1);
  EXPECT_EQ(BASS_StreamFree(h), 0) << "freed twice";
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(AudioEngine, WavInEveryWidth) {
  const int rate = 22050;
  const int frames = 30000;  // not a multiple of any block size
  const std::vector<int32_t> source = test::Tone32(2, frames, rate);
  std::vector<int16_t> top16(source.size());
  for (size_t i = 0; i < source.size(); ++i) top16[i] = static_cast<int16_t>(source[i] >> 16);

  struct Case {
    const char* name;
    int format;
  };
  for (const Case& c : {Case{"16-bit", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                        Case{"24-bit", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
                        Case{"32-bit", SF_FORMAT_WAV | SF_FORMAT_PCM_32},
                        Case{"extensible 24-bit", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24},
                        Case{"AIFF 16-bit", SF_FORMAT_AIFF | SF_FORMAT_PCM_16}}) {
    SCOPED_TRACE(c.name);
    const std::string path = m_dir.File(std::string(c.name) + ".wav");
    ASSERT_TRUE(test::WriteSndfile32(path, c.format, rate, 2, source));
    const HSTREAM h = Open(path);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    BASS_CHANNELINFO info{};
    ASSERT_EQ(BASS_ChannelGetInfo(h, &info), 1);
    EXPECT_EQ(info.freq, 22050u);
    EXPECT_EQ(info.chans, 2u);
    EXPECT_EQ(info.flags & BASS_SAMPLE_8BITS, 0u);
    EXPECT_EQ(BASS_ChannelGetLength(h, BASS_POS_BYTE), QWORD{frames} * 4);
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(h, QWORD{frames} * 4), frames / 22050.0, 1e-9);
    EXPECT_EQ(BASS_StreamGetFilePosition(h, BASS_FILEPOS_END), std::filesystem::file_size(path));
    const std::vector<int16_t> decoded = AsSamples(DecodeAll(h, 1000));  // odd block: whole frames
    ASSERT_EQ(decoded.size(), top16.size());
    EXPECT_EQ(decoded, top16) << "the top 16 bits of each sample";
    EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), BASS_ChannelGetLength(h, BASS_POS_BYTE));
    uint8_t more[16];
    EXPECT_EQ(BASS_ChannelGetData(h, more, sizeof more), ~DWORD{0});
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ENDED);
    BASS_StreamFree(h);
  }

  // Float data is scaled to 16 bits and clipped beyond full scale.
  const std::string path = m_dir.File("float.wav");
  ASSERT_TRUE(test::WriteSndfileFloat(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 8000, 1,
                                      {0.0f, 0.5f, -0.5f, 1.0f, -1.0f, 1.5f, -3.0f}));
  const HSTREAM h = Open(path);
  ASSERT_NE(h, 0u);
  const std::vector<int16_t> decoded = AsSamples(DecodeAll(h));
  ASSERT_EQ(decoded.size(), 7u);
  EXPECT_EQ(decoded[0], 0);
  EXPECT_EQ(decoded[1], 16384);
  EXPECT_EQ(decoded[2], -16384);
  EXPECT_EQ(decoded[3], 32767);
  EXPECT_EQ(decoded[4], -32768);
  EXPECT_EQ(decoded[5], 32767);
  EXPECT_EQ(decoded[6], -32768);
  BASS_StreamFree(h);
}

TEST_F(AudioEngine, EightBitIsDeliveredAsStored) {
  const std::string path = m_dir.File("u8.wav");
  const std::vector<uint8_t> bytes = {0, 128, 255, 1, 127, 200};
  ASSERT_TRUE(test::WriteWav8(path, 11025, 2, bytes));
  const HSTREAM h = Open(path);
  ASSERT_NE(h, 0u);
  BASS_CHANNELINFO info{};
  ASSERT_EQ(BASS_ChannelGetInfo(h, &info), 1);
  EXPECT_EQ(info.flags & BASS_SAMPLE_8BITS, BASS_SAMPLE_8BITS);
  EXPECT_EQ(info.origres, 8u);
  EXPECT_EQ(BASS_ChannelGetLength(h, BASS_POS_BYTE), 6u);
  EXPECT_EQ(DecodeAll(h), bytes);
  EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), 6u);
  BASS_StreamFree(h);

  // Signed 8-bit data (AIFF) comes out unsigned too.
  const std::string aiff = m_dir.File("s8.aiff");
  ASSERT_TRUE(test::WriteSndfile16(aiff, SF_FORMAT_AIFF | SF_FORMAT_PCM_S8, 8000, 1,
                                   {-32768, 0, 32512, 256}));
  const HSTREAM a = Open(aiff);
  ASSERT_NE(a, 0u);
  EXPECT_EQ(DecodeAll(a), (std::vector<uint8_t>{0, 128, 255, 129}));
  BASS_StreamFree(a);
}

TEST_F(AudioEngine, FlacIsBitExact) {
  const std::vector<int16_t> tone = test::Tone16(2, 50000, 48000, 0.9);
  const std::string path = m_dir.File("tone.flac");
  ASSERT_TRUE(test::WriteSndfile16(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 2, tone));
  const HSTREAM h = Open(path);
  ASSERT_NE(h, 0u);
  BASS_CHANNELINFO info{};
  ASSERT_EQ(BASS_ChannelGetInfo(h, &info), 1);
  EXPECT_EQ(info.ctype, BASS_CTYPE_STREAM_FLAC);
  EXPECT_EQ(BASS_ChannelGetLength(h, BASS_POS_BYTE), 200000u);
  EXPECT_EQ(AsSamples(DecodeAll(h)), tone);
  EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), 200000u);
  BASS_StreamFree(h);

  // 24-bit FLAC: the top 16 bits.
  const std::vector<int32_t> wide = test::Tone32(1, 9000, 96000);
  const std::string path24 = m_dir.File("wide.flac");
  ASSERT_TRUE(test::WriteSndfile32(path24, SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 96000, 1, wide));
  const HSTREAM w = Open(path24);
  ASSERT_NE(w, 0u);
  const std::vector<int16_t> decoded = AsSamples(DecodeAll(w));
  ASSERT_EQ(decoded.size(), wide.size());
  for (size_t i = 0; i < wide.size(); ++i) ASSERT_EQ(decoded[i], wide[i] >> 16) << i;
  BASS_StreamFree(w);

  // 8-bit FLAC: the decoded samples, as 16 bits (there are no stored bytes).
  const std::vector<int16_t> narrow = {-32768, 0, 32512, 256, -256};
  const std::string path8 = m_dir.File("narrow.flac");
  ASSERT_TRUE(test::WriteSndfile16(path8, SF_FORMAT_FLAC | SF_FORMAT_PCM_S8, 8000, 1, narrow));
  const HSTREAM n = Open(path8);
  ASSERT_NE(n, 0u);
  ASSERT_EQ(BASS_ChannelGetInfo(n, &info), 1);
  EXPECT_EQ(info.flags & BASS_SAMPLE_8BITS, 0u);
  EXPECT_EQ(AsSamples(DecodeAll(n)), narrow);
  BASS_StreamFree(n);
}

TEST_F(AudioEngine, WavPackIsBitExact) {
  struct Case {
    const char* name;
    int bytes;
    int channels;
    bool unknownLength;
  };
  for (const Case& c : {Case{"16-bit stereo", 2, 2, false}, Case{"24-bit mono", 3, 1, false},
                        Case{"8-bit stereo", 1, 2, false}, Case{"6 channels", 2, 6, false},
                        Case{"length not in the header", 2, 2, true}}) {
    SCOPED_TRACE(c.name);
    const int frames = 20000;
    const std::vector<int32_t> full = test::Tone32(c.channels, frames, 44100, 0.8);
    std::vector<int32_t> stored(full.size());
    std::vector<int16_t> expected(full.size());
    const int shift = 32 - 8 * c.bytes;
    for (size_t i = 0; i < full.size(); ++i) {
      stored[i] = full[i] >> shift;
      expected[i] = static_cast<int16_t>(c.bytes == 1 ? stored[i] * 256 : full[i] >> 16);
    }
    const std::string path = m_dir.File(std::string(c.name) + ".wv");
    ASSERT_TRUE(test::WriteWavPack(path, 44100, c.channels, c.bytes, stored, c.unknownLength));
    const HSTREAM h = Open(path);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    BASS_CHANNELINFO info{};
    ASSERT_EQ(BASS_ChannelGetInfo(h, &info), 1);
    EXPECT_EQ(info.chans, static_cast<DWORD>(c.channels));
    EXPECT_EQ(info.ctype, BASS_CTYPE_STREAM_WV);
    EXPECT_EQ(BASS_ChannelGetLength(h, BASS_POS_BYTE), QWORD{frames} * c.channels * 2);
    EXPECT_EQ(AsSamples(DecodeAll(h)), expected);
    EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), BASS_ChannelGetLength(h, BASS_POS_BYTE));
    BASS_StreamFree(h);
  }
}

TEST_F(AudioEngine, Mp3HasExactGaplessLength) {
  const int frames = 3 * 44100 + 123;
  const std::vector<int16_t> tone = test::Tone16(2, frames, 44100, 0.5);
  const std::string mp3 = m_dir.File("tone.mp3");
  ASSERT_TRUE(test::WriteWithFfmpegWriter(mp3, "mp3", kCodecMp3, 44100, 2, 192000, tone));
  const HSTREAM h = Open(mp3);
  ASSERT_NE(h, 0u);
  BASS_CHANNELINFO info{};
  ASSERT_EQ(BASS_ChannelGetInfo(h, &info), 1);
  EXPECT_EQ(info.ctype, BASS_CTYPE_STREAM_MP3);
  EXPECT_EQ(info.freq, 44100u);
  EXPECT_EQ(info.chans, 2u);
  EXPECT_EQ(BASS_ChannelGetLength(h, BASS_POS_BYTE), QWORD{frames} * 4)
      << "encoder delay and padding are trimmed";
  const std::vector<int16_t> decoded = AsSamples(DecodeAll(h));
  EXPECT_EQ(decoded.size(), tone.size());
  EXPECT_EQ(test::BestAlignment(tone, decoded, 2, 8), 0) << "no delay left at the start";
  EXPECT_LT(test::RmsDifference(decoded, tone), 0.05 * 11585) << "close to the source";
  EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), QWORD{frames} * 4);
  const QWORD size = BASS_StreamGetFilePosition(h, BASS_FILEPOS_END);
  EXPECT_EQ(size, std::filesystem::file_size(mp3));
  BASS_StreamFree(h);
}

TEST_F(AudioEngine, ChoosesTheDecoderByContent) {
  const std::vector<int16_t> tone = test::Tone16(1, 4000, 16000);
  // A WAV file named .mp3 and a FLAC file named .wav.
  const std::string wavAsMp3 = m_dir.File("really-wav.mp3");
  const std::string flacAsWav = m_dir.File("really-flac.wav");
  ASSERT_TRUE(
      test::WriteSndfile16(m_dir.File("x.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 1, tone));
  std::filesystem::rename(m_dir.File("x.wav"), wavAsMp3);
  ASSERT_TRUE(test::WriteSndfile16(m_dir.File("x.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 16000,
                                   1, tone));
  std::filesystem::rename(m_dir.File("x.flac"), flacAsWav);
  for (const std::string& path : {wavAsMp3, flacAsWav}) {
    SCOPED_TRACE(path);
    const HSTREAM h = Open(path);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(AsSamples(DecodeAll(h)), tone);
    BASS_StreamFree(h);
  }
}

TEST_F(AudioEngine, BadInputFailsOrEnds) {
  const std::vector<int16_t> tone = test::Tone16(2, 44100, 44100);
  const std::string goodWav = m_dir.File("good.wav");
  const std::string goodFlac = m_dir.File("good.flac");
  ASSERT_TRUE(test::WriteSndfile16(goodWav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, tone));
  ASSERT_TRUE(test::WriteSndfile16(goodFlac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, tone));
  std::vector<int32_t> wide(tone.begin(), tone.end());
  const std::string goodWv = m_dir.File("good.wv");
  ASSERT_TRUE(test::WriteWavPack(goodWv, 44100, 2, 2, wide));

  auto truncated = [&](const std::string& from, const std::string& name, size_t keep) {
    std::string bytes = test::ReadFileBytes(from);
    bytes.resize(std::min(bytes.size(), keep));
    const std::string path = m_dir.File(name);
    test::WriteFileBytes(path, bytes);
    return path;
  };
  auto garbage = [&](const std::string& name, std::string head, size_t total) {
    std::string bytes = std::move(head);
    uint32_t x = 12345;
    while (bytes.size() < total) {
      x = x * 1103515245 + 12345;
      bytes += static_cast<char>(x >> 24);
    }
    const std::string path = m_dir.File(name);
    test::WriteFileBytes(path, bytes);
    return path;
  };

  std::string headerOnly = test::ReadFileBytes(goodWav).substr(0, 44);
  const std::vector<std::string> cases = {
      m_dir.File("missing.wav"),
      garbage("empty.wav", "", 0),
      truncated(goodWav, "cut-header.wav", 30),
      truncated(goodWav, "cut-data.wav", 44 + 1001),
      garbage("header-only.wav", headerOnly, 44),
      truncated(goodFlac, "cut.flac", 2000),
      truncated(goodFlac, "cut-streaminfo.flac", 20),
      truncated(goodWv, "cut.wv", 1500),
      truncated(goodWv, "cut-header.wv", 20),
      garbage("riff.wav", std::string("RIFF\xff\xff\xff\x7fWAVEfmt ", 16), 5000),
      garbage("flac.flac", "fLaC", 5000),
      garbage("wavpack.wv", "wvpk", 5000),
      garbage("ogg.ogg", "OggS", 5000),
      garbage("aiff.aiff",
              "FORM\x00\x00\x10\x00"
              "AIFF",
              5000),
      garbage("id3.mp3", std::string("ID3\x04\x00\x00\x7f\x7f\x7f\x7f", 10), 5000),
      garbage("mpeg-sync.mp3", "\xff\xfb\x90\x64", 5000),
      garbage("noise.mp3", "", 100000),
  };
  for (const std::string& path : cases) {
    SCOPED_TRACE(path);
    const HSTREAM h = Open(path);
    if (h == 0) continue;  // refused: fine
    // Accepted: the data must end, within the announced length.
    const std::vector<uint8_t> data = DecodeAll(h);
    const QWORD length = BASS_ChannelGetLength(h, BASS_POS_BYTE);
    EXPECT_LE(data.size(), length);
    EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), data.size());
    BASS_StreamFree(h);
  }
  // A folder is not a file.
  EXPECT_EQ(Open(m_dir.Path().string()), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
  // Only decoding channels of whole files exist.
  EXPECT_EQ(BASS_StreamCreateFile(0, goodWav.c_str(), 0, 0, 0), 0u);
  EXPECT_EQ(BASS_StreamCreateFile(0, goodWav.c_str(), 10, 0, BASS_STREAM_DECODE), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
}

}  // namespace
}  // namespace sondrel
