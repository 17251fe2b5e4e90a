// Tags through whole conversions: the custom tag and the transferred tag
// land once in each container's standard field (read back as a player
// would, with TagLib), the cover travels unchanged, formats without tags
// get none, and hostile tags end cleanly.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include <gtest/gtest.h>

#include "platform/atomic_output.h"
#include "platform/file_tags.h"
#include "real_run_fixture.h"
#include "support/audio_fixtures.h"
#include "support/av_fixture.h"
#include "support/tag_files.h"

namespace sondrel {
namespace {

namespace fs = std::filesystem;
using test::TagProperties;

// Keys a writer adds beside the tag: the encoder's name, and WMA's album
// artist, which its writer fills with the artist.
TagProperties WithoutWriterNotes(TagProperties p) {
  for (const char* key : {"ENCODER", "ENCODING", "ENCODEDBY", "ALBUMARTIST"}) p.erase(key);
  return p;
}

struct Texts {
  std::string title, artist, album, year, genre, comment, composer, copyright, track;
};

TagProperties Expected(const Texts& t) {
  return {{"TITLE", {t.title}},       {"ARTIST", {t.artist}},       {"ALBUM", {t.album}},
          {"DATE", {t.year}},         {"GENRE", {t.genre}},         {"COMMENT", {t.comment}},
          {"COMPOSER", {t.composer}}, {"COPYRIGHT", {t.copyright}}, {"TRACKNUMBER", {t.track}}};
}

const Texts kAscii{"Title",     "Artist",   "Album",      "2009", "Jazz",
                   "A comment", "Composer", "(c) Holder", "7"};
const Texts kWide{"日本語のタイトル", "Исполнитель", "Альбом 🎵",          "2024", "Джаз",
                  "コメント 🎧",       "作曲者",      "© Правообладатель", "7"};

class TagsRun : public test::RealRunFixture {
 protected:
  // A short stereo WAV; its list row.
  int AddWav(const std::string& name) {
    test::AvFixture fx;
    fx.muxer = "wav";
    fx.audioEncoder = "pcm_s16le";
    fx.audio = {test::Sine(440, 44100, 8820, 0.5), test::Sine(880, 44100, 8820, 0.5)};
    const std::string path = dir.File(name);
    EXPECT_TRUE(test::WriteAvFixture(path, fx));
    return Add(path);
  }
  void SetCustomTag(const Texts& t) {
    settings.ID3TagType = kTagCustom;
    CustomTagSettings& c = settings.customTag;
    c.TitleAsFileName = 0;
    c.Title = t.title, c.Artist = t.artist, c.Album = t.album, c.Year = t.year;
    c.Genre = t.genre, c.Comment = t.comment, c.Composer = t.composer;
    c.Copyright = t.copyright;
    c.TrackNumType = kTrackCustom;
    c.CustomTrackNum = std::stoi(t.track);
  }
  // The output of `row` after converting the list to `formatId`; empty
  // when it failed.
  std::string ConvertRow(int formatId, int row) {
    Convert(formatId);
    const std::string name = Output(row);
    const fs::path path = out / name;
    EXPECT_TRUE(fs::is_regular_file(path)) << formatId << ": " << name;
    return fs::is_regular_file(path) ? path.string() : std::string();
  }
  void ExpectNoTemporaries() {
    for (const auto& e : fs::directory_iterator(out)) {
      EXPECT_FALSE(IsTemporaryOutputName(e.path().filename().string())) << e.path();
    }
  }
};

const int kTaggedFormats[] = {kFormatMp3,  kFormatMp2, kFormatM4a, kFormatM4b,
                              kFormatMp4,  kFormatMov, kFormat3gp, kFormatOgg,
                              kFormatFlac, kFormatWma, kFormatAsf};

TEST_F(TagsRun, CustomTagLandsOnceInEachStandardField) {
  struct Case {
    const char* name;
    Texts texts;
  };
  const int row = AddWav("song.wav");
  for (const Case& c : {Case{"ascii", kAscii}, Case{"japanese, cyrillic, emoji", kWide}}) {
    SetCustomTag(c.texts);
    for (int format : kTaggedFormats) {
      SCOPED_TRACE(std::string(c.name) + " to " + std::to_string(format));
      const std::string path = ConvertRow(format, row);
      EXPECT_EQ(WithoutWriterNotes(test::ReadTagProperties(path)), Expected(c.texts));
    }
  }
  ExpectNoTemporaries();
}

// Sources of five containers, each tagged by TagLib with every field and a
// cover, converted with "Transfer ID3 tag from source file" to five formats.
TEST_F(TagsRun, TransferCarriesEveryFieldAndTheCover) {
  struct Source {
    int format;
    const char* ext;
  };
  const Source sources[] = {{kFormatMp3, "mp3"},
                            {kFormatM4a, "m4a"},
                            {kFormatFlac, "flac"},
                            {kFormatOgg, "ogg"},
                            {kFormatWma, "wma"}};
  const CoverPicture cover = test::FixtureCover(70000);  // beyond one ASF attribute
  test::FixtureTags fixture{kWide.title,     kWide.artist,  kWide.album,
                            kWide.genre,     kWide.comment, kWide.composer,
                            kWide.copyright, 2024,          7};

  settings.ID3TagType = kTagNone;
  const int wav = AddWav("tone.wav");
  const fs::path folder = dir.Path() / "sources";
  fs::create_directories(folder);
  std::vector<std::string> made;
  for (const Source& s : sources) {
    const std::string plain = ConvertRow(s.format, wav);
    const std::string path = (folder / (std::string("from_") + s.ext + "." + s.ext)).string();
    fs::rename(plain, path);
    ASSERT_TRUE(test::WriteFixtureTags(path, fixture)) << path;
    ASSERT_TRUE(test::AddFixtureCover(path, cover)) << path;
    made.push_back(path);
  }
  list = FileList();
  for (const std::string& path : made) Add(path);

  settings.ID3TagType = kTagTransfer;
  for (const Source& target : sources) {
    Convert(target.format);
    for (int row = 0; row < list.RowCount(); ++row) {
      SCOPED_TRACE(made[static_cast<size_t>(row)] + " to " + target.ext);
      const std::string path = (out / Output(row)).string();
      ASSERT_TRUE(fs::is_regular_file(path));
      EXPECT_EQ(WithoutWriterNotes(test::ReadTagProperties(path)), Expected(kWide));
      const SharedCover read = ReadCoverPicture(path);
      ASSERT_TRUE(read);
      EXPECT_EQ(*read, cover);
    }
  }
}

TEST_F(TagsRun, FormatsWithoutTagsGetNone) {
  const std::string marker = "Marker-Title-4711";
  const CoverPicture cover = test::FixtureCover(4000);
  test::FixtureTags fixture{marker, "A", "B", "C", "D", "E", "F", 2000, 3};
  settings.ID3TagType = kTagNone;
  const int wav = AddWav("plain.wav");
  const std::string source = dir.File("tagged.mp3");
  fs::rename(ConvertRow(kFormatMp3, wav), source);
  ASSERT_TRUE(test::WriteFixtureTags(source, fixture));
  ASSERT_TRUE(test::AddFixtureCover(source, cover));
  list = FileList();
  const int row = Add(source);

  const std::string coverStart(cover.data.begin() + 8, cover.data.begin() + 40);
  for (int mode : {kTagTransfer, kTagCustom}) {
    settings.ID3TagType = mode;
    settings.customTag.TitleAsFileName = 0;
    settings.customTag.Title = marker;
    for (int format : {kFormatWav, kFormatAiff, kFormatAu, kFormatVoc, kFormatMmf, kFormatAmr,
                       kFormatAwb, kFormatFlv, kFormatSwf}) {
      SCOPED_TRACE(std::to_string(mode) + " to " + std::to_string(format));
      const std::string bytes = test::ReadFileBytes(ConvertRow(format, row));
      EXPECT_EQ(bytes.find(marker), std::string::npos);
      EXPECT_EQ(bytes.find(coverStart), std::string::npos);
    }
  }
}

// An ID3v2.3 tag whose only frame claims more bytes than the tag holds.
std::string Id3FramePastTheEnd() {
  std::string frame = "TIT2";
  frame += std::string("\x00\x00\x40\x00\x00\x00", 6);  // 16384 bytes, no flags
  frame += std::string("\x00Cut", 4);
  std::string tag = std::string("ID3\x03\x00\x00", 6);
  tag += std::string("\x00\x00\x00", 3) + static_cast<char>(frame.size());
  return tag + frame;
}

TEST_F(TagsRun, HostileTagsEndCleanly) {
  settings.ID3TagType = kTagNone;
  const int wav = AddWav("base.wav");
  std::map<int, std::string> plain;
  for (int format : {kFormatMp3, kFormatFlac, kFormatOgg}) {
    plain[format] = ConvertRow(format, wav);
  }
  struct Case {
    const char* name;
    int sourceFormat;
    std::function<bool(const std::string&)> damage;
    int target;
    SharedCover expectedCover;
  };
  const CoverPicture huge = test::FixtureCover(20u << 20);
  const CoverPicture lying = test::FixtureCover(5000, "image/jpeg");  // PNG bytes
  const Case cases[] = {
      {"20 MB cover into MP4", kFormatMp3,
       [&](const std::string& p) { return test::AddFixtureCover(p, huge); }, kFormatM4a,
       std::make_shared<CoverPicture>(huge)},
      {"20 MB cover does not fit a FLAC block", kFormatMp3,
       [&](const std::string& p) { return test::AddFixtureCover(p, huge); }, kFormatFlac, nullptr},
      {"lying MIME type kept as stored", kFormatFlac,
       [&](const std::string& p) { return test::AddFixtureCover(p, lying); }, kFormatMp3,
       std::make_shared<CoverPicture>(lying)},
      {"ID3 frame size past the end", kFormatMp3,
       [](const std::string& p) {
         test::WriteFileBytes(p, Id3FramePastTheEnd() + test::ReadFileBytes(p));
         return true;
       },
       kFormatOgg, nullptr},
      {"10,000 comment fields", kFormatOgg,
       [](const std::string& p) { return test::AddFixtureComments(p, 10000); }, kFormatMp3,
       nullptr},
  };
  settings.ID3TagType = kTagTransfer;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path source = dir.Path() / ("hostile" + std::to_string(n++));
    fs::create_directories(source);
    const std::string path = (source / fs::path(plain[c.sourceFormat]).filename()).string();
    fs::copy_file(plain[c.sourceFormat], path);
    ASSERT_TRUE(c.damage(path));
    list = FileList();
    const int row = Add(path);
    const std::string output = ConvertRow(c.target, row);
    ASSERT_FALSE(output.empty());
    EXPECT_TRUE(SameCover(ReadCoverPicture(output), c.expectedCover));
    const TagProperties props = test::ReadTagProperties(output);
    EXPECT_LE(props.count("COMMENT") ? props.at("COMMENT").size() : 0, 1u);
    ExpectNoTemporaries();
  }
}

}  // namespace
}  // namespace sondrel
