#include "engine/target_naming.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "encode/format_catalogue.h"
#include "engine/engine_state.h"
#include "engine/file_item.h"
#include "engine/messages.h"
#include "engine/settings.h"
#include "platform/atomic_output.h"
#include "platform/paths.h"
#include "support/memory_frontend.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

namespace fs = std::filesystem;

// A temporary tree with a source folder, a documents folder and the state.
class Naming : public ::testing::Test {
 protected:
  Naming() : state(frontend) {
    fs::create_directories(dir.Path() / "src");
    state.documentsFolder = [this] {
      ++documentsAsked;
      return documents;
    };
    mp3.id = kFormatMp3;
    mp3.extension = "mp3";
    settings.DestOutputFolderOpt = kOutputSameAsSource;
    settings.OutputFiles2MyDocuments = 0;
  }

  std::string Source(const std::string& name, const std::string& bytes = "source") {
    const std::string path = dir.File("src/" + name);
    test::WriteFileBytes(path, bytes);
    return path;
  }

  // One item in a run of its own (the previous reservation given back).
  bool Prepare(const std::string& sourcePath) {
    reserved.reset();
    item = FileItem{sourcePath, 2, 44100, 128, 1, 1000, ""};
    run = std::make_unique<RunTargets>(std::vector<FileItem*>{&item});
    status.clear();
    return PrepareTarget(state, item, mp3, settings, *run, reserved, status);
  }

  test::TempDir dir;
  test::MemoryFrontend frontend;
  EngineState state;
  FormatRow mp3;
  ConvertSettings settings;
  FileItem item;
  std::unique_ptr<RunTargets> run;
  std::unique_ptr<ReservedTarget> reserved;
  std::string status;
  std::string documents;
  int documentsAsked = 0;
};

TEST_F(Naming, SourceFolderNamesAndTheRenamePolicy) {
  {
    SCOPED_TRACE("a name without extension keeps the whole name");
    ASSERT_TRUE(Prepare(Source("noext")));
    EXPECT_EQ(item.targetPath, dir.File("src/noext.mp3"));
    EXPECT_FALSE(FileExists(item.targetPath));  // only the hidden temporary is there
    EXPECT_TRUE(IsTemporaryOutputName(FileNameOf(reserved->TempPath())));
    const std::string temp = reserved->TempPath();
    reserved.reset();
    EXPECT_FALSE(FileExists(temp)) << "given back unused: removed";
  }
  {
    SCOPED_TRACE("only the last extension goes");
    ASSERT_TRUE(Prepare(Source("live.2001.flac")));
    EXPECT_EQ(item.targetPath, dir.File("src/live.2001.mp3"));
  }
  {
    SCOPED_TRACE("converting into the source's own name renames: song_1, then song_2");
    const std::string song = Source("song.mp3");
    ASSERT_TRUE(Prepare(song));
    EXPECT_EQ(item.targetPath, dir.File("src/song_1.mp3"));
    test::WriteFileBytes(dir.File("src/song_1.mp3"), "earlier output");
    ASSERT_TRUE(Prepare(song));
    EXPECT_EQ(item.targetPath, dir.File("src/song_2.mp3"));
    EXPECT_EQ(test::ReadFileBytes(song), "source");
    EXPECT_EQ(test::ReadFileBytes(dir.File("src/song_1.mp3")), "earlier output");
  }
  {
    SCOPED_TRACE("an unknown policy value renames");
    settings.TargetExistsOpt = 0;
    ASSERT_TRUE(Prepare(dir.File("src/song.mp3")));
    EXPECT_EQ(item.targetPath, dir.File("src/song_2.mp3"));
  }
}

