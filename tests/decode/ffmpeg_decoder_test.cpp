#include "decode/ffmpeg_decoder.h"

#include <sndfile.h>

#include <climits>
#include <filesystem>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "decode/ffmpeg_probe.h"
#include "decode/source_opener.h"
#include "platform/ffmpeg/ffmpeg_handles.h"
#include "support/av_fixture.h"
#include "support/temp_dir.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace sondrel {
namespace {

class FfmpegReader : public ::testing::Test {
 protected:
  void SetUp() override { ffmpeg::QuietLog(); }
  test::TempDir m_dir;
};

// Opens a libsndfile writer; the caller writes and closes.
SNDFILE* OpenSnd(const std::string& path, int format, int channels, int rate = 44100) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  return sf_open(path.c_str(), SFM_WRITE, &info);
}

std::vector<int16_t> ReadMono(const std::string& path) {
  FfmpegDecoder d;
  EXPECT_TRUE(d.Open(path, 0)) << path;
  EXPECT_EQ(d.GetOutputChannels(), 1);
  test::DecodedAudio a = test::ReadAll(d);
  EXPECT_TRUE(a.ended);
  return a.left;
}

TEST_F(FfmpegReader, ConvertsEverySampleFormatByTheRules) {
  {
    SCOPED_TRACE("unsigned 8-bit: (b - 128) * 256");
    const std::string p = m_dir.File("u8.wav");
    SNDFILE* f = OpenSnd(p, SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1);
    const unsigned char bytes[] = {0, 128, 255, 1};
    sf_write_raw(f, bytes, sizeof bytes);
    sf_close(f);
    EXPECT_EQ(ReadMono(p), (std::vector<int16_t>{-32768, 0, 32512, -32512}));
  }
  {
    SCOPED_TRACE("24-bit: the top 16 bits");
    const std::string p = m_dir.File("s24.wav");
    SNDFILE* f = OpenSnd(p, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 1);
    const int v[] = {0x7fffff00, INT_MIN, 0x12345600, -256};
    sf_write_int(f, v, 4);
    sf_close(f);
    EXPECT_EQ(ReadMono(p), (std::vector<int16_t>{32767, -32768, 0x1234, -1}));
  }
  {
    SCOPED_TRACE("32-bit: shifted right by 16");
    const std::string p = m_dir.File("s32.wav");
    SNDFILE* f = OpenSnd(p, SF_FORMAT_WAV | SF_FORMAT_PCM_32, 1);
    const int v[] = {INT_MAX, INT_MIN, 0x00018000, -1};
    sf_write_int(f, v, 4);
    sf_close(f);
    EXPECT_EQ(ReadMono(p), (std::vector<int16_t>{32767, -32768, 1, -1}));
  }
  const std::vector<int16_t> expectReal = {32767, -32768, 16384, -32768, 32767, 0, -16383};
  {
    SCOPED_TRACE("float: v * 32768 truncated and clipped");
    const std::string p = m_dir.File("f32.wav");
    SNDFILE* f = OpenSnd(p, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1);
    const float v[] = {1.5f, -1.0f, 0.5f, -2.0f, 0.99999f, -0.00001f, -0.49999f};
    sf_write_float(f, v, 7);
    sf_close(f);
    EXPECT_EQ(ReadMono(p), expectReal);
  }
  {
    SCOPED_TRACE("double: the same rule");
    const std::string p = m_dir.File("f64.wav");
    SNDFILE* f = OpenSnd(p, SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 1);
    const double v[] = {1.5, -1.0, 0.5, -2.0, 0.99999, -0.00001, -0.49999};
    sf_write_double(f, v, 7);
    sf_close(f);
    EXPECT_EQ(ReadMono(p), expectReal);
  }
  {
    SCOPED_TRACE("planar float from a lossy codec: a tone survives");
    const std::string p = m_dir.File("tone.ogg");
    test::AvFixture fx;
    fx.muxer = "ogg";
    fx.audioEncoder = "libvorbis";
    fx.audio = {test::Sine(1000, 44100, 44100, 0.5)};
    ASSERT_TRUE(test::WriteAvFixture(p, fx));
    const std::vector<int16_t> got = ReadMono(p);
    EXPECT_NEAR(static_cast<double>(got.size()), 44100, 2048);
    EXPECT_NEAR(test::ToneLevel(got, 1000, 44100), 0.5, 0.05);
  }
}

