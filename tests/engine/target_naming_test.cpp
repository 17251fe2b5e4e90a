#include "engine/target_naming.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "encode/format_catalogue.h"
#include "engine/engine_state.h"
#include "engine/file_item.h"
#include "engine/settings.h"
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

  bool Prepare(const std::string& sourcePath) {
    item = FileItem{sourcePath, 2, 44100, 128, 1, 1000, ""};
    status.clear();
    return PrepareTarget(state, item, mp3, settings, status);
  }

  test::TempDir dir;
  test::MemoryFrontend frontend;
  EngineState state;
  FormatRow mp3;
  ConvertSettings settings;
  FileItem item;
  std::string status;
  std::string documents;
  int documentsAsked = 0;
};

TEST_F(Naming, SourceFolderNamesAndTheRenamePolicy) {
  {
    SCOPED_TRACE("a name without extension keeps the whole name");
    ASSERT_TRUE(Prepare(Source("noext")));
    EXPECT_EQ(item.targetPath, dir.File("src/noext.mp3"));
    EXPECT_FALSE(FileExists(item.targetPath));  // the probe leaves nothing behind
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
    SCOPED_TRACE("another existing target is replaced by the probe");
    fs::remove(dir.Path() / "out/song.mp3");
    test::WriteFileBytes(dir.File("out/song.mp3"), "old");
    ASSERT_TRUE(Prepare(song));
    EXPECT_EQ(item.targetPath, dir.File("out/song.mp3"));
    EXPECT_FALSE(FileExists(item.targetPath));
  }
  {
    SCOPED_TRACE("a link to some other file is replaced, not written through");
    const std::string other = Source("other.txt", "keep me");
    fs::create_symlink(other, dir.Path() / "out/song.mp3");
    ASSERT_TRUE(Prepare(song));
    EXPECT_EQ(test::ReadFileBytes(other), "keep me");
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
