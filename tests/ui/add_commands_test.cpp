// The adding commands of the main window on a virtual display, with real
// files: the Open dialog's result (through its seam), Add Folder, drops and
// the command line, the one failure message, Cancel, and the window
// disabled while a batch is added.
#include <wx/button.h>
#include <wx/dnd.h>

#include <gtest/gtest.h>
#include <sndfile.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "encode/format_catalogue.h"
#include "engine/messages.h"
#include "main_window_fixture.h"
#include "settle.h"
#include "support/audio_fixtures.h"
#include "support/scoped_env.h"
#include "support/shell_link_fixtures.h"
#include "support/temp_dir.h"
#include "ui/file_list_ctrl.h"
#include "ui/open_files_dialog.h"
#include "ui/progress_dialogs.h"
#include "ui/shell.h"

namespace sondrel {
namespace {

namespace fs = std::filesystem;
using test::Command;
using test::Settle;

class AddCommands : public testing::Test {
 protected:
  void SetUp() override {
    test::PrepareStore(store);
    test::EnsureAudioEngine();
  }
  void TearDown() override {
    SetOpenFilesHandler(nullptr);
    SetFolderDialogHandler(nullptr);
    test::DestroyWindow(m_ref);
  }
  test::RecordingWindow& Open() {
    window = test::OpenWindow(store);
    m_ref = window;
    return *window;
  }

  // A short WAV (or, for a ".mp3" name, MP3) file below the temporary folder.
  std::string Audio(const std::string& name) {
    const std::string path = dir.File(name);
    fs::create_directories(fs::path(path).parent_path());
    const bool ok = name.ends_with(".mp3")
                        ? test::WriteWithFfmpegWriter(path, "mp3", kCodecMp3, 44100, 1, 64000,
                                                      test::Tone16(1, 4410, 44100))
                        : test::WriteSndfile16(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1,
                                               test::Tone16(1, 800, 8000));
    EXPECT_TRUE(ok) << path;
    return path;
  }
  // Chooses `paths` in the Open dialog of Add Files (or fails it with `code`).
  void Choose(const std::vector<std::string>& paths, unsigned code = 0) {
    SetOpenFilesHandler([paths, code] { return FileChoice{paths, code}; });
    Command(*window, kCmdAddFiles);
  }
  // Drops paths on the window through its drop target.
  void Drop(const std::vector<std::string>& paths) {
    auto* target = dynamic_cast<wxFileDropTarget*>(window->GetDropTarget());
    ASSERT_NE(target, nullptr);
    wxArrayString names;
    for (const std::string& path : paths) names.Add(wxString(path.c_str(), *wxConvFileName));
    EXPECT_TRUE(target->OnDropFiles(10, 10, names));
    Settle(5);
  }
  std::vector<std::string> Rows() const {
    std::vector<std::string> paths;
    for (int row = 0; row < window->List().RowCount(); ++row) {
      paths.push_back(window->List().ItemAt(row)->sourcePath);
    }
    return paths;
  }

  MemorySettingsStore store;
  test::RecordingWindow* window = nullptr;
  test::TempDir dir;