TEST_F(FfmpegReader, DeliversFullBlocksAndKeepsTheRestForTheNextRead) {
  // FLAC frames of 4096 samples: each decoded frame spans several blocks.
  const std::string p = m_dir.File("ramp.flac");
  const int frames = 10000;
  std::vector<short> inter(2 * frames);
  for (int i = 0; i < frames; ++i) {
    inter[2 * i] = static_cast<short>(i * 7);
    inter[2 * i + 1] = static_cast<short>(-i * 3);
  }
  SNDFILE* f = OpenSnd(p, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2);
  sf_writef_short(f, inter.data(), frames);
  sf_close(f);

  FfmpegDecoder d;
  ASSERT_TRUE(d.Open(p, 0));
  EXPECT_EQ(d.HasAudio(), 1);
  EXPECT_EQ(d.GetSampleRate(), 44100);
  EXPECT_EQ(d.GetChannels(), 2);
  EXPECT_EQ(d.GetOutputChannels(), 2);
  EXPECT_EQ(d.GetBitsPerSample(), 16);
  EXPECT_EQ(d.GetDuration(), 0);  // 0.23 s, truncated
  EXPECT_EQ(d.GetLength(), static_cast<int64_t>(std::filesystem::file_size(p)));
  test::DecodedAudio a = test::ReadAll(d);
  ASSERT_TRUE(a.ended);
  ASSERT_EQ(a.left.size(), static_cast<size_t>(frames));
  for (size_t i = 0; i + 1 < a.blockSizes.size(); ++i) ASSERT_EQ(a.blockSizes[i], kBlockFrames);
  for (int i = 0; i < frames; ++i) {
    ASSERT_EQ(a.left[i], static_cast<int16_t>(i * 7)) << i;
    ASSERT_EQ(a.right[i], static_cast<int16_t>(-i * 3)) << i;
  }
  EXPECT_EQ(d.GetPosition(), d.GetLength());
  EXPECT_EQ(d.Read(a.left.data(), a.right.data()), 0);  // stays at the end

  d.Close();
  EXPECT_EQ(d.GetSampleRate(), 0);
  EXPECT_EQ(d.GetLength(), 0);
  EXPECT_EQ(d.Read(a.left.data(), a.right.data()), 0);
}

