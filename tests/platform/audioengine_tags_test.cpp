// TAGS_Read: the format string and the tag kinds of each container.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <string>

#include "encode/format_catalogue.h"
#include "platform/audioengine/bass.h"
#include "platform/audioengine/tag_reader.h"
#include "platform/audioengine/tags.h"
#include "support/audio_fixtures.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

constexpr const char* kReaderFormat =
    "%TRCK\n%TITL\n%ARTI\n%ALBM\n%GNRE\n%YEAR\n%CMNT\n%COMP\n%COPY";

TEST(TagFormat, FieldsEscapesAndFunctions) {
  audioengine::TagFields f;
  f.title = "  my Song ";
  f.artist = "Band";
  f.track = "7";
  f.year = "1999";
  struct Case {
    const char* format;
    const char* text;
  };
  const Case cases[] = {
      {"%ARTI - %TITL", "Band -   my Song "},
      {"%TRCK\n%ALBM\n%YEAR", "7\n\n1999"},
      {"100%% %(x%) a%,b", "100% (x) a,b"},
      {"%IFV1(%ALBM,[%ALBM])%IFV1(%ARTI,[%ARTI])", "[Band]"},
      {"%IFV2(%ALBM,yes,no) %IFV2(%ARTI,yes,no)", "no yes"},
      {"%IUPC(%ARTI)%ILWC(%ARTI)", "BANDband"},
      {"%ICAP(%ITRM(%TITL))", "My Song"},
      {"%XXXX %TIT", "%XXXX %TIT"},  // unknown names stay as text
      {"%IFV1(%ARTI,open", "open"},  // unterminated function
      {"%", "%"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(audioengine::FormatTags(c.format, f), c.text) << c.format;
  }
  // Deep nesting neither overflows nor hangs.
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "%IUPC(";
  EXPECT_NO_FATAL_FAILURE(audioengine::FormatTags(deep + "x", f));
}

class TagsRead : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureAudioEngine(); }

  std::string Read(const std::string& path) {
    const HSTREAM h = BASS_StreamCreateFile(0, path.c_str(), 0, 0, BASS_STREAM_DECODE);
    EXPECT_NE(h, 0u) << path;
    const std::string text = TAGS_Read(h, kReaderFormat);
    BASS_StreamFree(h);
    return text;
  }

  test::TempDir m_dir;
};

TEST_F(TagsRead, EveryTagKind) {
  test::FixtureTags tags;
  tags.title = "Título";
  tags.artist = "Artist";
  tags.album = "Album";
  tags.genre = "Rock";
  tags.comment = "Note";
  tags.composer = "Composer";
  tags.copyright = "(c) Someone";
  tags.year = 2001;
  tags.track = 4;
  const std::string full = "4\nTítulo\nArtist\nAlbum\nRock\n2001\nNote\nComposer\n(c) Someone";

  const std::vector<int16_t> tone = test::Tone16(2, 4410, 44100);
  std::vector<int32_t> wide(tone.begin(), tone.end());
  struct Case {
    std::string name;
    bool made;
  };
  const std::string flac = m_dir.File("t.flac");
  const std::string wav = m_dir.File("t.wav");
  const std::string wv = m_dir.File("t.wv");
  const std::string m4a = m_dir.File("t.m4a");
  const std::string mp3 = m_dir.File("t.mp3");
  ASSERT_TRUE(test::WriteSndfile16(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, tone));
  ASSERT_TRUE(test::WriteSndfile16(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, tone));
  ASSERT_TRUE(test::WriteWavPack(wv, 44100, 2, 2, wide));
  ASSERT_TRUE(test::WriteWithFfmpegWriter(m4a, "ipod", kCodecAac, 44100, 2, 128000, tone));
  ASSERT_TRUE(test::WriteWithFfmpegWriter(mp3, "mp3", kCodecMp3, 44100, 2, 128000, tone));

  for (const std::string& path : {flac, wav, wv, m4a, mp3}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(Read(path), "") << "no tags yet";
    ASSERT_TRUE(test::WriteFixtureTags(path, tags));
    EXPECT_EQ(Read(path), full);
  }
}

TEST_F(TagsRead, LineBreaksInsideAValueDoNotShiftTheFields) {
  const std::string flac = m_dir.File("lines.flac");
  ASSERT_TRUE(test::WriteSndfile16(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 1,
                                   test::Tone16(1, 4410, 44100)));
  test::FixtureTags tags;
  tags.title = "Title";
  tags.comment = "first line\nsecond line\r\nthird";
  tags.composer = "Composer";
  tags.copyright = "Copyright";
  ASSERT_TRUE(test::WriteFixtureTags(flac, tags));
  EXPECT_EQ(Read(flac), "\nTitle\n\n\n\n\nfirst line second line third\nComposer\nCopyright");
}

TEST_F(TagsRead, RiffInfoWrittenByLibsndfile) {
  const std::string path = m_dir.File("info.wav");
  SF_INFO info{};
  info.samplerate = 8000;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr);
  sf_set_string(f, SF_STR_TITLE, "Info Title");
  sf_set_string(f, SF_STR_ARTIST, "Info Artist");
  const short samples[4] = {1, 2, 3, 4};
  sf_write_short(f, samples, 4);
  sf_close(f);
  EXPECT_EQ(Read(path), "\nInfo Title\nInfo Artist\n\n\n\n\n\n");
}

TEST_F(TagsRead, BrokenContainersGiveNoTags) {
  // An MPEG-4 file cut before its "moov" box: TagLib opens it but has no tag.
  const std::string cut = m_dir.File("cut.m4a");
  test::WriteFileBytes(cut, std::string("\0\0\0\x14"
                                        "ftypM4A \0\0\0\0"
                                        "M4A ",
                                        20) +
                                std::string("\0\0\0\x10"
                                            "mdat"
                                            "\1\2\3\4\5\6\7\x08",
                                            16));
  EXPECT_FALSE(audioengine::ReadFileTags(cut, audioengine::TagSource::Mp4).has_value());
}

TEST_F(TagsRead, UnknownHandleGivesEmptyText) {
  EXPECT_STREQ(TAGS_Read(0x12345678, kReaderFormat), "");
}

}  // namespace
}  // namespace sondrel
