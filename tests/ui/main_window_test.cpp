// The main window driven through its commands and events on a virtual
// display: layout, cell texts, sorting, removing, the format list, the
// popup menu's rules, keys, closing and a real conversion.
#include "ui/main_window.h"

#include <wx/app.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/tooltip.h>
#include <wx/uiaction.h>

#include <gtest/gtest.h>
#include <sndfile.h>

#include <climits>
#include <set>

#include "engine/add_files.h"
#include "engine/messages.h"
#include "main_window_fixture.h"
#include "platform/product.h"
#include "screenshot.h"
#include "settle.h"
#include "support/audio_fixtures.h"
#include "support/temp_dir.h"
#include "ui/about_box.h"
#include "ui/file_list_ctrl.h"

namespace sondrel {
namespace {

using test::AddItem;
using test::ColumnTexts;
using test::Command;
using test::Settle;

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override { test::PrepareStore(store); }
  void TearDown() override { test::DestroyWindow(m_ref); }

  test::RecordingWindow& Open() {
    window = test::OpenWindow(store);
    m_ref = window;
    return *window;
  }
  // Clicks a column header.
  void ClickHeader(int column) {
    wxListEvent click(wxEVT_LIST_COL_CLICK, kFileListId);
    click.m_col = column;
    click.SetEventObject(&window->List());
    window->List().ProcessWindowEvent(click);
  }
  FileItem Item(const std::string& name, int duration = 0, int bitRate = 0) {
    FileItem item;
    item.sourcePath = "/music/" + name;
    item.duration = duration;
    item.bitRate = bitRate;
    return item;
  }

  MemorySettingsStore store;
  test::RecordingWindow* window = nullptr;

 private:
  wxWeakRef<wxWindow> m_ref;
};

TEST(MainMenus, EveryCommandHasItsOwnWxIdAndComesBack) {
  const int commands[] = {
      kCmdAddFiles,
      kCmdAddFolder,
      kCmdRemoveAll,
      kCmdRemove,
      kCmdConvertAll,
      kCmdConvertAllToOne,
      kCmdConvertSelected,
      kCmdConvertSelectedToOne,
      kCmdOptions,
      kCmdPlaySource,
      kCmdPlayDestination,
      kCmdBrowseSource,
      kCmdBrowseDestination,
      kCmdSelectAll,
      kCmdHelpButton,
      kCmdMinimize,
      kCmdClose,
      kCmdHelpTopics,
      kCmdAbout,
      kCmdTellAFriend,
      kCmdFeedback,
      kCmdHomepage,
      kCmdLatestVersion,
      kFileListId,
      kFormatListId,
  };
  std::set<int> ids;
  for (const int command : commands) {
    const int id = WxId(command);
    EXPECT_TRUE(id >= 0 && id < 32767) << command;
    EXPECT_TRUE(ids.insert(id).second) << command << " shares its wx id";
    EXPECT_EQ(CommandOf(id), command);
  }
}

TEST_F(MainWindowTest, ShowsItsControlsAtTheirPlaces) {
  test::RecordingWindow& w = Open();
  EXPECT_EQ(w.GetTitle(), "Sondrel");
  EXPECT_EQ(w.GetSize(), wxSize(950, 650));
  EXPECT_FALSE(w.HasFlag(wxCAPTION));

  struct Control {
    int id;
    const char* label;
    wxRect rect;
    const char* tip;
  };
  const Control controls[] = {
      {kCmdAddFiles, "&Add Files", {11, 72, 107, 27}, "Add files"},
      {kCmdAddFolder, "Add &Folder", {11, 119, 107, 27}, "Add files from a folder"},
      {kCmdRemoveAll, "&Remove All", {11, 166, 107, 27}, "Remove all files in list"},
      {kCmdConvertAll, "&Convert", {11, 213, 107, 27}, "Convert all files"},
      {kCmdConvertAllToOne,
       "Co&nvert to One",
       {11, 297, 107, 27},
       "Convert all files into a single one file"},
      {kCmdOptions, "&Options", {11, 345, 107, 27}, "Options"},
      {kCmdHomepage, "sondrel.org", {9, 618, 113, 20}, "Visit Sondrel Homepage"},
      {kCmdHelpButton, "", {867, 11, 21, 21}, "Help"},
      {kCmdMinimize, "", {893, 11, 21, 21}, "Minimize"},
      {kCmdClose, "", {918, 11, 21, 21}, "Close"},
      {kFileListId, "", {137, 63, 803, 575}, ""},
  };
  for (const Control& c : controls) {
    SCOPED_TRACE(c.id);
    wxWindow* control = test::ControlOf(w, c.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->GetRect(), c.rect);
    if (*c.label) {
      EXPECT_EQ(control->GetLabel(), c.label);
    }
    EXPECT_EQ(control->GetToolTipText(), c.tip);
  }
  EXPECT_EQ(w.FormatList().GetPosition(), wxPoint(11, 258));
  EXPECT_EQ(w.FormatList().GetSize().GetWidth(), 102);
  EXPECT_EQ(w.FormatList().GetToolTipText(), "Output format");
  EXPECT_TRUE(test::ControlOf(w, kCmdConvertAll)->GetFont().GetWeight() == wxFONTWEIGHT_BOLD);
  EXPECT_TRUE(test::ControlOf(w, kCmdHomepage)->GetFont().GetUnderlined());

  struct Column {
    const char* title;
    int align;
    int width;
  };
  const Column columns[] = {
      {"File", wxLIST_FORMAT_LEFT, 206},     {"Duration", wxLIST_FORMAT_RIGHT, 70},
      {"Bit Rate", wxLIST_FORMAT_RIGHT, 80}, {"Sample Rate", wxLIST_FORMAT_RIGHT, 85},
      {"Channels", wxLIST_FORMAT_RIGHT, 75}, {"Volume", wxLIST_FORMAT_RIGHT, 70},
      {"Output", wxLIST_FORMAT_LEFT, 200},
  };
  ASSERT_EQ(w.List().GetColumnCount(), 7);
  for (int i = 0; i < 7; ++i) {
    wxListItem column;
    column.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_FORMAT | wxLIST_MASK_WIDTH);
    ASSERT_TRUE(w.List().GetColumn(i, column));
    EXPECT_EQ(column.GetText(), columns[i].title);
    EXPECT_EQ(column.GetAlign(), columns[i].align) << columns[i].title;
    EXPECT_EQ(column.GetWidth(), columns[i].width) << columns[i].title;
  }
  EXPECT_EQ(w.FormatList().GetCount(), 30u);
  EXPECT_EQ(w.FormatList().GetString(0), " to 3G2 (audio only)");
  EXPECT_EQ(w.FormatList().GetStringSelection(), " to MP3");
  test::SaveScreenshot(&w, "main_window_empty");