TEST_F(FfmpegReader, MixesMoreThanTwoChannels) {
  {
    SCOPED_TRACE("six channels: centre and LFE into both sides, backs to their side");
    const std::string p = m_dir.File("six.wav");
    SNDFILE* f = OpenSnd(p, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 6);
    const short v[] = {1000, 1000, 1000, 1000, 0, 0, 100, -200, 0, 0, 300, -400};
    sf_writef_short(f, v, 2);
    sf_close(f);
    FfmpegDecoder d;
    ASSERT_TRUE(d.Open(p, 0));
    EXPECT_EQ(d.GetChannels(), 6);
    EXPECT_EQ(d.GetOutputChannels(), 2);
    test::DecodedAudio a = test::ReadAll(d);
    EXPECT_EQ(a.left, (std::vector<int16_t>{2414, 400}));
    EXPECT_EQ(a.right, (std::vector<int16_t>{2414, -600}));
  }
  {
    SCOPED_TRACE("three channels: a sum beyond the range is clipped");
    const std::string p = m_dir.File("three.wav");
    SNDFILE* f = OpenSnd(p, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 3);
    const short v[] = {30000, -30000, 30000};
    sf_writef_short(f, v, 1);
    sf_close(f);
    FfmpegDecoder d;
    ASSERT_TRUE(d.Open(p, 0));
    test::DecodedAudio a = test::ReadAll(d);
    EXPECT_EQ(a.left, (std::vector<int16_t>{32767}));
    EXPECT_EQ(a.right, (std::vector<int16_t>{-30000 + 21210}));
  }
  {
    SCOPED_TRACE("5.1 AAC: centre and LFE reach both sides, front left only the left");
    const std::string p = m_dir.File("six.m4a");
    const int n = 44100;
    test::AvFixture fx;
    fx.muxer = "ipod";
    fx.audioEncoder = "aac";
    fx.bitRate = 384000;
    fx.channelMask = AV_CH_LAYOUT_5POINT1_BACK;  // FL FR C LFE BL BR
    std::vector<float> silence(n, 0.0f);
    fx.audio = {test::Sine(400, 44100, n, 0.3), silence, test::Sine(1000, 44100, n, 0.3),
                test::Sine(60, 44100, n, 0.3),  silence, silence};
    ASSERT_TRUE(test::WriteAvFixture(p, fx));
    FfmpegDecoder d;
    ASSERT_TRUE(d.Open(p, 0));
    EXPECT_EQ(d.GetChannels(), 6);
    test::DecodedAudio a = test::ReadAll(d);
    ASSERT_GT(a.left.size(), 40000u);
    EXPECT_NEAR(test::ToneLevel(a.left, 400, 44100), 0.3, 0.03);
    EXPECT_LT(test::ToneLevel(a.right, 400, 44100), 0.01);
    for (double hz : {1000.0, 60.0}) {
      EXPECT_NEAR(test::ToneLevel(a.left, hz, 44100), 0.3 * 0.707, 0.03) << hz;
      EXPECT_NEAR(test::ToneLevel(a.right, hz, 44100), 0.3 * 0.707, 0.03) << hz;
    }
  }
}

TEST_F(FfmpegReader, ChoosesTheSixChannelOrderByLayoutThenByCodec) {
  AVChannelLayout unnamed{};
  unnamed.order = AV_CHANNEL_ORDER_UNSPEC;
  unnamed.nb_channels = 6;
  EXPECT_EQ(ChooseSixChannelOrder(unnamed, AV_CODEC_ID_AAC, true), kAacOrder);
  EXPECT_EQ(ChooseSixChannelOrder(unnamed, AV_CODEC_ID_MP3ON4, true), kMp3OnMp4Order);
  EXPECT_EQ(ChooseSixChannelOrder(unnamed, AV_CODEC_ID_AC3, true), kStandardOrder);
  EXPECT_EQ(ChooseSixChannelOrder(unnamed, AV_CODEC_ID_AAC, false), kStandardOrder);
  AVChannelLayout side = AV_CHANNEL_LAYOUT_5POINT1;  // FL FR C LFE SL SR
  EXPECT_EQ(ChooseSixChannelOrder(side, AV_CODEC_ID_AAC, true), kStandardOrder);
}

TEST_F(FfmpegReader, DecodesOnlyTheAudioOfAVideoFile) {
  const std::string p = m_dir.File("clip.mkv");
  const int n = 44100;
  test::AvFixture fx;
  fx.muxer = "matroska";
  fx.audioEncoder = "flac";
  fx.video = true;
  fx.audio = {test::Sine(440, 44100, n, 0.5), test::Sine(880, 44100, n, 0.25)};
  ASSERT_TRUE(test::WriteAvFixture(p, fx));
  FfmpegDecoder d;
  ASSERT_TRUE(d.Open(p, 0));
  EXPECT_EQ(d.GetSampleRate(), 44100);
  EXPECT_EQ(d.GetDuration(), 1);
  test::DecodedAudio a = test::ReadAll(d);
  ASSERT_TRUE(a.ended);
  EXPECT_EQ(a.left.size(), static_cast<size_t>(n));
  EXPECT_NEAR(test::ToneLevel(a.left, 440, 44100), 0.5, 0.01);
  EXPECT_NEAR(test::ToneLevel(a.right, 880, 44100), 0.25, 0.01);
  EXPECT_LT(test::ToneLevel(a.left, 880, 44100), 0.01);
}

