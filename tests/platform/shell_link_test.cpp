#include "platform/shell_link.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/fuzz_corpus.h"
#include "support/shell_link_fixtures.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

using namespace test;

std::optional<ShellLinkRecord> Parse(const std::string& bytes) {
  return ParseShellLink(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// Where LinkInfo's fields lie in a shortcut without an ID list.
constexpr size_t kInfoAt = 76;
constexpr size_t kInfoSizeAt = kInfoAt;
constexpr size_t kInfoBasePathOffsetAt = kInfoAt + 16;
constexpr uint32_t kInfoOnly = kLinkHasLinkInfo;

const std::string kLocal = LinkHeader(kLinkHasTargetIdList | kInfoOnly) + LinkIdList(40) +
                           LinkInfo("C:\\Music\\pop\\track01.mp3", "");
const std::string kBaseAndSuffix = LinkHeader(kInfoOnly) + LinkInfo("C:\\Music\\", "a b.mp3");
const std::string kUnicode =
    LinkHeader(kInfoOnly | kLinkHasName | kLinkIsUnicode) +
    LinkInfo("C:\\M?sica\\?.mp3", "", u"C:\\M\u00fasica\\\u65e5\u672c.mp3") +
    CountedWide(u"A song \U0001F3B5");
const std::string kRelativeOnly =
    LinkHeader(kLinkHasRelativePath | kLinkHasWorkingDir | kLinkIsUnicode) +
    CountedWide(u"..\\Music\\b.mp3") + CountedWide(u"C:\\Users\\u\\Music");
const std::string kAnsiStrings =
    LinkHeader(kLinkHasName | kLinkHasRelativePath | kLinkHasArguments | kLinkHasIconLocation) +
    CountedAnsi("Name") + CountedAnsi(".\\c.wav") + CountedAnsi("-x") + CountedAnsi("icon.ico");
const std::string kForceNoLinkInfo =
    LinkHeader(kInfoOnly | kLinkForceNoLinkInfo | kLinkHasRelativePath) +
    LinkInfo("C:\\old.mp3", "") + CountedAnsi("new.mp3");

// A record with only the fields `fill` sets.
template <class Fill>
ShellLinkRecord Record(Fill fill) {
  ShellLinkRecord link;
  fill(link);
  return link;
}

std::string Patched(std::string bytes, size_t at, uint32_t value) {
  PatchLe32(bytes, at, value);
  return bytes;
}

std::string WithLinkClsidByte(std::string bytes, char value) {
  bytes[4] = value;
  return bytes;
}

TEST(ShellLink, ParsesTheTargetFieldsAndRefusesBadLengths) {
  const struct {
    const char* name;
    std::string bytes;
    std::optional<ShellLinkRecord> expected;
  } cases[] = {
      {"local ANSI path after an ID list", kLocal, Record([](ShellLinkRecord& r) {
         r.linkFlags = kLinkHasTargetIdList | kInfoOnly;
         r.localBasePath = "C:\\Music\\pop\\track01.mp3";
       })},
      {"base path and suffix", kBaseAndSuffix, Record([](ShellLinkRecord& r) {
         r.linkFlags = kInfoOnly;
         r.localBasePath = "C:\\Music\\";
         r.commonPathSuffix = "a b.mp3";
       })},
      {"Unicode path preferred to its ANSI form", kUnicode, Record([](ShellLinkRecord& r) {
         r.linkFlags = kInfoOnly | kLinkHasName | kLinkIsUnicode;
         r.localBasePath = "C:\\M\xc3\xbasica\\\xe6\x97\xa5\xe6\x9c\xac.mp3";
         r.name = "A song \xf0\x9f\x8e\xb5";
       })},
      {"relative path only", kRelativeOnly, Record([](ShellLinkRecord& r) {
         r.linkFlags = kLinkHasRelativePath | kLinkHasWorkingDir | kLinkIsUnicode;
         r.relativePath = "..\\Music\\b.mp3";
         r.workingDir = "C:\\Users\\u\\Music";
       })},
      {"ANSI counted strings", kAnsiStrings, Record([](ShellLinkRecord& r) {
         r.linkFlags =
             kLinkHasName | kLinkHasRelativePath | kLinkHasArguments | kLinkHasIconLocation;
         r.name = "Name";
         r.relativePath = ".\\c.wav";
         r.arguments = "-x";
         r.iconLocation = "icon.ico";
       })},
      {"LinkInfo ignored when forced", kForceNoLinkInfo, Record([](ShellLinkRecord& r) {
         r.linkFlags = kInfoOnly | kLinkForceNoLinkInfo | kLinkHasRelativePath;
         r.relativePath = "new.mp3";
       })},
      {"empty input", "", std::nullopt},
      {"truncated header", kLocal.substr(0, 60), std::nullopt},
      {"header size not 0x4C", Patched(kLocal, 0, 0x50), std::nullopt},
      {"another class id", WithLinkClsidByte(kLocal, 0x02), std::nullopt},
      {"ID list longer than the file",
       LinkHeader(kLinkHasTargetIdList) + LinkIdList(8).substr(0, 6), std::nullopt},
      {"truncated inside LinkInfo", kBaseAndSuffix.substr(0, kBaseAndSuffix.size() - 4),
       std::nullopt},
      {"LinkInfoSize past the end", Patched(kBaseAndSuffix, kInfoSizeAt, 0x7FFFFFF0), std::nullopt},
      {"LinkInfoSize below its header", Patched(kBaseAndSuffix, kInfoSizeAt, 8), std::nullopt},
      {"base path offset past LinkInfo", Patched(kBaseAndSuffix, kInfoBasePathOffsetAt, 0x1000),
       std::nullopt},
      {"base path without terminator inside LinkInfo",
       // LinkInfoSize ends on the terminator of "C:\\a.mp3" (at 0x1C + 17 + 8).
       Patched(LinkHeader(kInfoOnly) + LinkInfo("C:\\a.mp3", ""), kInfoSizeAt, 0x1C + 17 + 8),
       std::nullopt},
      {"truncated StringData", kRelativeOnly.substr(0, kRelativeOnly.size() - 1), std::nullopt},
      {"character count past the end",
       LinkHeader(kLinkHasName) + CountedAnsi("abc").replace(0, 2, "\xff\x7f"), std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Parse(c.bytes), c.expected) << c.name;
  }
}

TEST(ShellLink, CandidatesUseSlashesAndTheShortcutsFolder) {
  const struct {
    const char* name;
    ShellLinkRecord link;
    std::vector<std::string> expected;
  } cases[] = {
      {"Windows path",
       Record([](ShellLinkRecord& r) { r.localBasePath = "C:\\x\\y.mp3"; }),
       {"C:/x/y.mp3"}},
      {"base joined with suffix",
       Record([](ShellLinkRecord& r) {
         r.localBasePath = "C:\\Music";
         r.commonPathSuffix = "a.mp3";
       }),
       {"C:/Music/a.mp3"}},
      {"relative path from the shortcut's folder",
       Record([](ShellLinkRecord& r) { r.relativePath = "..\\Music\\b.mp3"; }),
       {"/home/u/Music/b.mp3"}},
      {"dot relative path",
       Record([](ShellLinkRecord& r) { r.relativePath = ".\\c d.wav"; }),
       {"/home/u/links/c d.wav"}},
      {"both, the local path first",
       Record([](ShellLinkRecord& r) {
         r.localBasePath = "D:\\a.mp3";
         r.relativePath = "a.mp3";
       }),
       {"D:/a.mp3", "/home/u/links/a.mp3"}},
      {"nothing to follow", Record([](ShellLinkRecord& r) { r.name = "only a name"; }), {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShellLinkCandidates(c.link, "/home/u/links"), c.expected) << c.name;
  }
}

TEST(ShellLink, ResolveShortcutPrefersATargetThatExists) {
  TempDir dir;
  std::filesystem::create_directories(dir.Path() / "links");
  std::filesystem::create_directories(dir.Path() / "music");
  WriteFileBytes(dir.File("music/e.mp3"), "x");
  const std::string both = LinkHeader(kInfoOnly | kLinkHasRelativePath) +
                           LinkInfo("C:\\Users\\u\\music\\e.mp3", "") +
                           CountedAnsi("..\\music\\e.mp3");
  WriteFileBytes(dir.File("links/both.lnk"), both);
  EXPECT_EQ(ResolveShortcut(dir.File("links/both.lnk")), dir.File("music/e.mp3"));

  // Nothing exists: the first candidate, for the caller to find missing.
  WriteFileBytes(dir.File("links/gone.lnk"), kLocal);
  EXPECT_EQ(ResolveShortcut(dir.File("links/gone.lnk")), "C:/Music/pop/track01.mp3");

  WriteFileBytes(dir.File("links/text.lnk"), "not a shortcut");
  EXPECT_EQ(ResolveShortcut(dir.File("links/text.lnk")), std::nullopt);
  WriteFileBytes(dir.File("links/empty.lnk"), LinkHeader(kLinkHasName) + CountedAnsi("n"));
  EXPECT_EQ(ResolveShortcut(dir.File("links/empty.lnk")), std::nullopt);
  EXPECT_EQ(ResolveShortcut(dir.File("links/missing.lnk")), std::nullopt);
  EXPECT_EQ(ResolveShortcut(dir.File("links")), std::nullopt);

  UpdateFuzzCorpus("shell_link", {{"local", kLocal},
                                  {"base_suffix", kBaseAndSuffix},
                                  {"unicode", kUnicode},
                                  {"relative", kRelativeOnly},
                                  {"ansi_strings", kAnsiStrings},
                                  {"both", both}});
}

}  // namespace
}  // namespace sondrel