  AddItem(w, Item("Long recording of the evening concert.flac", 3725, 912));
  AddItem(w, Item("song.mp3", 245, 320));
  AddItem(w, Item("intro.wav", 59, 1411));
  w.List().SelectRow(1);
  w.SetRowText(0, ListColumn::Output, "Long recording of the evening concert.mp3");
  w.SetRowText(0, ListColumn::Volume, "100.00%");
  test::SaveScreenshot(&w, "main_window_rows");
}

TEST_F(MainWindowTest, CellTextsOfTheProperties) {
  struct Case {
    const char* name;
    FileItem item;
    std::vector<std::string> cells;  // the seven columns
  };
  const Case cases[] = {
      {"an hour and more",
       {"/m/a.wav", 1, 0, 0, 3725, 2000, ""},
       {"a.wav", "1:02:05", "", "", "Mono", "", ""}},
      {"under a minute",
       {"/m/b c.mp3", 2, 44100, 128, 59, 1000, ""},
       {"b c.mp3", "00:59", "128 kbps", "44100 Hz", "Stereo", "", ""}},
      {"no duration, six channels",
       {"/m/d.ac3", 6, 48000, 448, 0, 9000, ""},
       {"d.ac3", "", "448 kbps", "48000 Hz", "5.1", "", ""}},
      {"zero channels",
       {"/x", 0, 8000, 0, 600, 9000, ""},
       {"x", "10:00", "", "8000 Hz", "Mono", "", ""}},
      {"twelve channels",
       {"/m/e.wav", 12, 96000, 0, 7200, 2000, ""},
       {"e.wav", "2:00:00", "", "96000 Hz", "12", "", ""}},
  };
  test::RecordingWindow& w = Open();
  for (const Case& c : cases) {
    const int row = AddItem(w, c.item);
    std::vector<std::string> cells;
    for (int column = 0; column < kColumnCount; ++column) {
      cells.push_back(w.List().CellText(row, column));
      // What the control draws is the same text.
      EXPECT_EQ(w.List().GetItemText(row, column).utf8_string(), cells.back()) << c.name;
    }
    EXPECT_EQ(cells, c.cells) << c.name;
  }
}

