// The folder search and the filters of found and dropped files, on real
// folders: order, hidden names, the extension list, shortcuts and their
// chains, links that lead back up, folders that cannot be read.
#include "engine/folder_search.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/shell_link_fixtures.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

namespace fs = std::filesystem;

class FolderSearchTest : public testing::Test {
 protected:
  // Creates the files (and their folders) below the temporary folder.
  void Files(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      fs::create_directories((dir.Path() / name).parent_path());
      test::WriteFileBytes(dir.File(name), "x");
    }
  }
  std::string P(const std::string& name) const { return dir.File(name); }
  std::vector<std::string> Collect(const std::string& folder, const SearchFilters& filters) {
    std::vector<std::string> list;
    EXPECT_TRUE(CollectFiles(P(folder), filters, list));
    return list;
  }

  test::TempDir dir;
};

const SearchFilters kNoFilters;
const SearchFilters kMp3Only{false, true, {"mp3"}};
const SearchFilters kHiddenAndMp3{true, true, {"mp3"}};

TEST_F(FolderSearchTest, FiltersAndShortcutsDecideWhatEntersTheBatch) {
  Files({"in/a.mp3", "in/b.wav", "in/readme", "in/C.MP3", "in/.h.mp3", "in/.hidden/f.mp3",
         "elsewhere/e.mp3", "elsewhere/.g.mp3"});
  test::WriteShortcut(P("in/d.lnk"), P("elsewhere/e.mp3"));
  test::WriteShortcut(P("in/.s.lnk"), P("elsewhere/e.mp3"));
  test::WriteShortcut(P("in/t.LNK"), P("elsewhere/.g.mp3"));
  test::WriteFileBytes(P("in/u.lnk"), "not a shortcut");
  struct Case {
    const char* name;
    SearchFilters filters;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"no filter: every file, shortcuts as themselves, a hidden folder searched",
       kNoFilters,
       {P("in/.h.mp3"), P("in/.s.lnk"), P("in/C.MP3"), P("in/a.mp3"), P("in/b.wav"), P("in/d.lnk"),
        P("in/readme"), P("in/t.LNK"), P("in/u.lnk"), P("in/.hidden/f.mp3")}},
      {"only mp3: shortcuts followed to their targets, any case of the extension",
       kMp3Only,
       {P("in/.h.mp3"), P("elsewhere/e.mp3"), P("in/C.MP3"), P("in/a.mp3"), P("elsewhere/e.mp3"),
        P("elsewhere/.g.mp3"), P("in/.hidden/f.mp3")}},
      {"hidden files left out, but a hidden shortcut is followed and a hidden folder searched",
       kHiddenAndMp3,
       {P("elsewhere/e.mp3"), P("in/C.MP3"), P("in/a.mp3"), P("elsewhere/e.mp3"),
        P("in/.hidden/f.mp3")}},
      {"hidden files alone",
       SearchFilters{true, false, {}},
       {P("elsewhere/e.mp3"), P("in/C.MP3"), P("in/a.mp3"), P("in/b.wav"), P("in/d.lnk"),
        P("in/readme"), P("in/t.LNK"), P("in/u.lnk"), P("in/.hidden/f.mp3")}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Collect("in", c.filters), c.expected) << c.name;
  }
}

TEST_F(FolderSearchTest, ShortcutChainsEndAfterSixteenLinks) {
  Files({"e.mp3"});
  // link0 -> link1 -> ... -> link16 -> e.mp3: seventeen shortcuts.
  for (int i = 0; i <= 16; ++i) {
    const std::string next = i == 16 ? P("e.mp3") : P("link" + std::to_string(i + 1) + ".lnk");
    test::WriteShortcut(P("link" + std::to_string(i) + ".lnk"), next);
  }
  test::WriteShortcut(P("loop-a.lnk"), P("loop-b.lnk"));
  test::WriteShortcut(P("loop-b.lnk"), P("loop-a.lnk"));
  struct Case {
    const char* name;
    std::string path;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"sixteen links", P("link1.lnk"), {P("e.mp3")}},
      {"seventeen links", P("link0.lnk"), {}},
      {"a loop", P("loop-a.lnk"), {}},
      {"a missing shortcut", P("gone.lnk"), {}},
      {"a file without extension", P("e"), {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> list;
    AcceptCandidate(c.path, kMp3Only, list);
    EXPECT_EQ(list, c.expected) << c.name;
  }
}

TEST_F(FolderSearchTest, DepthFirstAndEachFolderOnce) {
  Files({"top/z.mp3", "top/B/b.mp3", "top/A/a.mp3", "top/A/A2/y.mp3", "top/A/A1/x.mp3"});
  fs::create_directory_symlink(P("top"), P("top/A/up"));  // back to the top
  fs::create_directory_symlink(P("top/A/A1"), P("top/B/also-a1"));
  fs::create_directory_symlink(P("nowhere"), P("top/broken"));
  EXPECT_EQ(Collect("top", kMp3Only),
            (std::vector<std::string>{P("top/z.mp3"), P("top/A/a.mp3"), P("top/A/A1/x.mp3"),
                                      P("top/A/A2/y.mp3"), P("top/B/b.mp3")}));
  // A link to a folder is searched like the folder when it comes first.
  fs::create_directory_symlink(P("top/B"), P("link-to-b"));
  std::vector<std::string> list;
  EXPECT_TRUE(CollectPaths({P("link-to-b"), "", P("top/B/b.mp3"), P("top")}, kMp3Only, list));
  EXPECT_EQ(list, (std::vector<std::string>{P("link-to-b/b.mp3"), P("link-to-b/also-a1/x.mp3"),
                                            P("top/B/b.mp3"), P("top/z.mp3"), P("top/A/a.mp3"),
                                            P("top/A/A2/y.mp3")}));
}

TEST_F(FolderSearchTest, UnreadableFoldersContributeNothingAndStopNothing) {
  Files({"top/a/1.mp3", "top/b/2.mp3", "top/c/3.mp3"});
  std::vector<std::string> list;
  EXPECT_TRUE(CollectFiles(P("missing"), kNoFilters, list));
  EXPECT_TRUE(CollectPaths({P("missing"), P("top/a/1.mp3/below")}, kNoFilters, list));
  EXPECT_EQ(list, (std::vector<std::string>{P("missing"), P("top/a/1.mp3/below")}))
      << "a path that is no folder is a candidate file; its probe reports it";
  if (geteuid() != 0) {  // the superuser reads every folder
    ASSERT_EQ(chmod(P("top/b").c_str(), 0), 0);
    EXPECT_EQ(Collect("top", kNoFilters),
              (std::vector<std::string>{P("top/a/1.mp3"), P("top/c/3.mp3")}));
    chmod(P("top/b").c_str(), 0700);
  }
  // The caller's progress check stops the search after a folder.
  list.clear();
  int folders = 0;
  EXPECT_FALSE(CollectFiles(P("top"), kNoFilters, list, [&] { return ++folders < 2; }));
  EXPECT_EQ(list, (std::vector<std::string>{P("top/a/1.mp3")}));
  EXPECT_EQ(SearchFilters::From(ConvertSettings(std::string())), kNoFilters);
}

}  // namespace
}  // namespace sondrel