TEST_F(Naming, OverwriteAndSkip) {
  const std::string song = Source("song.mp3");
  settings.TargetExistsOpt = kTargetOverwrite;
  {
    SCOPED_TRACE("overwriting the source itself is refused");
    EXPECT_FALSE(Prepare(song));
    EXPECT_EQ(status,
              "Target file name is same as original file that can't be overwritten. Please "
              "output files to a custom folder.");
    EXPECT_TRUE(item.targetPath.empty());
    EXPECT_EQ(test::ReadFileBytes(song), "source");
  }
  {
    SCOPED_TRACE("also when the target reaches the source through a link");
    fs::create_directories(dir.Path() / "out");
    fs::create_symlink(song, dir.Path() / "out/song.mp3");
    settings.DestOutputFolderOpt = kOutputSpecificFolder;
    settings.DestSpecifiedFolder = dir.File("out");
    settings.OutputFiles2MyDocuments = 1;  // the refusal has no fallback
    documents = dir.File("docs");
    EXPECT_FALSE(Prepare(song));
    EXPECT_EQ(status.substr(0, 22), "Target file name is sa");
    EXPECT_EQ(documentsAsked, 0);
    EXPECT_EQ(test::ReadFileBytes(song), "source");
  }
  {
    SCOPED_TRACE("another existing target stays as it is until the new file is complete");
    fs::remove(dir.Path() / "out/song.mp3");
    test::WriteFileBytes(dir.File("out/song.mp3"), "old");
    ASSERT_TRUE(Prepare(song));
    EXPECT_EQ(item.targetPath, dir.File("out/song.mp3"));
    EXPECT_EQ(test::ReadFileBytes(item.targetPath), "old");
    reserved.reset();
    EXPECT_EQ(test::ReadFileBytes(dir.File("out/song.mp3")), "old");
  }
  {
    SCOPED_TRACE("a link to some other file is replaced, not written through");
    const std::string other = Source("other.txt", "keep me");
    fs::remove(dir.Path() / "out/song.mp3");
    fs::create_symlink(other, dir.Path() / "out/song.mp3");
    ASSERT_TRUE(Prepare(song));
    test::WriteFileBytes(reserved->TempPath(), "new");
    ASSERT_TRUE(reserved->Commit());
    EXPECT_EQ(test::ReadFileBytes(other), "keep me");
    EXPECT_FALSE(fs::is_symlink(dir.Path() / "out/song.mp3"));
    EXPECT_EQ(test::ReadFileBytes(dir.File("out/song.mp3")), "new");
  }
  {
    SCOPED_TRACE("a pipe under the target's name is neither waited on nor removed");
    fs::remove(dir.Path() / "out/song.mp3");
    ASSERT_EQ(mkfifo(dir.File("out/song.mp3").c_str(), 0600), 0);
    settings.OutputFiles2MyDocuments = 0;
    EXPECT_FALSE(Prepare(song));
    EXPECT_EQ(status, "Failed to create file \"" + dir.File("out/song.mp3") + "\"");
    EXPECT_TRUE(fs::is_fifo(dir.Path() / "out/song.mp3"));
    fs::remove(dir.Path() / "out/song.mp3");
  }
  {
    SCOPED_TRACE("skip");
    settings.TargetExistsOpt = kTargetSkip;
    test::WriteFileBytes(dir.File("out/song.mp3"), "old");
    EXPECT_FALSE(Prepare(song));
    EXPECT_EQ(status, "Target exists and skipped");
    EXPECT_EQ(test::ReadFileBytes(dir.File("out/song.mp3")), "old");
    EXPECT_EQ(documentsAsked, 0);
  }
}

TEST_F(Naming, SpecificFolderWithTheSourceTree) {
  const std::string song = Source("track01.wav");
  settings.DestOutputFolderOpt = kOutputSpecificFolder;
  settings.DestSpecifiedFolder = dir.File("out/new");  // made with its parents
  ASSERT_TRUE(Prepare(song));
  EXPECT_EQ(item.targetPath, dir.File("out/new/track01.mp3"));
  EXPECT_TRUE(fs::is_directory(dir.Path() / "out/new"));

  settings.CreateDirs = 1;
  settings.DestSpecifiedFolder = dir.File("out") + "/";
  // Doubled separators in the source collapse in the rebuilt tree.
  const std::string doubled = dir.File("src//track01.wav");
  ASSERT_TRUE(Prepare(doubled));
  const std::string tree = dir.File("out") + dir.File("src") + "/";
  EXPECT_EQ(item.targetPath, tree + "track01.mp3");
  EXPECT_TRUE(fs::is_directory(tree));

  EXPECT_EQ(SourceTree("/home/u/Music/pop/track01.mp3"), "home/u/Music/pop/");
  EXPECT_EQ(SourceTree("/home//u///pop/track01.mp3"), "home/u/pop/");
  EXPECT_EQ(SourceTree("/a/../../etc/./x.mp3"), "etc/");  // never above the output folder
  EXPECT_EQ(SourceTree("/x.mp3"), "");
  EXPECT_EQ(SourceTree("x.mp3"), "");
}

