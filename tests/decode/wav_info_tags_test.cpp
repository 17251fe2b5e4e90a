#include "decode/wav_info_tags.h"

#include <gtest/gtest.h>

#include "byte_fixtures.h"
#include "decode/id3_genres.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

using namespace std::string_literals;
using test::Le32;

// One INFO item: text, its zero byte, and a pad byte to an even size.
std::string Item(const std::string& id, const std::string& text) {
  std::string c = id + Le32(uint32_t(text.size() + 1)) + text + '\0';
  if ((text.size() + 1) & 1) c += '\0';
  return c;
}

std::string List(const std::string& items) {
  return "LIST" + Le32(uint32_t(4 + items.size())) + "INFO" + items;
}

std::string Disp(const std::string& text, uint32_t type = 1) {
  return "DISP" + Le32(uint32_t(4 + text.size() + 1)) + Le32(type) + text + '\0';
}

std::string Riff(const std::string& chunks) {
  const std::string fmt = "fmt " + Le32(16) + std::string(16, '\x01');
  const std::string data = "data" + Le32(6) + "\x01\x02\x03\x04\x05\x06"s;
  return "RIFF" + Le32(uint32_t(4 + fmt.size() + data.size() + chunks.size())) + "WAVE" + fmt +
         data + chunks;
}

class WavInfoTagsTest : public ::testing::Test {
 protected:
  int Read(const std::string& bytes) {
    const std::string path = m_dir.File("t.wav");
    test::WriteFileBytes(path, bytes);
    m_tags.title = "stale";
    return ReadWavInfoTags(path, m_tags);
  }
  test::TempDir m_dir;
  TagInfo m_tags;
};

TEST_F(WavInfoTagsTest, EveryItem) {
  ASSERT_EQ(
      Read(Riff(List(Item("INAM", "Title") + Item("IART", "Artist") + Item("IPRD", "Album") +
                     Item("ICRD", "1999-12-31") + Item("IGNR", "Jazz") + Item("ICMT", "Comment") +
                     Item("ITRK", "7") + Item("ICOP", "(C) Someone") + Item("ISFT", "Writer") +
                     Item("ICMS", "Commissioner")))),
      1);
  EXPECT_EQ(m_tags.title, "Title");
  EXPECT_EQ(m_tags.artist, "Artist");
  EXPECT_EQ(m_tags.album, "Album");
  EXPECT_EQ(m_tags.year, "1999");
  EXPECT_EQ(m_tags.genre, "Jazz");
  EXPECT_EQ(m_tags.comment, "Comment");
  EXPECT_EQ(m_tags.track, "7");
  EXPECT_EQ(m_tags.composer, "");
  EXPECT_EQ(m_tags.copyright, "(C) Someone");
}

TEST_F(WavInfoTagsTest, Genres) {
  ASSERT_EQ(Read(Riff(List(Item("IGNR", "(17)")))), 1);
  EXPECT_EQ(m_tags.genre, "Rock");
  ASSERT_EQ(Read(Riff(List(Item("IGNR", "(00017)")))), 1);
  EXPECT_EQ(m_tags.genre, "Rock");
  ASSERT_EQ(Read(Riff(List(Item("IGNR", "(99999999999017)")))), 1);
  EXPECT_EQ(m_tags.genre, "(99999999999017)");
  ASSERT_EQ(Read(Riff(List(Item("IGNR", "(148)")))), 1);
  EXPECT_EQ(m_tags.genre, "(148)");
  ASSERT_EQ(Read(Riff(List("IGRE" + Le32(1) + "\0\0"s))), 1);
  EXPECT_EQ(m_tags.genre, "Blues");
  ASSERT_EQ(Read(Riff(List(Item("IGNR", "Own") + "IGRE" + Le32(1) + "\x11\0"s))), 1);
  EXPECT_EQ(m_tags.genre, "Own");
  ASSERT_EQ(Read(Riff(List("IGRE" + Le32(1) + "\xC8\0"s))), 1);  // 200: no name
  EXPECT_EQ(m_tags.genre, "");

  EXPECT_EQ(std::string(GenreName(0)), "Blues");
  EXPECT_EQ(std::string(GenreName(147)), "Synthpop");
  EXPECT_EQ(GenreName(148), nullptr);
  EXPECT_EQ(GenreName(-1), nullptr);
  const std::pair<int, const char*> spelled[] = {
      {40, "Alt. Rock"}, {67, "Psychadelic"}, {81, "Folk/Rock"},    {84, "Fast-Fusion"},
      {85, "Bebob"},     {123, "A Cappella"}, {144, "Trash Metal"}, {146, "Jpop"}};
  for (const auto& [number, name] : spelled) EXPECT_EQ(std::string(GenreName(number)), name);
}

