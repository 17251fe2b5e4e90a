// The documents, program and data folders, and the shared file queries.
#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {
namespace fs = std::filesystem;

using test::ScopedEnv;

TEST(Paths, DocumentsFolder) {
  test::TempDir home;
  const std::string homePath = home.Path().string();
  ScopedEnv setHome("HOME", homePath.c_str());
  ScopedEnv noConfig("XDG_CONFIG_HOME", nullptr);
  {
    SCOPED_TRACE("no user-dirs file: ~/Documents, created");
    EXPECT_EQ(DocumentsFolder(), homePath + "/Documents");
    EXPECT_TRUE(fs::is_directory(home.Path() / "Documents"));
  }
  fs::create_directories(home.Path() / ".config");
  {
    SCOPED_TRACE("$HOME-relative entry with an escaped quote, created when missing");
    test::WriteFileBytes(home.File(".config/user-dirs.dirs"),
                         "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                         "XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"/\"\n");
    EXPECT_EQ(DocumentsFolder(), homePath + "/My \"Docs\"");
    EXPECT_TRUE(fs::is_directory(home.Path() / "My \"Docs\""));
  }
  {
    SCOPED_TRACE("XDG_CONFIG_HOME elsewhere, absolute entry");
    test::TempDir config;
    const std::string docs = (config.Path() / "docs").string();
    test::WriteFileBytes(config.File("user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"" + docs + "\"\n");
    ScopedEnv setConfig("XDG_CONFIG_HOME", config.Path().c_str());
    EXPECT_EQ(DocumentsFolder(), docs);
  }
  {
    SCOPED_TRACE("entries that are neither absolute nor $HOME-relative are ignored");
    test::WriteFileBytes(home.File(".config/user-dirs.dirs"),
                         "XDG_DOCUMENTS_DIR=\"relative/docs\"\nXDG_DOCUMENTS_DIR=unquoted\n");
    EXPECT_EQ(DocumentsFolder(), homePath + "/Documents");
  }
  {
    SCOPED_TRACE("a folder that cannot be created: none");
    test::WriteFileBytes(home.File("blocker"), "a file");
    test::WriteFileBytes(home.File(".config/user-dirs.dirs"),
                         "XDG_DOCUMENTS_DIR=\"$HOME/blocker/docs\"\n");
    EXPECT_EQ(DocumentsFolder(), "");
  }
}

TEST(Paths, ProgramAndDataFolders) {
  const std::string program = ProgramFolder();
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(program.back(), '/');
  EXPECT_TRUE(fs::exists(program + "test_platform"));
  const fs::path prefix = fs::path(program).parent_path().parent_path();
  EXPECT_EQ(DataFolder(), (prefix / "share" / "sondrel").string() + "/");
  EXPECT_EQ(FindDataFile("test_platform"), program + "test_platform");
  EXPECT_EQ(FindDataFile("no-such-file.htb"), DataFolder() + "no-such-file.htb");
}

TEST(Paths, FileQueries) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("f"), "12345");
  fs::create_directories(dir.Path() / "a");
  fs::create_symlink(dir.Path() / "nowhere", dir.Path() / "dangling");
  fs::create_symlink(dir.Path() / "f", dir.Path() / "link");
  struct Case {
    const char* name;
    bool exists;
    bool sameAsF;
    bool hasSize;  // a regular file (through links)
  };
  const Case cases[] = {
      {"f", true, true, true},          {"a", true, false, false},  {"f/x", false, false, false},
      {"dangling", true, false, false}, {"link", true, true, true}, {"a/../f", true, true, true},
      {"missing", false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File(c.name);
    EXPECT_EQ(FileExists(path), c.exists);
    EXPECT_EQ(IsSameFile(path, dir.File("f")), c.sameAsF);
    uint64_t size = 99;
    EXPECT_EQ(GetFileSizeOf(path, size), c.hasSize);
    EXPECT_EQ(size, c.hasSize ? 5u : 99u) << "unchanged when it fails";
  }
  EXPECT_FALSE(FileExists(""));
  EXPECT_TRUE(IsSameFile("/no/such", "/no/such")) << "equal texts";

  const std::string cwd = fs::current_path().string();
  const std::pair<std::string, std::string> absolute[] = {
      {"x.wav", cwd + "/x.wav"},
      {"./a//b/./x.wav", cwd + "/a/b/x.wav"},
      {"link/../x.wav", cwd + "/link/../x.wav"},
      {"/a/../b/", "/a/../b/"},
      {"//", "/"},
      {"", ""},
  };
  for (const auto& [given, expected] : absolute) EXPECT_EQ(AbsolutePath(given), expected) << given;

  EXPECT_EQ(FileNameOf("/home/u/Music/song.flac"), "song.flac");
  EXPECT_EQ(FileNameOf("/a/b/"), "");
  EXPECT_EQ(FileNameOf("plain"), "plain");
}

}  // namespace
}  // namespace sondrel