TEST_F(Naming, FolderFailuresFallBackToTheDocumentsFolderOnce) {
  const std::string song = Source("song.wav");
  test::WriteFileBytes(dir.File("plain"), "a file, not a folder");
  settings.DestOutputFolderOpt = kOutputSpecificFolder;
  settings.DestSpecifiedFolder = dir.File("plain/out");  // a component is a file
  {
    SCOPED_TRACE("without the fallback");
    EXPECT_FALSE(Prepare(song));
    EXPECT_EQ(status, "Failed to create folder \"" + dir.File("plain/out") + "\"");
    EXPECT_EQ(documentsAsked, 0);
  }
  settings.OutputFiles2MyDocuments = 1;
  documents = dir.File("docs");
  {
    SCOPED_TRACE("with it: the documents folder, keeping the tree");
    settings.CreateDirs = 1;
    ASSERT_TRUE(Prepare(song));
    EXPECT_EQ(item.targetPath, dir.File("docs") + dir.File("src") + "/song.mp3");
    EXPECT_EQ(documentsAsked, 1);
  }
  {
    SCOPED_TRACE("an empty specific folder");
    settings.DestSpecifiedFolder.clear();
    settings.CreateDirs = 0;
    ASSERT_TRUE(Prepare(song));
    EXPECT_EQ(item.targetPath, dir.File("docs/song.mp3"));
  }
  {
    SCOPED_TRACE("the documents folder fails too: the second attempt's text");
    settings.DestSpecifiedFolder = dir.File("plain/out");
    documents = dir.File("plain/docs");
    documentsAsked = 0;
    EXPECT_FALSE(Prepare(song));
    EXPECT_EQ(status, "Failed to create folder \"" + dir.File("plain/docs") + "\"");
    EXPECT_EQ(documentsAsked, 1);
  }
  {
    SCOPED_TRACE("no documents folder at all: the first text stays");
    documents.clear();
    EXPECT_FALSE(Prepare(song));
    EXPECT_EQ(status, "Failed to create folder \"" + dir.File("plain/out") + "\"");
  }
  EXPECT_EQ(test::ReadFileBytes(song), "source");
}

TEST_F(Naming, FileFailuresFallBackWithoutTheTree) {
  // In the source's folder, under the overwrite policy, a folder holds the
  // target's name: the target cannot be created.
  const std::string song = Source("song.wav");
  fs::create_directories(dir.Path() / "src/song.mp3");
  settings.TargetExistsOpt = kTargetOverwrite;
  settings.CreateDirs = 1;  // ignored: the user chose the source's folder
  EXPECT_FALSE(Prepare(song));
  EXPECT_EQ(status, "Failed to create file \"" + dir.File("src/song.mp3") + "\"");

  settings.OutputFiles2MyDocuments = 1;
  documents = dir.File("docs");
  ASSERT_TRUE(Prepare(song));
  EXPECT_EQ(item.targetPath, dir.File("docs/song.mp3"));
  EXPECT_TRUE(fs::is_directory(dir.Path() / "src/song.mp3"));
}