TEST_F(WavInfoTagsTest, DisplayText) {
  ASSERT_EQ(Read(Riff(Disp("Shown"))), 1);
  EXPECT_EQ(m_tags.title, "Shown");
  ASSERT_EQ(Read(Riff(Disp("Shown") + List(Item("INAM", "Named")))), 1);
  EXPECT_EQ(m_tags.title, "Named");
  EXPECT_EQ(Read(Riff(Disp("Picture", 8))), 0);
  EXPECT_EQ(m_tags.title, "");
  // A plain-text DISP whose text the file cut off still counts, with no title.
  EXPECT_EQ(Read(Riff("DISP" + Le32(5) + Le32(1))), 1);
  EXPECT_EQ(m_tags.title, "");
}

TEST_F(WavInfoTagsTest, LayoutVariants) {
  {
    SCOPED_TRACE("lower-case item identifiers, odd sizes and stray bytes between chunks");
    ASSERT_EQ(Read(Riff("\0\x7F"s + List(Item("inam", "Low") + "\x01"s + Item("iArt", "Mixed")))),
              1);
    EXPECT_EQ(m_tags.title, "Low");
    EXPECT_EQ(m_tags.artist, "Mixed");
  }
  {
    SCOPED_TRACE("a later INFO list replaces an earlier one");
    ASSERT_EQ(Read(Riff(List(Item("INAM", "First") + Item("IART", "Gone")) +
                        List(Item("INAM", "Second")))),
              1);
    EXPECT_EQ(m_tags.title, "Second");
    EXPECT_EQ(m_tags.artist, "");
  }
  {
    SCOPED_TRACE("a LIST of another type is skipped");
    const std::string adtl = "adtl" + Item("INAM", "Label");
    EXPECT_EQ(Read(Riff("LIST" + Le32(uint32_t(adtl.size())) + adtl)), 0);
  }
  {
    SCOPED_TRACE("texts that are not UTF-8 are read as Latin-1");
    ASSERT_EQ(Read(Riff(List(Item("IART", "Caf\xE9") + Item("INAM", "Caf\xC3\xA9")))), 1);
    EXPECT_EQ(m_tags.artist, "Caf\xC3\xA9");
    EXPECT_EQ(m_tags.title, "Caf\xC3\xA9");
  }
}

TEST_F(WavInfoTagsTest, DamagedOrForeignFiles) {
  const std::string good = List(Item("INAM", "Title"));
  EXPECT_EQ(Read(""), 0);
  EXPECT_EQ(m_tags.title, "");
  EXPECT_EQ(Read("RIFX" + Riff(good).substr(4)), 0);
  EXPECT_EQ(Read(Riff(good).substr(0, 8) + "AVI " + Riff(good).substr(12)), 0);
  EXPECT_EQ(Read(Riff("")), 0);
  EXPECT_EQ(ReadWavInfoTags(m_dir.File("missing.wav"), m_tags), 0);
  {
    SCOPED_TRACE("an item longer than its list keeps what is there");
    const std::string items = "INAM" + Le32(0xFFFFFFF0) + "Cut";
    ASSERT_EQ(Read(Riff("LIST" + Le32(uint32_t(4 + items.size() + 6)) + "INFO" + items +
                        "\0\0\0\0\0\0"s)),
              1);
    EXPECT_EQ(m_tags.title, "Cut");
  }
  {
    SCOPED_TRACE("a LIST chunk claiming 0xFFFFFFFF bytes");
    const std::string items = Item("IART", "Artist");
    ASSERT_EQ(Read(Riff("LIST" + Le32(0xFFFFFFFF) + "INFO" + items)), 1);
    EXPECT_EQ(m_tags.artist, "Artist");
  }
  {
    SCOPED_TRACE("a chunk size past the end stops the walk with what was found");
    ASSERT_EQ(Read(Riff(good + "junk" + Le32(0x7FFFFFFF) + "xx")), 1);
    EXPECT_EQ(m_tags.title, "Title");
  }
  {
    SCOPED_TRACE("an item of size 0 counts as nothing");
    EXPECT_EQ(Read(Riff(List("INAM" + Le32(0) + "\0\0\0\0\0\0\0\0"s))), 0);
  }
}

}  // namespace
}  // namespace sondrel