TEST_F(MainWindowTest, HeaderClicksSortByTheColumnsKind) {
  test::RecordingWindow& w = Open();
  AddItem(w, Item("a", 3725, 128));
  AddItem(w, Item("b", 59, 0));
  AddItem(w, Item("c", 3540, 1411));
  AddItem(w, Item("d", 0, 64));
  w.List().SelectRow(0);  // "a"
  w.List().SelectRow(2);  // "c"

  struct Step {
    const char* name;
    int column;
    std::vector<std::string> files;
  };
  const Step steps[] = {
      {"bit rate ascending, empty as 0", kColumnBitRate, {"b", "d", "a", "c"}},
      {"bit rate again: descending", kColumnBitRate, {"c", "a", "d", "b"}},
      {"duration: 1:02:05 after 59:00 and 00:59", kColumnDuration, {"d", "b", "c", "a"}},
      {"duration again", kColumnDuration, {"a", "c", "b", "d"}},
      {"file name", kColumnFile, {"a", "b", "c", "d"}},
  };
  for (const Step& step : steps) {
    ClickHeader(step.column);
    EXPECT_EQ(ColumnTexts(w, kColumnFile), step.files) << step.name;
    // The selection follows its rows, and the runs see it in list order.
    std::vector<std::string> selected;
    for (int row = w.List().NextSelected(-1); row >= 0; row = w.List().NextSelected(row)) {
      selected.push_back(w.List().CellText(row, kColumnFile));
    }
    std::vector<std::string> expected;
    for (const std::string& file : step.files) {
      if (file == "a" || file == "c") expected.push_back(file);
    }
    EXPECT_EQ(selected, expected) << step.name;
  }
}

TEST_F(MainWindowTest, RemoveForgetsTheFileSoItCanBeAddedAgain) {
  test::TempDir dir;
  const std::string a = dir.File("a.wav");
  const std::string b = dir.File("b.wav");
  for (const std::string& path : {a, b}) {
    ASSERT_TRUE(test::WriteSndfile16(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1,
                                     test::Tone16(1, 8000, 8000)));
  }
  test::EnsureAudioEngine();
  test::RecordingWindow& w = Open();
  auto add = [&](const std::string& path) {
    return AddOneFile(w.Engine().opener, w.ListTarget(), path);
  };

  Command(w, kCmdRemove);
  EXPECT_EQ(w.messages, std::vector<std::string>{kNoSelectionMessage});
  w.messages.clear();

  EXPECT_EQ(add(a), 0);
  EXPECT_EQ(add(b), 1);
  EXPECT_EQ(add(a), 0) << "listed already";
  EXPECT_EQ(w.List().RowCount(), 2);
  EXPECT_EQ(ColumnTexts(w, kColumnDuration), (std::vector<std::string>{"00:01", "00:01"}));

  w.List().SelectRow(0);
  Command(w, kCmdRemove);
  EXPECT_EQ(ColumnTexts(w, kColumnFile), std::vector<std::string>{"b.wav"});
  EXPECT_FALSE(w.Listed().Contains(a));
  EXPECT_TRUE(w.Listed().Contains(b));
  EXPECT_EQ(add(a), 1) << "added again after Remove";

  Command(w, kCmdRemoveAll);
  EXPECT_EQ(w.List().RowCount(), 0);
  EXPECT_FALSE(w.Listed().Contains(a));
  EXPECT_FALSE(w.Listed().Contains(b));
  Command(w, kCmdRemoveAll);  // nothing to remove: no message
  EXPECT_TRUE(w.messages.empty());
  EXPECT_EQ(add(b), 0);
}