TEST_F(Naming, ReadOnlyParentWhenNotRoot) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  const std::string song = Source("song.wav");
  fs::create_directories(dir.Path() / "locked");
  fs::permissions(dir.Path() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  settings.DestOutputFolderOpt = kOutputSpecificFolder;
  settings.DestSpecifiedFolder = dir.File("locked/out");
  settings.OutputFiles2MyDocuments = 1;
  documents = dir.File("docs");
  ASSERT_TRUE(Prepare(song));
  EXPECT_EQ(item.targetPath, dir.File("docs/song.mp3"));
  EXPECT_EQ(documentsAsked, 1);
}

// Items of one run share its reservations.
struct RunItem {
  FileItem item;
  std::unique_ptr<ReservedTarget> reserved;
  std::string status;
};

class RunNaming : public Naming {
 protected:
  // A run over these sources (each gets an item).
  void StartRun(const std::vector<std::string>& sources) {
    items.clear();
    items.resize(sources.size());
    std::vector<FileItem*> pointers;
    for (size_t i = 0; i < sources.size(); ++i) {
      items[i].item = FileItem{sources[i], 2, 44100, 128, 1, 1000, ""};
      pointers.push_back(&items[i].item);
    }
    targets = std::make_unique<RunTargets>(pointers);
  }
  // The name item `i` gets ("skipped" or the failure text when none).
  std::string Name(size_t i) {
    RunItem& r = items[i];
    if (!PrepareTarget(state, r.item, mp3, settings, *targets, r.reserved, r.status))
      return r.status;
    return fs::path(r.item.targetPath).lexically_relative(dir.Path()).string();
  }
  // Item `i` written and renamed into place.
  void Finish(size_t i, const std::string& bytes) {
    test::WriteFileBytes(items[i].reserved->TempPath(), bytes);
    ASSERT_TRUE(items[i].reserved->Commit());
  }

  // The run outlives the reservations of its items.
  std::unique_ptr<RunTargets> targets;
  std::vector<RunItem> items;
};

TEST_F(RunNaming, TwoSourcesOfOneNameIntoOneFolderUnderEachPolicy) {
  struct Case {
    const char* name;
    int policy;
    bool existedBefore;
    std::string first, second;
  };
  const Case cases[] = {
      {"rename", kTargetRename, false, "out/x.mp3", "out/x_1.mp3"},
      {"rename, x.mp3 there", kTargetRename, true, "out/x_1.mp3", "out/x_2.mp3"},
      {"overwrite", kTargetOverwrite, false, "out/x.mp3", "out/x_1.mp3"},
      {"overwrite, x.mp3 there", kTargetOverwrite, true, "out/x.mp3", "out/x_1.mp3"},
      {"skip", kTargetSkip, false, "out/x.mp3", "out/x_1.mp3"},
      {"skip, x.mp3 there", kTargetSkip, true, kTargetSkippedText, kTargetSkippedText},
  };
  const std::string a = Source("a/x.wav"), b = Source("b/x.wav");
  settings.DestOutputFolderOpt = kOutputSpecificFolder;
  settings.DestSpecifiedFolder = dir.File("out");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir.Path() / "out");
    fs::create_directories(dir.Path() / "out");
    if (c.existedBefore) test::WriteFileBytes(dir.File("out/x.mp3"), "before");
    settings.TargetExistsOpt = c.policy;
    StartRun({a, b});
    EXPECT_EQ(Name(0), c.first);
    if (items[0].reserved) Finish(0, "first");
    EXPECT_EQ(Name(1), c.second);
    if (items[1].reserved) Finish(1, "second");
    // Nothing written is lost: each output holds what its item wrote.
    if (items[0].reserved) {
      EXPECT_EQ(test::ReadFileBytes(dir.File(c.first)), "first");
    }
    if (items[1].reserved) {
      EXPECT_EQ(test::ReadFileBytes(dir.File(c.second)), "second");
    }
  }
}

