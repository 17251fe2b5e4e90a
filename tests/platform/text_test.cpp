#include "platform/text.h"

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace sondrel {
namespace {

// Sets LC_ALL for one scope and restores it after.
class ScopedLcAll {
 public:
  explicit ScopedLcAll(const char* value) {
    if (const char* old = std::getenv("LC_ALL")) m_old = old, m_had = true;
    setenv("LC_ALL", value, 1);
  }
  ~ScopedLcAll() {
    if (m_had) {
      setenv("LC_ALL", m_old.c_str(), 1);
    } else {
      unsetenv("LC_ALL");
    }
  }

 private:
  std::string m_old;
  bool m_had = false;
};

TEST(Text, ConvertsBetweenCharsets) {
  // é and ü in Latin-1, and back.
  EXPECT_EQ(ConvertCharset("caf\xc3\xa9 \xc3\xbc", "UTF-8", "ISO-8859-1"), "caf\xe9 \xfc");
  EXPECT_EQ(ConvertCharset("caf\xe9", "ISO-8859-1", "UTF-8"), "caf\xc3\xa9");
  // A character Latin-1 cannot show gets a stand-in, never an empty result.
  auto euro = ConvertCharset("5 \xe2\x82\xac", "UTF-8", "ISO-8859-1");
  ASSERT_TRUE(euro.has_value());
  EXPECT_EQ(euro->substr(0, 2), "5 ");
  EXPECT_GT(euro->size(), 2u);
  // Invalid UTF-8 becomes '?' and the rest is kept.
  EXPECT_EQ(ConvertCharset("a\xff"
                           "b",
                           "UTF-8", "ISO-8859-1"),
            "a?b");
  // Nothing to convert, or an unknown charset, is a failure.
  EXPECT_FALSE(ConvertCharset("", "UTF-8", "ISO-8859-1").has_value());
  EXPECT_FALSE(ConvertCharset("x", "UTF-8", "NO-SUCH-CHARSET").has_value());
}

TEST(Text, IdentityUnderUtf8AndTheCLocale) {
  for (const char* locale : {"C.UTF-8", "C", "POSIX"}) {
    SCOPED_TRACE(locale);
    ScopedLcAll lc(locale);
    EXPECT_EQ(LocaleCharset(), "UTF-8");
    EXPECT_EQ(Utf8ToAnsi("\xc3\xa9t\xc3\xa9 ?"), "\xc3\xa9t\xc3\xa9 ?");
    EXPECT_EQ(AnsiToUtf8("\xc3\xa9t\xc3\xa9"), "\xc3\xa9t\xc3\xa9");
    EXPECT_FALSE(Utf8ToAnsi("").has_value());
  }
}

TEST(Text, NameFitsCharset) {
  struct Case {
    const char* name;
    const char* path;
    bool fits;
  };
  const Case cases[] = {
      {"'?' is an ordinary character", "/music/Grüße?.mp3", true},
      {"four-byte form", "/music/\xF0\x9F\x8E\xB5.mp3", true},
      {"not UTF-8 at all", "/music/\xFF.mp3", false},
      {"cut off", "/music/\xC3", false},
      {"overlong", "/music/\xC0\xAF", false},
      {"surrogate", "/music/\xED\xA0\x80", false},
      {"above U+10FFFF", "/music/\xF4\x90\x80\x80", false},
  };
  for (const Case& c : cases) EXPECT_EQ(NameFitsCharset(c.path), c.fits) << c.name;
}

TEST(Text, AsciiCaseLeavesOtherBytesAlone) {
  EXPECT_EQ(AsciiLower("MP3 Ogg.FLAC \xC3\x89"), "mp3 ogg.flac \xC3\x89");
  EXPECT_EQ(AsciiUpper("mp3 ogg.flac \xC3\xA9"), "MP3 OGG.FLAC \xC3\xA9");
}

}  // namespace
}  // namespace sondrel