TEST_F(MainWindowTest, FormatListFollowsAndSetsOutputFormat) {
  struct Case {
    const char* name;
    MemorySettingsStore::Value stored;
    int selected;      // row of the format list
    int outputFormat;  // Settings().OutputFormat
  };
  const Case cases[] = {
      {"a known id", int32_t{kFormatFlac}, -1, kFormatFlac},
      {"an id of no row: the first row", int32_t{4242}, 0, kFormat3g2},
      {"a negative id", int32_t{INT_MIN}, 0, kFormat3g2},
      {"text: the default stays", std::string("2000"), -1, kFormatMp3},
      {"a huge text", std::string(1 << 20, '7'), -1, kFormatMp3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemorySettingsStore s;
    test::PrepareStore(s);
    if (const auto* number = std::get_if<int32_t>(&c.stored)) {
      s.WriteNumber(kOptionsGroup, "OutputFormat", *number);
    } else {
      s.WriteText(kOptionsGroup, "OutputFormat", std::get<std::string>(c.stored));
    }
    // Stored values of the wrong type or size around it open the window too.
    s.WriteText(kOptionsGroup, "OptStartPageIndex", std::string(70000, 'x'));
    s.WriteNumber(kOptionsGroup, "DestSpecifiedFolder", -1);
    wxWeakRef<wxWindow> ref = test::OpenWindow(s);
    auto* w = static_cast<test::RecordingWindow*>(ref.get());
    ASSERT_NE(w, nullptr);
    std::vector<FormatRow> rows;
    BuildCatalogue(rows);
    const int expected = c.selected >= 0 ? c.selected : FormatRowIndex(rows, c.outputFormat);
    EXPECT_EQ(w->FormatList().GetSelection(), expected);
    EXPECT_EQ(w->Settings().OutputFormat, c.outputFormat);
    ASSERT_NE(w->SelectedFormat(), nullptr);
    EXPECT_EQ(w->SelectedFormat()->id, c.outputFormat);

    // Choosing another row sets the option, and closing stores it.
    w->FormatList().SetSelection(3);
    wxCommandEvent chosen(wxEVT_CHOICE, kFormatListId);
    chosen.SetInt(3);
    chosen.SetEventObject(&w->FormatList());
    w->FormatList().ProcessWindowEvent(chosen);
    const int id = w->SelectedFormat()->id;
    EXPECT_EQ(w->Settings().OutputFormat, id);
    w->Close();
    Settle(3);
    EXPECT_FALSE(ref);
    int32_t saved = 0;
    EXPECT_TRUE(s.ReadNumber(kOptionsGroup, "OutputFormat", saved));
    EXPECT_EQ(saved, id);
  }
}

// A menu's entries as "<command> <text>", separators as "-".
std::vector<std::string> MenuEntries(const wxMenu& menu) {
  std::vector<std::string> entries;
  for (const wxMenuItem* item : menu.GetMenuItems()) {
    entries.push_back(item->IsSeparator() ? "-"
                                          : std::to_string(CommandOf(item->GetId())) + " " +
                                                item->GetItemLabel().utf8_string());
  }
  return entries;
}

TEST_F(MainWindowTest, PopupMenuEntriesAndTheirRules) {
  test::RecordingWindow& w = Open();
  {
    std::unique_ptr<wxMenu> menu(w.CreateListMenu());
    const std::vector<std::string> entries = MenuEntries(*menu);
    const std::vector<std::string> expected = {
        "32775 &Play Source",
        "32781 Play &Destination",
        "-",
        "32786 &Convert Selected",
        "32787 Convert All",
        "-",
        "32789 &Convert Selected to One",
        "32788 Convert All to One",
        "-",
        "32777 Browse &Source Folder",
        "32780 Browse Destination &Folder",
        "-",
        "32773 &Add Files...\tCtrl+O",
        "1024 Add F&older",
        "32772 &Remove\tDel",
        "1005 Remove Al&l",
    };
    EXPECT_EQ(entries, expected);
  }
  {
    std::unique_ptr<wxMenu> help(BuildHelpMenu());
    const std::vector<std::string> entries = MenuEntries(*help);
    const std::vector<std::string> expected = {
        "57670 &Help Topics\tF1",
        "-",
        "32782 &Tell A Friend",
        "32783 &Feedback and Support",
        "32784 Home&page",
        "32785 &Check Latest Version",
        "-",
        "1017 &About...",
    };
    EXPECT_EQ(entries, expected);
  }

  struct Case {
    const char* name;
    int rows;
    std::vector<int> selected;
    bool target;  // the first selected row has a target path
    std::set<int> enabled;
  };
  const std::set<int> always = {kCmdAddFiles, kCmdAddFolder};
  auto with = [&](std::set<int> more) {
    more.insert(always.begin(), always.end());
    return more;
  };
  const std::set<int> listed = {kCmdConvertAll, kCmdConvertAllToOne, kCmdRemoveAll};
  const std::set<int> anySelected = {kCmdConvertSelected, kCmdConvertSelectedToOne, kCmdRemove};
  auto join = [](std::set<int> a, const std::set<int>& b) {
    a.insert(b.begin(), b.end());
    return a;
  };
  const Case cases[] = {
      {"empty list", 0, {}, false, with({})},
      {"rows, none selected", 2, {}, false, with(listed)},
      {"one selected, no target",
       2,
       {1},
       false,
       with(join(join(listed, anySelected), {kCmdPlaySource, kCmdBrowseSource}))},
      {"one selected with a target",
       2,
       {1},
       true,
       with(join(join(listed, anySelected),
                 {kCmdPlaySource, kCmdBrowseSource, kCmdPlayDestination, kCmdBrowseDestination}))},
      {"two selected with targets", 2, {0, 1}, true, with(join(listed, anySelected))},
  };
  for (const Case& c : cases) {
    Command(w, kCmdRemoveAll);
    for (int i = 0; i < c.rows; ++i) {
      FileItem item = Item("f" + std::to_string(i));
      if (c.target) item.targetPath = "/out/f" + std::to_string(i) + ".mp3";
      AddItem(w, item);
    }
    for (const int row : c.selected) w.List().SelectRow(row);
    std::unique_ptr<wxMenu> menu(w.CreateListMenu());
    std::set<int> enabled;
    for (const wxMenuItem* item : menu->GetMenuItems()) {
      if (!item->IsSeparator() && item->IsEnabled()) enabled.insert(CommandOf(item->GetId()));
    }
    EXPECT_EQ(enabled, c.enabled) << c.name;
  }
}

TEST_F(MainWindowTest, PlayAndBrowseCommandsUseTheFirstSelectedRow) {
  test::RecordingWindow& w = Open();
  FileItem converted = Item("a.wav");
  converted.targetPath = "/out/a.mp3";
  AddItem(w, converted);
  AddItem(w, Item("b.wav"));

  for (const int id :
       {kCmdPlaySource, kCmdPlayDestination, kCmdBrowseSource, kCmdBrowseDestination}) {
    Command(w, id);  // nothing selected: nothing happens
  }
  EXPECT_TRUE(w.opened.empty());
  EXPECT_TRUE(w.shown.empty());

  w.List().SelectRow(1);
  Command(w, kCmdPlayDestination);  // no target: nothing
  Command(w, kCmdBrowseDestination);
  EXPECT_TRUE(w.opened.empty());
  EXPECT_TRUE(w.shown.empty());

  w.List().SelectRow(0);
  Command(w, kCmdPlaySource);
  Command(w, kCmdPlayDestination);
  Command(w, kCmdBrowseSource);
  Command(w, kCmdBrowseDestination);
  EXPECT_EQ(w.opened, (std::vector<std::string>{"/music/a.wav", "/out/a.mp3"}));
  EXPECT_EQ(w.shown, (std::vector<std::string>{"/music/a.wav", "/out/a.mp3"}));

  // A double click on a row plays it.
  w.opened.clear();
  wxListEvent activated(wxEVT_LIST_ITEM_ACTIVATED, kFileListId);
  activated.SetEventObject(&w.List());
  w.List().ProcessWindowEvent(activated);
  EXPECT_EQ(w.opened, std::vector<std::string>{"/music/a.wav"});
}

TEST_F(MainWindowTest, WebCommandsOpenOurAddresses) {
  test::RecordingWindow& w = Open();
  struct Case {
    int id;
    std::string opened;
  };
  const Case cases[] = {
      {kCmdTellAFriend, kTellAFriendMailto},
      {kCmdFeedback, kFeedbackUrl},
      {kCmdHomepage, kHomepageUrl},
      {kCmdLatestVersion, kLatestVersionUrl},
  };
  for (const Case& c : cases) {
    w.opened.clear();
    Command(w, c.id);
    EXPECT_EQ(w.opened, std::vector<std::string>{c.opened}) << c.id;
  }
  EXPECT_EQ(std::string(kTellAFriendMailto).rfind("mailto:", 0), 0u);
  // A click on the link label is the Homepage command.
  w.opened.clear();
  wxWindow* link = test::ControlOf(w, kCmdHomepage);
  test::Click(link);
  EXPECT_EQ(w.opened, std::vector<std::string>{kHomepageUrl});
}

TEST_F(MainWindowTest, AboutBoxNamesTheVersionAndTheLibraries) {
  test::RecordingWindow& w = Open();
  bool seen = false;
  wxTheApp->CallAfter([&] {
    for (wxWindow* top : wxTopLevelWindows) {
      auto* box = dynamic_cast<wxDialog*>(top);
      if (!box || box->GetTitle() != kAboutBoxTitle) continue;
      seen = true;
      std::string texts;
      for (wxWindow* child : box->GetChildren()) {
        if (auto* t = dynamic_cast<wxStaticText*>(child)) texts += t->GetLabel().utf8_string();
        if (auto* t = dynamic_cast<wxTextCtrl*>(child)) texts += t->GetValue().utf8_string();
      }
      EXPECT_NE(texts.find("Sondrel v3.2 build 969"), std::string::npos);
      for (const char* library : {"FFmpeg", "wxWidgets", "LGPL-2.1-or-later", "Apache-2.0"}) {
        EXPECT_NE(texts.find(library), std::string::npos) << library;
      }
      test::SaveScreenshot(box, "about_box");
      box->EndModal(wxID_OK);
    }
  });
  Command(w, kCmdAbout);
  EXPECT_TRUE(seen);
}

TEST_F(MainWindowTest, KeysEnterAndEscapeLeaveTheWindowOpen) {
  test::RecordingWindow& w = Open();
  wxWeakRef<wxWindow> ref(&w);
  AddItem(w, Item("a"));
  AddItem(w, Item("b"));
  w.Raise();
  w.List().SetFocus();
  Settle(10);
  wxUIActionSimulator keys;
  keys.Char(WXK_RETURN);
  keys.Char(WXK_ESCAPE);
  Settle(10);
  ASSERT_TRUE(ref);
  EXPECT_TRUE(w.IsShown());
  EXPECT_TRUE(w.opened.empty()) << "Enter does not play the current row";
  // Keys do arrive: Ctrl+A selects every row, Delete removes them.
  keys.Char('A', wxMOD_CONTROL);
  Settle(10);
  EXPECT_EQ(w.List().SelectedRows(), (std::vector<int>{0, 1}));
  keys.Char(WXK_DELETE);
  Settle(10);
  EXPECT_EQ(w.List().RowCount(), 0);
}

TEST_F(MainWindowTest, CloseSavesTheExitGroupOnly) {
  int helpOpened = 0;
  MemorySettingsStore fresh;
  {
    SCOPED_TRACE("the first start opens the help book");
    wxWeakRef<wxWindow> ref = test::OpenWindow(fresh, &helpOpened);
    EXPECT_EQ(helpOpened, 1);
    test::DestroyWindow(ref);
  }
  test::RecordingWindow& w = Open();
  store.writes.clear();
  wxWeakRef<wxWindow> ref(&w);
  {
    SCOPED_TRACE("a close request while a run works in the window is refused");
    w.SetBusy(true);
    w.Close();
    Settle(3);
    ASSERT_TRUE(ref);
    w.SetBusy(false);
  }
  // The Close button of the title bar.
  test::Click(test::ControlOf(w, kCmdClose));
  Settle(5);
  EXPECT_FALSE(ref);
  EXPECT_EQ(std::set<std::string>(store.writes.begin(), store.writes.end()),
            (std::set<std::string>{"Options/OutputFormat", "Options/OptStartPageIndex"}));
}

TEST_F(MainWindowTest, ConvertCommandsWriteTheOutputAndVolumeCells) {
  test::TempDir dir;
  test::EnsureAudioEngine();
  std::vector<std::string> paths;
  for (const char* name : {"c.wav", "a.wav", "b.wav"}) {
    paths.push_back(dir.File(name));
    ASSERT_TRUE(test::WriteSndfile16(paths.back(), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1,
                                     test::Tone16(1, 4000, 8000)));
  }
  store.WriteNumber(kOptionsGroup, "OutputFormat", kFormatFlac);
  test::RecordingWindow& w = Open();
  for (const std::string& path : paths) {
    ASSERT_GE(AddOneFile(w.Engine().opener, w.ListTarget(), path), 0);
  }
  ClickHeader(kColumnFile);  // a, b, c
  w.List().SelectRow(0);
  w.List().SelectRow(2);
  Command(w, kCmdConvertSelected);
  EXPECT_EQ(ColumnTexts(w, kColumnOutput), (std::vector<std::string>{"a.flac", "", "c.flac"}));
  EXPECT_EQ(ColumnTexts(w, kColumnVolume), (std::vector<std::string>{"100.00%", "", "100.00%"}));
  EXPECT_TRUE(std::filesystem::exists(dir.File("a.flac")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("b.flac")));
  EXPECT_TRUE(w.IsEnabled()) << "enabled again after the run";

  Command(w, kCmdConvertAll);
  EXPECT_EQ(ColumnTexts(w, kColumnOutput),
            (std::vector<std::string>{"a_1.flac", "b.flac", "c_1.flac"}));
  EXPECT_TRUE(w.messages.empty());
}

}  // namespace
}  // namespace sondrel