TEST_F(FfmpegReader, TellsNoAudioFromAnUndecodableCodec) {
  {
    SCOPED_TRACE("video only: no audio; the probe opens it with rate 0");
    const std::string p = m_dir.File("video.mkv");
    test::AvFixture fx;
    fx.muxer = "matroska";
    fx.video = true;
    fx.videoSeconds = 2.5;
    ASSERT_TRUE(test::WriteAvFixture(p, fx));
    FfmpegDecoder d;
    EXPECT_EQ(d.Open(p, 0), 0);
    EXPECT_EQ(d.HasAudio(), 0);
    FfmpegProbe probe;
    EXPECT_EQ(probe.Open(p, 0), 1);
    EXPECT_EQ(probe.HasAudio(), 0);
    EXPECT_EQ(probe.GetSampleRate(), 0);
    EXPECT_EQ(probe.GetChannels(), 0);
    EXPECT_EQ(probe.GetDuration(), 2);
  }
  {
    SCOPED_TRACE("an audio codec without a decoder: audio, but no conversion");
    const std::string p = m_dir.File("smv.mov");
    test::AvFixture fx;
    fx.muxer = "mov";
    fx.rawAudioCodec = "smv";
    fx.sampleRate = 8000;
    fx.rawPacketBytes = 11;
    std::string why;
    ASSERT_TRUE(test::WriteAvFixture(p, fx, &why)) << why;
    FfmpegDecoder d;
    EXPECT_EQ(d.Open(p, 0), 0);
    EXPECT_EQ(d.HasAudio(), 1);
    EXPECT_EQ(d.GetSampleRate(), 0);
    FfmpegProbe probe;
    EXPECT_EQ(probe.Open(p, 0), 1);
    EXPECT_EQ(probe.HasAudio(), 1);
    EXPECT_EQ(probe.GetSampleRate(), 8000);
    EXPECT_EQ(probe.GetChannels(), 1);
    EXPECT_EQ(probe.GetOutputChannels(), 1);
  }
}

TEST_F(FfmpegReader, ProbeReportsPropertiesWithoutDecoding) {
  const std::string p = m_dir.File("five.wav");
  SNDFILE* f = OpenSnd(p, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 5, 22050);
  std::vector<short> v(5 * 22050 * 3);
  sf_writef_short(f, v.data(), 22050 * 3);
  sf_close(f);
  FfmpegProbe probe;
  ASSERT_TRUE(probe.Open(p, 0));
  EXPECT_EQ(probe.GetSampleRate(), 22050);
  EXPECT_EQ(probe.GetChannels(), 5);
  EXPECT_EQ(probe.GetOutputChannels(), 2);
  EXPECT_EQ(probe.GetDuration(), 3);
  EXPECT_EQ(probe.GetBitRate(), 22050 * 5 * 16 / 1000);
  EXPECT_EQ(probe.GetBitsPerSample(), 16);
  int16_t l[kBlockFrames], r[kBlockFrames];
  EXPECT_EQ(probe.Read(l, r), 0);
  TagInfo tags;
  tags.title = "kept";
  EXPECT_EQ(probe.GetTags(tags), 0);
  EXPECT_EQ(tags.title, "kept");
}

TEST_F(FfmpegReader, AContainerWithoutDurationShowsZeroSeconds) {
  const std::string p = m_dir.File("nolength.flac");
  SNDFILE* f = OpenSnd(p, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1);
  std::vector<short> v(44100 * 3, 100);
  sf_writef_short(f, v.data(), 44100 * 3);
  sf_close(f);
  // Clear the total-samples field of STREAMINFO (the first block after "fLaC").
  std::string bytes = test::ReadFileBytes(p);
  ASSERT_EQ(bytes.substr(0, 4), "fLaC");
  bytes[8 + 13] = static_cast<char>(bytes[8 + 13] & 0xf0);
  for (int i = 14; i < 18; ++i) bytes[8 + i] = 0;
  test::WriteFileBytes(p, bytes);

  FfmpegDecoder d;
  ASSERT_TRUE(d.Open(p, 0));
  EXPECT_EQ(d.GetDuration(), 0);
  EXPECT_EQ(test::ReadAll(d).left.size(), v.size());
  FfmpegProbe probe;
  ASSERT_TRUE(probe.Open(p, 0));
  EXPECT_EQ(probe.GetDuration(), 0);
}

