#include "engine/list_columns.h"

#include <gtest/gtest.h>

#include "engine/file_probe.h"
#include "engine/messages.h"

namespace sondrel {
namespace {

TEST(ListColumns, CellTexts) {
  EXPECT_EQ(DurationText(0), "");
  EXPECT_EQ(DurationText(59), "00:59");
  EXPECT_EQ(DurationText(3599), "59:59");
  EXPECT_EQ(DurationText(3725), "1:02:05");
  EXPECT_EQ(BitRateText(0), "");
  EXPECT_EQ(BitRateText(128), "128 kbps");
  EXPECT_EQ(SampleRateText(44100), "44100 Hz");
  EXPECT_EQ(ChannelsText(0), "Mono");
  EXPECT_EQ(ChannelsText(2), "Stereo");
  EXPECT_EQ(ChannelsText(6), "5.1");
  EXPECT_EQ(ChannelsText(12), "12");
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
  report.Add("/x/\xff.mp3", true);
  EXPECT_NE(report.Message(kCdTrackNote).find("non-English characters"), std::string::npos)
      << "the charset hint wins over the note";
}

}  // namespace
}  // namespace sondrel

#include "decode/audio_engine.h"
#include "engine/file_probe.h"
#include "support/audio_fixtures.h"
#include "support/memory_frontend.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

// A track file copied from a CD to a folder opens with no reader (no drive
// has the disc) and leaves the CD hint for the add-files message.
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