 private:
  wxWeakRef<wxWindow> m_ref;
};

TEST_F(AddCommands, OpenDialogAddsTheChosenFilesOnce) {
  const std::string a = Audio("a.wav"), b = Audio("b.wav"), c = Audio("c.wav"), d = Audio("d.wav");
  test::RecordingWindow& w = Open();
  // The window is disabled while each row is added.
  std::vector<bool> enabledWhileAdding;
  AddTarget& target = w.ListTarget();
  target.addRow = [&w, &enabledWhileAdding](FileItem item) {
    enabledWhileAdding.push_back(w.IsEnabled());
    return w.AddFileRow(std::move(item));
  };
  Choose({a});
  EXPECT_EQ(Rows(), (std::vector<std::string>{a}));
  Choose({b, c, d});
  EXPECT_EQ(Rows(), (std::vector<std::string>{a, b, c, d}));
  Choose({a, d, a});
  Choose({});  // cancelled
  EXPECT_EQ(Rows(), (std::vector<std::string>{a, b, c, d})) << "duplicates are silent";
  EXPECT_TRUE(w.messages.empty());
  EXPECT_EQ(enabledWhileAdding, std::vector<bool>(4, false));
  EXPECT_TRUE(w.IsEnabled());

  Choose({}, kNameBufferTooSmall);
  ASSERT_EQ(w.messages.size(), 1u);
  EXPECT_EQ(w.messages[0], ChooseFilesFailedMessage(kNameBufferTooSmall));
  EXPECT_NE(w.messages[0].find("Error code: 0x3003.\n\nPlease contact support@"),
            std::string::npos);
  EXPECT_NE(w.messages[0].find("click on \"Add Folder\""), std::string::npos);
}

TEST_F(AddCommands, FailuresAreListedInOneMessageWithTheirHint) {
  std::vector<std::string> broken;
  for (int i = 1; i <= 35; ++i) {
    broken.push_back(dir.File("broken" + std::to_string(i) + ".wav"));
    test::WriteFileBytes(broken.back(), "RIFF but not really a wave file");
  }
  fs::copy_file(Audio("fine.wav"), dir.File("bad\xff name.wav"));
  const std::string cda = dir.File("Track01.cda");
  test::WriteFileBytes(cda, test::CdaFile(1, 0, 75));
  test::ScopedEnv device("SONDREL_CD_DEVICE", dir.File("no-such-image.cue").c_str());
  struct Case {
    const char* name;
    std::vector<std::string> paths;
    std::string ending;
  };
  const Case cases[] = {
      {"35 files: 30 paths, then one line for the rest", broken,
       broken[29] + "\n" + kMoreFilesLine + SendFilesRequest()},
      {"a name that is not UTF-8 is refused unopened",
       {dir.File("bad\xff name.wav")},
       dir.File("bad\xff name.wav") + "\n" + kCharsetHint},
      {"a CD track copied to disk", {cda}, cda + "\n\n" + kCdTrackNote},
  };
  test::RecordingWindow& w = Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    w.messages.clear();
    Choose(c.paths);
    ASSERT_EQ(w.messages.size(), 1u);
    const std::string& text = w.messages[0];
    EXPECT_EQ(text.rfind(std::string(kAddFailedHeading) + c.paths[0] + "\n", 0), 0u) << text;
    EXPECT_TRUE(text.ends_with(c.ending)) << text;
    EXPECT_EQ(text.find(broken[30]), std::string::npos);
  }
  EXPECT_EQ(w.List().RowCount(), 0);
}

TEST_F(AddCommands, ADroppedFolderPassesTheFiltersAndFollowsShortcuts) {
  store.WriteNumber(kOptionsGroup, "EnableExtFilter", 1);
  store.WriteText(kOptionsGroup, "FilterExts", "mp3");
  store.WriteNumber(kOptionsGroup, "DoNotLoadHiddenFiles", 1);
  const std::string a = Audio("in/a.mp3");
  Audio("in/b.wav");
  test::WriteFileBytes(dir.File("in/readme"), "read me");
  const std::string e = Audio("elsewhere/e.mp3");
  test::WriteShortcut(dir.File("in/d.lnk"), e);
  Audio("in/.hidden.mp3");
  const std::string f = Audio("in/.folder/f.mp3");
  const std::string g = Audio("in/sub/g.mp3");
  fs::create_directory_symlink(dir.Path() / "in", dir.Path() / "in" / "sub" / "up");
  test::RecordingWindow& w = Open();
  Drop({dir.File("in")});
  EXPECT_EQ(Rows(), (std::vector<std::string>{a, e, f, g}));
  EXPECT_TRUE(w.messages.empty());
  EXPECT_TRUE(w.IsEnabled());
}

TEST_F(AddCommands, WithoutFiltersADroppedShortcutIsAFileOfItsOwn) {
  const std::string e = Audio("elsewhere/e.mp3");
  const std::string link = dir.File("d.lnk");
  test::WriteShortcut(link, e);
  const std::string hidden = Audio(".hidden.wav");
  test::RecordingWindow& w = Open();
  Drop({link, hidden});
  EXPECT_EQ(Rows(), (std::vector<std::string>{hidden}));
  ASSERT_EQ(w.messages.size(), 1u);
  EXPECT_EQ(w.messages[0].rfind(std::string(kAddFailedHeading) + link + "\n", 0), 0u)
      << w.messages[0];
}

TEST_F(AddCommands, CancelKeepsTheRowsAddedSoFar) {
  std::vector<std::string> paths;
  for (int i = 0; i < 100; ++i) paths.push_back(Audio("many/" + std::to_string(1000 + i) + ".wav"));
  test::RecordingWindow& w = Open();
  AddTarget& target = w.ListTarget();
  target.addRow = [&w](FileItem item) {
    const int row = w.AddFileRow(std::move(item));
    if (w.List().RowCount() == 10) {
      // Cancel is pressed while the tenth file is added: seen at the next pump.
      for (wxWindow* top : wxTopLevelWindows) {
        if (auto* dialog = dynamic_cast<AddProgressDialog*>(top)) {
          wxWindow* cancel = dialog->FindWindow(ProgressDialogBase::kIdCancel);
          wxCommandEvent click(wxEVT_BUTTON, ProgressDialogBase::kIdCancel);
          click.SetEventObject(cancel);
          cancel->GetEventHandler()->AddPendingEvent(click);
        }
      }
    }
    return row;
  };
  Choose(paths);
  EXPECT_EQ(Rows(), std::vector<std::string>(paths.begin(), paths.begin() + 10));
  EXPECT_TRUE(w.messages.empty());
  EXPECT_TRUE(w.IsEnabled());
  Settle(5);
  for (wxWindow* top : wxTopLevelWindows) {
    EXPECT_EQ(dynamic_cast<AddProgressDialog*>(top), nullptr) << "the adding window is closed";
  }
}

TEST_F(AddCommands, AddFolderStoresTheFolderAtOnceAndSearchesIt) {
  const std::string a = Audio("music/a.wav");
  const std::string b = Audio("music/deeper/b.wav");
  store.WriteText(kOptionsGroup, "Folder", "/last/chosen/");
  store.writes.clear();
  std::vector<std::string> asked;
  std::optional<std::string> answer;
  SetFolderDialogHandler([&](const std::string& prompt, const std::string& start) {
    asked = {prompt, start};
    return answer;
  });
  test::RecordingWindow& w = Open();
  Command(w, kCmdAddFolder);  // cancelled
  EXPECT_EQ(asked, (std::vector<std::string>{"Please choose a folder:", "/last/chosen"}));
  EXPECT_TRUE(store.writes.empty());
  answer = dir.File("music");
  Command(w, kCmdAddFolder);
  EXPECT_EQ(store.writes, (std::vector<std::string>{"Options/Folder"}));
  EXPECT_EQ(w.Settings().Folder, dir.File("music") + "/");
  EXPECT_EQ(Rows(), (std::vector<std::string>{a, b}));
}

TEST_F(AddCommands, CommandLinePathsAreAddedLikeADropOnceTheWindowIsUp) {
  const std::string a = Audio("a.wav");
  const std::string b = Audio("folder/b.wav");
  const std::string c = Audio("folder/sub/c.wav");
  test::RecordingWindow& w = Open();
  w.AddCommandLinePaths({a, dir.File("folder/")});
  EXPECT_TRUE(Rows().empty()) << "not before the events waiting now";
  Settle(5);
  EXPECT_EQ(Rows(), (std::vector<std::string>{a, b, c}));
  EXPECT_TRUE(w.messages.empty());
}

TEST(OpenDialogFilters, FiftyFiltersThatIgnoreCase) {
  const std::vector<FileTypeFilter>& filters = OpenDialogFilters();
  ASSERT_EQ(filters.size(), 50u);
  struct Case {
    size_t index;
    const char* text;
    std::vector<std::string> extensions;
    std::vector<std::string> shown, hidden;
  };
  const Case cases[] = {
      {0, "All Files (*.*)", {}, {"readme", "a.mp3", ".x"}, {}},
      {5,
       "AIFF Files (*.aiff;*.aif;*.aifc;*.afc)",
       {"aiff", "aif", "aifc", "afc"},
       {"a.AIF", "b.aifc"},
       {"aiff", "a.aiffx"}},
      {27, "MP3 Files (*.mp3)", {"mp3"}, {"a.mp3", "SONG.MP3", "x.Mp3"}, {"a.mp3.txt", "mp3"}},
      {33, "Musepack (*.mpc;*.mp+;*.mpp)", {"mpc", "mp+", "mpp"}, {"a.MP+"}, {"a.mp"}},
      {21, "Microsoft Digital Video Recording (*.dvr-ms)", {"dvr-ms"}, {"show.DVR-MS"}, {}},
      {49, "YUV Video Files (*.yuv)", {"yuv"}, {"a.yuv"}, {"a.wav"}},
  };
  for (const Case& c : cases) {
    const FileTypeFilter& filter = filters[c.index];
    EXPECT_EQ(filter.text, c.text);
    EXPECT_EQ(filter.extensions, c.extensions) << c.text;
    for (const std::string& name : c.shown) EXPECT_TRUE(filter.Matches(name)) << c.text << name;
    for (const std::string& name : c.hidden) EXPECT_FALSE(filter.Matches(name)) << c.text << name;
  }
  for (const FileTypeFilter& filter : filters) {
    EXPECT_TRUE(filter.matchesAll || !filter.extensions.empty()) << filter.text;
  }
}

}  // namespace
}  // namespace sondrel