TEST_F(FfmpegReader, ReadsTagsFromContainerOrStream) {
  const std::vector<std::pair<std::string, std::string>> meta = {{"title", "\xc3\x89t\xc3\xa9"},
                                                                 {"artist", "Band"},
                                                                 {"album", "Record"},
                                                                 {"genre", "Jazz"},
                                                                 {"date", "2009-05-01"},
                                                                 {"comment", "note"},
                                                                 {"track", "3/12"},
                                                                 {"composer", "Writer"},
                                                                 {"copyright", "(c) Us"}};
  for (const char* muxer : {"matroska", "ogg", "mp3"}) {
    SCOPED_TRACE(muxer);
    const std::string p = m_dir.File(std::string("tags.") + muxer);
    test::AvFixture fx;
    fx.muxer = muxer;
    fx.audioEncoder = std::string(muxer) == "mp3" ? "libmp3lame" : "libvorbis";
    fx.audio = {test::Sine(440, 44100, 8000, 0.3)};
    fx.metadata = meta;
    ASSERT_TRUE(test::WriteAvFixture(p, fx));
    FfmpegDecoder d;
    ASSERT_TRUE(d.Open(p, 0));
    TagInfo t;
    ASSERT_EQ(d.GetTags(t), 1);
    EXPECT_EQ(t.title, "\xc3\x89t\xc3\xa9");
    EXPECT_EQ(t.artist, "Band");
    EXPECT_EQ(t.album, "Record");
    EXPECT_EQ(t.genre, "Jazz");
    EXPECT_EQ(t.year, "2009");
    EXPECT_EQ(t.comment, "note");
    EXPECT_EQ(t.track, "3");
    EXPECT_EQ(t.composer, "Writer");
    EXPECT_EQ(t.copyright, "(c) Us");
  }
  {
    SCOPED_TRACE("no tags: 0 and the record untouched");
    const std::string p = m_dir.File("plain.wav");
    SNDFILE* f = OpenSnd(p, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1);
    short s[4] = {};
    sf_writef_short(f, s, 4);
    sf_close(f);
    FfmpegDecoder d;
    ASSERT_TRUE(d.Open(p, 0));
    TagInfo t;
    t.album = "kept";
    EXPECT_EQ(d.GetTags(t), 0);
    EXPECT_EQ(t.album, "kept");
  }
}

// Opens and reads a file that may be damaged; the reader must fail cleanly
// or end.
void ExpectCleanFailureOrEnd(const std::string& path) {
  FfmpegDecoder d;
  if (d.Open(path, 0)) {
    test::DecodedAudio a = test::ReadAll(d, 20000);
    EXPECT_TRUE(a.ended) << path;
    EXPECT_LE(d.GetPosition(), d.GetLength() > 0 ? d.GetLength() : INT64_MAX);
  } else {
    EXPECT_EQ(d.GetSampleRate(), 0);
  }
  d.Close();
  FfmpegProbe probe;
  probe.Open(path, 0);
}

