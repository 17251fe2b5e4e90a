// The temporary-then-rename output file on real files.
#include "platform/atomic_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Sets the umask for one scope.
struct ScopedUmask {
  explicit ScopedUmask(mode_t mask) : old(umask(mask)) {}
  ~ScopedUmask() { umask(old); }
  mode_t old;
};

TEST(AtomicOutput, TheTargetAppearsOnlyAtTheCommitWithTheUmaskMode) {
  struct Case {
    const char* name;
    mode_t umask;
    mode_t mode;
  };
  const Case cases[] = {
      {"umask 022", 022, 0644}, {"umask 077", 077, 0600}, {"umask 002", 002, 0664}};
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedUmask mask(c.umask);
    const std::string target = dir.File("song.flac");
    fs::remove(target);
    auto out = AtomicOutput::Create(target, AtomicOutput::Replace::Never);
    ASSERT_TRUE(out);
    EXPECT_EQ(fs::path(out->TempPath()).parent_path(), dir.Path()) << "beside the target";
    EXPECT_EQ(FileNameOf(out->TempPath()).rfind(".song.flac.sondrel-", 0), 0u) << out->TempPath();
    EXPECT_EQ(ModeOf(out->TempPath()), 0600u) << "private while written";
    EXPECT_FALSE(FileExists(target));
    test::WriteFileBytes(out->TempPath(), "whole");
    EXPECT_FALSE(FileExists(target));
    ASSERT_TRUE(out->Commit());
    EXPECT_EQ(test::ReadFileBytes(target), "whole");
    EXPECT_EQ(ModeOf(target), c.mode);
    EXPECT_EQ(NewFileMode(), c.mode);
    EXPECT_FALSE(FileExists(out->TempPath()));
  }
}

TEST(AtomicOutput, FailuresLeaveTheTargetAsItWas) {
  test::TempDir dir;
  const std::string target = dir.File("out.wav");
  {
    SCOPED_TRACE("given up: the old file stays, the temporary goes");
    test::WriteFileBytes(target, "old");
    auto out = AtomicOutput::Create(target, AtomicOutput::Replace::Allowed);
    ASSERT_TRUE(out);
    test::WriteFileBytes(out->TempPath(), "half");
    const std::string temp = out->TempPath();
    out.reset();
    EXPECT_EQ(test::ReadFileBytes(target), "old");
    EXPECT_FALSE(FileExists(temp));
  }
  {
    SCOPED_TRACE("replacing is allowed: the new file takes the place at the commit");
    auto out = AtomicOutput::Create(target, AtomicOutput::Replace::Allowed);
    test::WriteFileBytes(out->TempPath(), "new");
    EXPECT_EQ(test::ReadFileBytes(target), "old");
    ASSERT_TRUE(out->Commit());
    EXPECT_EQ(test::ReadFileBytes(target), "new");
  }
  {
    SCOPED_TRACE("a file that appeared meanwhile is never replaced");
    fs::remove(target);
    auto out = AtomicOutput::Create(target, AtomicOutput::Replace::Never);
    test::WriteFileBytes(out->TempPath(), "ours");
    test::WriteFileBytes(target, "someone else's");
    EXPECT_FALSE(out->Commit());
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(test::ReadFileBytes(target), "someone else's");
    EXPECT_FALSE(FileExists(out->TempPath()));
  }
  {
    SCOPED_TRACE("a temporary that a writer replaced is not ours to commit");
    fs::remove(target);
    auto out = AtomicOutput::Create(target, AtomicOutput::Replace::Never);
    fs::remove(out->TempPath());
    test::WriteFileBytes(out->TempPath(), "planted");
    EXPECT_FALSE(out->Commit());
    EXPECT_FALSE(FileExists(target));
    fs::remove(out->TempPath());
  }
  {
    SCOPED_TRACE("a folder that takes no file");
    EXPECT_FALSE(AtomicOutput::Create(dir.File("missing/out.wav"), AtomicOutput::Replace::Never));
    EXPECT_FALSE(AtomicOutput::Create(dir.File("folder/"), AtomicOutput::Replace::Never));
  }
}

TEST(AtomicOutput, RestartEmptiesOrRemakesTheTemporary) {
  test::TempDir dir;
  auto out = AtomicOutput::Create(dir.File("x.mp3"), AtomicOutput::Replace::Never);
  ASSERT_TRUE(out);
  test::WriteFileBytes(out->TempPath(), "first attempt");
  ASSERT_TRUE(out->Restart());
  EXPECT_EQ(test::ReadFileBytes(out->TempPath()), "");
  // A writer whose open failed removes what it created.
  fs::remove(out->TempPath());
  ASSERT_TRUE(out->Restart());
  EXPECT_EQ(ModeOf(out->TempPath()), 0600u);
  test::WriteFileBytes(out->TempPath(), "second attempt");
  ASSERT_TRUE(out->Commit());
  EXPECT_EQ(test::ReadFileBytes(dir.File("x.mp3")), "second attempt");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST(AtomicOutput, PendingTemporariesCanBeRemovedAtOnce) {
  test::TempDir dir;
  auto a = AtomicOutput::Create(dir.File("a.ogg"), AtomicOutput::Replace::Never);
  auto b = AtomicOutput::Create(dir.File("b.ogg"), AtomicOutput::Replace::Never);
  auto done = AtomicOutput::Create(dir.File("c.ogg"), AtomicOutput::Replace::Never);
  ASSERT_TRUE(a && b && done);
  ASSERT_TRUE(done->Commit());
  RemovePendingOutputs();
  EXPECT_FALSE(FileExists(a->TempPath()));
  EXPECT_FALSE(FileExists(b->TempPath()));
  EXPECT_TRUE(FileExists(dir.File("c.ogg")));
}

TEST(AtomicOutput, TemporaryNames) {
  const std::string longName(250, 'n');
  const std::string shortened =
      FileNameOf(TemporaryOutputName("/d/" + longName + ".mp3", "Ab3xYz"));
  EXPECT_LE(shortened.size(), static_cast<size_t>(NAME_MAX));
  EXPECT_TRUE(IsTemporaryOutputName(shortened));
  // A shortened name never ends inside a character of several bytes.
  std::string accents;
  for (int i = 0; i < 130; ++i) accents += "\xC3\xA9";  // "é"
  const std::string cut = FileNameOf(TemporaryOutputName(accents, "Ab3xYz"));
  EXPECT_EQ(cut.find(".sondrel-") % 2, 1u) << "whole two-byte characters after the dot";

  struct Case {
    const char* name;
    bool ours;
  };
  const Case cases[] = {
      {".song.mp3.sondrel-Ab3xYz", true},
      {".a.sondrel-000000", true},
      {"song.mp3.sondrel-Ab3xYz", false},
      {".song.mp3.sondrel-Ab3xY", false},
      {".song.mp3.sondrel-Ab3x_z", false},
      {".sondrel-Ab3xYz", false},
      {"song.mp3", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsTemporaryOutputName(c.name), c.ours) << c.name;
  EXPECT_EQ(TemporaryOutputName("/m/x.wav", "Ab3xYz"), "/m/.x.wav.sondrel-Ab3xYz");
  EXPECT_EQ(TemporaryOutputName("x.wav", "Ab3xYz"), ".x.wav.sondrel-Ab3xYz");
}

}  // namespace
}  // namespace sondrel
