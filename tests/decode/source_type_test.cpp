#include "decode/source_type.h"

#include <gtest/gtest.h>

namespace sondrel {
namespace {

TEST(ClassifySource, EveryExtensionOfTheTable) {
  const std::pair<const char*, int> cases[] = {
      {"a.mp3", 1000},  {"a.wav", 2000},  {"a.wave", 2000}, {"a.mod", 3000}, {"a.xm", 3000},
      {"a.it", 3000},   {"a.s3m", 3000},  {"a.mtm", 3000},  {"a.umx", 3000}, {"a.mo3", 3000},
      {"a.midi", 3050}, {"a.mid", 3050},  {"a.rmi", 3050},  {"a.kar", 3050}, {"a.cda", 3100},
      {"a.flac", 3200}, {"a.fla", 3200},  {"a.wv", 3300},   {"a.adx", 3500}, {"a.ogg", 4000},
      {"a.oga", 4000},  {"a.ogm", 4000},  {"a.ogv", 4000},  {"a.ogx", 4000}, {"a.au", 5000},
      {"a.snd", 5000},  {"a.aif", 5100},  {"a.aiff", 5100}, {"a.aifc", 5100}, {"a.afc", 5100},
      {"a.amr", 5500},  {"a.awb", 5500},  {"a.aac", 6000},  {"a.mp4", 6600}, {"a.m4v", 6600},
      {"a.m4a", 6600},  {"a.m4b", 6600},  {"a.wma", 7000},  {"a.wmv", 7000}, {"a.asf", 7000},
      {"a.wm", 7000},   {"a.wmd", 7000},  {"a.xwmv", 7000}, {"a.dts", 9500},
  };
  for (const auto& [name, type] : cases) {
    EXPECT_EQ(ClassifySource(name), type) << name;
  }
}

TEST(ClassifySource, ExtensionIsTheWholeLowerCasedTextAfterTheLastDotOfTheName) {
  EXPECT_EQ(ClassifySource("/music/LOUD.MP3"), 1000);
  EXPECT_EQ(ClassifySource("/music/Mixed.FlaC"), 3200);
  EXPECT_EQ(ClassifySource("/music/track.mp3x"), 9000);
  EXPECT_EQ(ClassifySource("/music/track.m4p"), 9000);
  EXPECT_EQ(ClassifySource("/music/noextension"), 9000);
  EXPECT_EQ(ClassifySource("/music/many.dots.in.name.ogg"), 4000);
  EXPECT_EQ(ClassifySource("/music/trailing.dot."), 9000);
  EXPECT_EQ(ClassifySource("/music/.wav"), 2000);  // hidden file named only by its extension
  EXPECT_EQ(ClassifySource(""), 9000);
  // A dot in a folder name is not the file's extension.
  EXPECT_EQ(ClassifySource("/music/album.mp3/track"), 9000);
  EXPECT_EQ(SourceExtension("/a.b/c"), "");
}

TEST(ClassifySource, BytesThatAreNotUtf8NeverMatterOrCrash) {
  EXPECT_EQ(ClassifySource("/music/\xff\xfe\x80.mp3"), 1000);
  EXPECT_EQ(ClassifySource("/music/x.\xc3\x89wav"), 9000);
  EXPECT_EQ(ClassifySource(std::string_view("a.m\0p3", 6)), 9000);
}

}  // namespace
}  // namespace sondrel