TEST_F(FfmpegReader, BadInputFailsCleanly) {
  {
    SCOPED_TRACE("missing, empty, folder");
    FfmpegDecoder d;
    EXPECT_EQ(d.Open(m_dir.File("absent.mp3"), 0), 0);
    EXPECT_EQ(d.HasAudio(), 0);
    test::WriteFileBytes(m_dir.File("empty.mp3"), "");
    EXPECT_EQ(d.Open(m_dir.File("empty.mp3"), 0), 0);
    std::filesystem::create_directory(m_dir.File("folder.wav"));
    EXPECT_EQ(d.Open(m_dir.File("folder.wav"), 0), 0);
    FfmpegProbe probe;
    EXPECT_EQ(probe.Open(m_dir.File("empty.mp3"), 0), 0);
    EXPECT_EQ(probe.Open(m_dir.File("folder.wav"), 0), 0);
  }
  {
    SCOPED_TRACE("a name that looks like a URL is a local file");
    const std::string p = m_dir.File("http:example.wav");
    SNDFILE* f = OpenSnd(p, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1);
    short s[4] = {1, 2, 3, 4};
    sf_writef_short(f, s, 4);
    sf_close(f);
    EXPECT_EQ(ReadMono(p), (std::vector<int16_t>{1, 2, 3, 4}));
  }

  std::mt19937 rng(1234);
  const int n = 44100;
  struct Kind {
    const char* name;
    const char* muxer;
    const char* encoder;
  };
  for (const Kind& k : {Kind{"cut.m4a", "ipod", "aac"}, Kind{"cut.mp3", "mp3", "libmp3lame"},
                        Kind{"cut.flac", "flac", "flac"}, Kind{"cut.wav", "wav", "pcm_s16le"}}) {
    SCOPED_TRACE(k.name);
    const std::string p = m_dir.File(k.name);
    test::AvFixture fx;
    fx.muxer = k.muxer;
    fx.audioEncoder = k.encoder;
    fx.audio = {test::Sine(440, 44100, n, 0.5), test::Sine(660, 44100, n, 0.5)};
    ASSERT_TRUE(test::WriteAvFixture(p, fx));
    const std::string whole = test::ReadFileBytes(p);
    ASSERT_GT(whole.size(), 200u);
    const std::string cut = m_dir.File(std::string("t_") + k.name);
    for (int i = 0; i < 10; ++i) {
      const size_t at = std::uniform_int_distribution<size_t>(1, whole.size() - 1)(rng);
      SCOPED_TRACE(at);
      test::WriteFileBytes(cut, whole.substr(0, at));
      ExpectCleanFailureOrEnd(cut);
    }
    // A valid start followed by garbage.
    std::string garbage = whole.substr(0, std::min<size_t>(whole.size(), 700));
    for (int i = 0; i < 60000; ++i) garbage += static_cast<char>(rng());
    test::WriteFileBytes(cut, garbage);
    ExpectCleanFailureOrEnd(cut);
  }
}

TEST_F(FfmpegReader, TheOpenerUsesTheFfmpegReaders) {
  const std::string p = m_dir.File("song.xyz");
  SNDFILE* f = OpenSnd(p, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2);
  std::vector<short> v(2 * 1000, 5);
  sf_writef_short(f, v.data(), 1000);
  sf_close(f);
  SourceOpener opener;
  int hasAudio = 1;
  std::unique_ptr<Decoder> d = opener.OpenSource(p, 9000, 0, OpenPurpose::Conversion, hasAudio);
  ASSERT_TRUE(d);
  EXPECT_NE(dynamic_cast<FfmpegDecoder*>(d.get()), nullptr);
  EXPECT_EQ(test::ReadAll(*d).left.size(), 1000u);
  d = opener.OpenSource(p, 9000, 0, OpenPurpose::Probe, hasAudio);
  ASSERT_TRUE(d);
  EXPECT_NE(dynamic_cast<FfmpegProbe*>(d.get()), nullptr);
  EXPECT_EQ(d->GetSampleRate(), 44100);

  const std::string video = m_dir.File("video.xyz");
  test::AvFixture fx;
  fx.muxer = "matroska";
  fx.video = true;
  ASSERT_TRUE(test::WriteAvFixture(video, fx));
  EXPECT_FALSE(opener.OpenSource(video, 9000, 0, OpenPurpose::Conversion, hasAudio));
  EXPECT_EQ(hasAudio, 0);
}

}  // namespace
}  // namespace sondrel
