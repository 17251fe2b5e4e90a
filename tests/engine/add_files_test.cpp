// Adding files: the batch with its window, duplicates, the failure report
// with its hints, Cancel, and the probe of one file.
#include "engine/add_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "decode/audio_engine.h"
#include "decode/source_type.h"
#include "engine/messages.h"
#include "engine/run_fixture.h"
#include "support/audio_fixtures.h"
#include "support/memory_frontend.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

class AddFiles : public test::RunFixture {
 protected:
  AddResult Add(const std::vector<std::string>& paths,
                std::unique_ptr<ProgressWindow> progress = nullptr) {
    return AddPaths(*state, target, paths, std::move(progress));
  }

  DuplicateIndex listed;
  AddTarget target{listed, [this](FileItem item) { return list.Add(std::move(item)); }};
};

TEST_F(AddFiles, ABatchListsEachFileOnceAndShowsItsProgress) {
  const std::string a = AddSource("a.wav", {});
  const std::string b = AddSource("b.wav", {});
  EXPECT_EQ(Add({a, b, a}), AddResult{});
  EXPECT_EQ(Add({b}), AddResult{}) << "a second batch: still no failure";
  ASSERT_EQ(list.RowCount(), 2);
  EXPECT_EQ(Item(0), (FileItem{a, 2, 44100, 1411, 1, kSourceWav, ""}));
  EXPECT_EQ(Item(1).sourcePath, b);
  EXPECT_TRUE(frontend.messages.empty()) << "duplicates are silent";

  ASSERT_EQ(frontend.progress.size(), 2u);
  const test::MemoryProgress& window = frontend.progress[0];
  EXPECT_EQ(window.upperTexts,
            (std::vector<std::string>{"[1/3] Adding file a.wav...", "[2/3] Adding file b.wav...",
                                      "[3/3] Adding file a.wav..."}));
  EXPECT_EQ(window.upperRange, 3);
  EXPECT_EQ(window.upperPos, 3);
  EXPECT_TRUE(window.closed);
  EXPECT_EQ(frontend.busyCalls, (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(frontend.pumps, 4 + 2) << "once before the batch and after every file";
}

TEST_F(AddFiles, FailuresAreReportedOnceAtTheEndOfTheBatch) {
  struct Case {
    const char* name;
    std::vector<std::string> paths;
    int failed;
    std::string ending;  // the message's last line
  };
  std::vector<std::string> many;
  for (int i = 1; i <= 35; ++i) many.push_back(dir.File("f" + std::to_string(i) + ".wav"));
  const std::string cda = dir.File("Track01.cda");
  test::WriteFileBytes(cda, "copied off a CD");
  const Case cases[] = {
      {"35 files: 30 listed, then a line for the rest", many, 35, SendFilesRequest().substr(1)},
      {"a name outside the charset is not even opened",
       {dir.File("\xff.wav")},
       1,
       std::string(kCharsetHint).substr(1)},
      {"a CD track on a disk", {cda}, 1, kCdTrackNote},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    frontend.messages.clear();
    readerLog.clear();
    EXPECT_EQ(Add(c.paths), (AddResult{c.failed, false}));
    ASSERT_EQ(frontend.messages.size(), 1u);
    const std::string& text = frontend.messages[0].first;
    EXPECT_EQ(frontend.messages[0].second, MessageIcon::Exclamation);
    EXPECT_EQ(text.rfind(std::string(kAddFailedHeading) + c.paths[0] + "\n", 0), 0u) << text;
    EXPECT_EQ(text.substr(text.rfind('\n') + 1), c.ending);
    if (c.failed == 35) {
      EXPECT_NE(text.find(many[29] + "\n" + kMoreFilesLine), std::string::npos);
      EXPECT_EQ(text.find(many[30]), std::string::npos);
    }
    if (c.paths.size() == 1 && c.ending != kCdTrackNote) {
      EXPECT_TRUE(readerLog.empty());
    }
  }
  EXPECT_EQ(list.RowCount(), 0);
}

TEST_F(AddFiles, CancelKeepsTheFilesAddedSoFar) {
  std::vector<std::string> paths;
  for (int i = 0; i < 100; ++i) paths.push_back(AddSource("s" + std::to_string(i) + ".wav", {}));
  // The first pump comes before the batch, then one after every file.
  frontend.onPump = [](test::MemoryFrontend& f) { f.progress[0].cancel = f.pumps > 10; };
  EXPECT_EQ(Add(paths), (AddResult{0, true}));
  EXPECT_EQ(list.RowCount(), 10);
  EXPECT_TRUE(frontend.progress[0].closed);
  EXPECT_EQ(frontend.busyCalls, (std::vector<bool>{true, false}));
}

TEST_F(AddFiles, TheSearchStepsWindowCarriesTheBatch) {
  std::unique_ptr<ProgressWindow> searching = frontend.CreateAddProgress();
  searching->SetText(ProgressPart::Upper, "Searching files...");
  EXPECT_EQ(Add({AddSource("a.wav", {})}, std::move(searching)), AddResult{});
  ASSERT_EQ(frontend.progress.size(), 1u) << "no second window";
  EXPECT_EQ(frontend.progress[0].upperText, "[1/1] Adding file a.wav...");
  EXPECT_TRUE(frontend.progress[0].closed);
  EXPECT_EQ(AddOneFile(state->opener, target, Item(0).sourcePath), 0) << "listed already";
  EXPECT_EQ(AddOneFile(state->opener, target, dir.File("missing.wav")), -1);
}

TEST_F(AddFiles, DroppedFoldersAreSearchedInTheAddingWindow) {
  std::filesystem::create_directories(dir.Path() / "in" / "sub");
  std::filesystem::create_directories(dir.Path() / "empty");
  const std::string a = AddSource("in/a.wav", {});
  const std::string b = AddSource("in/sub/b.wav", {});
  const std::string c = AddSource("c.wav", {});
  AddSource("in/skipped.ogg", {});
  const SearchFilters wavOnly{false, true, {"wav"}};
  EXPECT_EQ(AddDroppedPaths(*state, target, wavOnly, {dir.File("in"), c}), AddResult{});
  ASSERT_EQ(list.RowCount(), 3);
  EXPECT_EQ((std::vector<std::string>{Item(0).sourcePath, Item(1).sourcePath, Item(2).sourcePath}),
            (std::vector<std::string>{a, b, c}));
  const test::MemoryProgress& window = frontend.progress.at(0);
  EXPECT_EQ(window.upperTexts,
            (std::vector<std::string>{"Searching files...", "[1/3] Adding file a.wav...",
                                      "[2/3] Adding file b.wav...", "[3/3] Adding file c.wav..."}));
  EXPECT_TRUE(window.closed);
  EXPECT_EQ(frontend.busyCalls, (std::vector<bool>{true, false}));

  SCOPED_TRACE("a folder with nothing to add closes its window without a message");
  EXPECT_EQ(AddFolderPath(*state, target, wavOnly, dir.File("empty")), AddResult{});
  EXPECT_TRUE(frontend.progress.at(1).closed);
  EXPECT_TRUE(frontend.messages.empty());
  EXPECT_EQ(list.RowCount(), 3);
}

TEST_F(AddFiles, AFileThatVanishesAfterTheSearchIsAFailureLine) {
  std::filesystem::create_directories(dir.Path() / "in");
  AddSource("in/a.wav", {});
  const std::string b = AddSource("in/b.wav", {});
  // Once the batch is gathered (its bar has a range of 2), b.wav goes.
  frontend.onPump = [&](test::MemoryFrontend& f) {
    if (!f.progress.empty() && f.progress[0].upperRange == 2) std::filesystem::remove(b);
  };
  EXPECT_EQ(AddFolderPath(*state, target, SearchFilters{}, dir.File("in")), (AddResult{1, false}));
  EXPECT_EQ(list.RowCount(), 1);
  ASSERT_EQ(frontend.messages.size(), 1u);
  EXPECT_NE(frontend.messages[0].first.find(b), std::string::npos);
}

TEST_F(AddFiles, CancelDuringTheSearchAddsNothing) {
  for (const char* folder : {"in/a", "in/b"})
    std::filesystem::create_directories(dir.Path() / folder);
  AddSource("in/a/1.wav", {});
  AddSource("in/b/2.wav", {});
  frontend.onPump = [](test::MemoryFrontend& f) {
    if (!f.progress.empty()) f.progress[0].cancel = f.pumps > 3;
  };
  EXPECT_EQ(AddFolderPath(*state, target, SearchFilters{}, dir.File("in")), (AddResult{0, true}));
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_TRUE(frontend.progress[0].closed);
  EXPECT_TRUE(frontend.messages.empty());
}

TEST_F(AddFiles, AHugeDropKeepsPumpingAndItsReportShort) {
  constexpr int kPaths = 100000;
  std::vector<std::string> paths;
  for (int i = 0; i < kPaths; ++i) paths.push_back(dir.File("gone/" + std::to_string(i) + ".wav"));
  EXPECT_EQ(AddDroppedPaths(*state, target, SearchFilters{}, paths), (AddResult{kPaths, false}));
  EXPECT_GE(frontend.pumps, kPaths);
  ASSERT_EQ(frontend.messages.size(), 1u);
  EXPECT_LT(frontend.messages[0].first.size(), 31u * (paths.back().size() + 100));
}

TEST(AddFailureReport, ListsThirtyPathsThenMore) {
  AddFailureReport report;
  EXPECT_TRUE(report.Empty());
  for (int i = 1; i <= 35; ++i) report.Add("/x/f" + std::to_string(i), false);
  const std::string text = report.Message("");
  EXPECT_EQ(text.rfind("Failed to load the following files.\n\n/x/f1\n", 0), 0u);
  EXPECT_NE(text.find("/x/f30\n<more files>...\n"), std::string::npos);
  EXPECT_EQ(text.find("/x/f31"), std::string::npos);
  EXPECT_NE(text.find("support@"), std::string::npos) << "without a note, ask for the files";

  report.Clear();
  report.Add("/cd/track01.cda", false);
  EXPECT_EQ(
      report.Message(kCdTrackNote),
      std::string("Failed to load the following files.\n\n/cd/track01.cda\n\n") + kCdTrackNote);

  report.Clear();
  report.Add("/x/locked.wav", false, "Permission denied");
  EXPECT_EQ(report.Message(""),
            "Failed to load the following files.\n\n/x/locked.wav (Permission denied)")
      << "a file that gave its reason is not asked for";
  report.Add("/x/odd.wav", false);
  EXPECT_NE(report.Message("").find("support@"), std::string::npos);

  report.Clear();
  report.Add("/x/\xff.mp3", true);
  EXPECT_NE(report.Message(kCdTrackNote).find("non-English characters"), std::string::npos)
      << "the charset hint wins over the note";
}

TEST(ProbeFile, CdTrackCopiedToDiskFailsWithTheCdHint) {
  test::TempDir dir;
  const std::string cda = dir.File("Track01.cda");
  test::WriteFileBytes(cda, test::CdaFile(1, 0, 75));
  test::ScopedEnv device("SONDREL_CD_DEVICE", dir.File("no-such-image.cue").c_str());
  test::MemoryFrontend frontend;
  ASSERT_TRUE(StartAudioEngine(frontend));
  SourceOpener opener;
  FileItem item;
  EXPECT_FALSE(ProbeFile(opener, cda, item));
  StopAudioEngine();
  EXPECT_EQ(opener.Note(), kCdTrackNote);
  AddFailureReport report;
  report.Add(cda, false);
  const std::string message = report.Message(opener.Note());
  EXPECT_EQ(message.substr(message.size() - opener.Note().size()), kCdTrackNote);
}

}  // namespace
}  // namespace sondrel