TEST_F(RunNaming, ReservedNamesAndGivenBackNames) {
  const std::string a = Source("a/x.wav"), b = Source("b/x.wav"), c = Source("c/x.wav");
  settings.DestOutputFolderOpt = kOutputSpecificFolder;
  settings.DestSpecifiedFolder = dir.File("out");
  settings.TargetExistsOpt = kTargetOverwrite;
  StartRun({a, b, c});
  EXPECT_EQ(Name(0), "out/x.mp3");
  EXPECT_EQ(Name(1), "out/x_1.mp3") << "reserved, not yet written";
  items[0].reserved.reset();  // the first item failed: its name is free again
  EXPECT_FALSE(FileExists(dir.File("out/x.mp3")));
  EXPECT_EQ(Name(2), "out/x.mp3");
}

TEST_F(RunNaming, NoOutputReplacesASourceOfTheRun) {
  // x.mp3 and x.wav side by side, converted to MP3 beside their sources.
  const std::string wav = Source("x.wav", "wav source"), mp3Source = Source("x.mp3", "mp3 source");
  settings.TargetExistsOpt = kTargetOverwrite;
  StartRun({wav, mp3Source});
  EXPECT_EQ(Name(0), "src/x_1.mp3") << "x.mp3 is a source: renamed";
  EXPECT_EQ(Name(1), kTargetIsSourceText);
  {
    SCOPED_TRACE("a source reached by another name (a hard link) counts too");
    fs::create_directories(dir.Path() / "out");
    fs::create_hard_link(mp3Source, dir.Path() / "out/x.mp3");
    settings.DestOutputFolderOpt = kOutputSpecificFolder;
    settings.DestSpecifiedFolder = dir.File("out");
    StartRun({wav, mp3Source});
    EXPECT_EQ(Name(0), "out/x_1.mp3");
  }
  EXPECT_EQ(test::ReadFileBytes(mp3Source), "mp3 source");
  EXPECT_EQ(test::ReadFileBytes(wav), "wav source");
}

TEST_F(RunNaming, TreeFoldersOfAFailedItemAreRemovedWhenEmpty) {
  const std::string deep = Source("deep/er/x.wav"), other = Source("deep/er/y.wav");
  settings.DestOutputFolderOpt = kOutputSpecificFolder;
  settings.DestSpecifiedFolder = dir.File("out");
  settings.CreateDirs = 1;
  const fs::path tree = fs::path(dir.File("out") + dir.File("src"));
  StartRun({deep, other});
  ASSERT_NE(Name(0).find("x.mp3"), std::string::npos);
  EXPECT_TRUE(fs::is_directory(tree / "deep/er"));
  items[0].reserved.reset();  // failed
  ASSERT_TRUE(fs::is_directory(dir.Path() / "out")) << "the chosen folder stays";
  EXPECT_TRUE(fs::is_empty(dir.Path() / "out")) << "the whole tree went";

  // A folder that holds another output stays.
  ASSERT_NE(Name(0).find("x.mp3"), std::string::npos);
  ASSERT_NE(Name(1).find("y.mp3"), std::string::npos);
  Finish(1, "kept");
  items[0].reserved.reset();
  EXPECT_EQ(test::ReadFileBytes((tree / "deep/er/y.mp3").string()), "kept");
}

TEST(EnsureFolder, CreatesMissingParentsAndRefusesFiles) {
  test::TempDir dir;
  EXPECT_FALSE(EnsureFolder(dir.File("a/b/c"), false));
  EXPECT_TRUE(EnsureFolder(dir.File("a/b/c"), true));
  EXPECT_TRUE(fs::is_directory(dir.Path() / "a/b/c"));
  EXPECT_TRUE(EnsureFolder(dir.File("a/b/c"), false));
  EXPECT_TRUE(EnsureFolder(dir.File("a//d/"), true));
  EXPECT_TRUE(fs::is_directory(dir.Path() / "a/d"));

  test::WriteFileBytes(dir.File("f"), "x");
  EXPECT_FALSE(EnsureFolder(dir.File("f"), true));
  EXPECT_FALSE(EnsureFolder(dir.File("f/g/h"), true));
  EXPECT_EQ(test::ReadFileBytes(dir.File("f")), "x");
  EXPECT_FALSE(EnsureFolder("", true));
}

}  // namespace
}  // namespace sondrel
