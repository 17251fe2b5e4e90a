#include "ui/help.h"

#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/frame.h>
#include <wx/fs_arc.h>
#include <wx/html/helpfrm.h>
#include <wx/html/helpwnd.h>
#include <wx/html/htmlwin.h>
#include <wx/sstream.h>
#include <wx/toplevel.h>

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "decode/audio_engine.h"
#include "decode/source_opener.h"
#include "decode/messages.h"
#include "engine/messages.h"
#include "fake_window_manager.h"
#include "screenshot.h"
#include "settle.h"
#include "support/temp_dir.h"
#include "ui/message_box.h"

namespace sondrel {
namespace {

using test::Settle;
using test::SettleUntil;

// The open help viewers: top-level windows with the viewer's title.
std::vector<wxTopLevelWindow*> Viewers() {
  std::vector<wxTopLevelWindow*> viewers;
  for (wxWindow* w : wxTopLevelWindows) {
    auto* top = dynamic_cast<wxTopLevelWindow*>(w);
    if (top && !top->IsBeingDeleted() && top->GetTitle() == kHelpWindowTitle) {
      viewers.push_back(top);
    }
  }
  return viewers;
}

// Records message boxes instead of showing them.
class MessageRecorder {
 public:
  MessageRecorder() {
    m_previous = SetMessageBoxHandler([this](const std::string& text, MessageIcon icon) {
      messages.emplace_back(text, icon);
      return true;
    });
  }
  ~MessageRecorder() { SetMessageBoxHandler(std::move(m_previous)); }
  std::vector<std::pair<std::string, MessageIcon>> messages;

 private:
  MessageBoxHandler m_previous;
};

// The text of one file of the book.
std::string ReadBookFile(wxFileSystem& fs, const std::string& name) {
  if (!wxFileSystem::HasHandlerForPath("x.htb#zip:y")) {
    wxFileSystem::AddHandler(new wxArchiveFSHandler);
  }
  const wxString url = wxFileSystem::FileNameToURL(wxFileName(SONDREL_HELP_BOOK)) + "#zip:" + name;
  std::unique_ptr<wxFSFile> file(fs.OpenFile(url));
  if (!file) return std::string();
  wxStringOutputStream out;
  file->GetStream()->Read(out);
  return out.GetString().utf8_string();
}

std::vector<std::string> Matches(const std::string& text, const std::regex& pattern) {
  std::vector<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
       it != std::sregex_iterator(); ++it) {
    found.push_back((*it)[1]);
  }
  return found;
}

// The pages the book's project lists.
std::set<std::string> BookPages(wxFileSystem& fs) {
  const std::string project = ReadBookFile(fs, "sondrel.hhp");
  const size_t files = project.find("[FILES]");
  if (files == std::string::npos) return {};
  const auto list = Matches(project.substr(files), std::regex("\\n([a-z0-9_]+\\.html)"));
  return std::set<std::string>(list.begin(), list.end());
}

// A page's text as a reader sees it: tags dropped, entities decoded, blanks
// and line breaks as single blanks.
std::string VisibleText(const std::string& page) {
  std::string text = std::regex_replace(page, std::regex("<[^>]*>"), "");
  for (const auto& [entity, plain] : {std::pair{"&gt;", ">"}, {"&lt;", "<"}, {"&amp;", "&"}}) {
    text = std::regex_replace(text, std::regex(entity), plain);
  }
  return std::regex_replace(text, std::regex("\\s+"), " ");
}

class Help : public testing::Test {
 protected:
  void TearDown() override {
    CloseHelp();
    Settle(5);
    EXPECT_TRUE(Viewers().empty()) << "CloseHelp closes the viewer";
  }
};

TEST_F(Help, ASecondShowHelpRaisesTheOneViewer) {
  ShowHelpBook(SONDREL_HELP_BOOK);
  ASSERT_TRUE(SettleUntil([] { return Viewers().size() == 1; }));
  wxFrame* viewer = HelpWindow();
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(viewer->GetTitle(), "Sondrel Help");
  // The book opened at its first page, and the title stays fixed.
  auto* frame = dynamic_cast<wxHtmlHelpFrame*>(viewer);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->GetHelpWindow()->GetHtmlWindow()->GetOpenedPageTitle(), "Welcome to Sondrel");

  ShowHelpBook(SONDREL_HELP_BOOK);
  Settle(5);
  EXPECT_EQ(Viewers(), std::vector<wxTopLevelWindow*>{viewer});
  EXPECT_EQ(HelpWindow(), viewer);

  // Closed by the user, a new one opens the next time.
  viewer->Close();
  ASSERT_TRUE(SettleUntil([] { return Viewers().empty(); }));
  ShowHelpBook(SONDREL_HELP_BOOK);
  EXPECT_TRUE(SettleUntil([] { return Viewers().size() == 1; }));
}

TEST_F(Help, EveryPageOpensInTheViewer) {
  ShowHelpBook(SONDREL_HELP_BOOK);
  ASSERT_TRUE(SettleUntil([] { return Viewers().size() == 1; }));
  auto* frame = dynamic_cast<wxHtmlHelpFrame*>(HelpWindow());
  ASSERT_NE(frame, nullptr);
  wxFileSystem fs;
  const std::set<std::string> pages = BookPages(fs);
  ASSERT_GE(pages.size(), 35u);
  const std::regex title("<title>([^<]+)</title>");
  for (const std::string& page : pages) {
    ASSERT_TRUE(frame->GetHelpWindow()->Display(wxString::FromUTF8(page))) << page;
    const std::vector<std::string> titles = Matches(ReadBookFile(fs, page), title);
    ASSERT_EQ(titles.size(), 1u) << page;
    EXPECT_EQ(frame->GetHelpWindow()->GetHtmlWindow()->GetOpenedPageTitle().utf8_string(),
              titles[0])
        << page;
    EXPECT_EQ(frame->GetTitle(), "Sondrel Help") << page;
    test::SaveScreenshot(frame, "help_" + page.substr(0, page.size() - 5));
  }
}

TEST_F(Help, ShowHelpRestoresAMinimisedViewer) {
  ShowHelpBook(SONDREL_HELP_BOOK);
  ASSERT_TRUE(SettleUntil([] { return Viewers().size() == 1; }));
  wxFrame* viewer = HelpWindow();
  ASSERT_TRUE(SettleUntil([&] { return viewer->IsShownOnScreen(); }));
  ASSERT_TRUE(test::MinimiseLikeAWindowManager("Sondrel Help"));
  ASSERT_TRUE(SettleUntil([&] { return viewer->IsIconized(); }));

  ShowHelpBook(SONDREL_HELP_BOOK);
  EXPECT_TRUE(SettleUntil([&] { return !viewer->IsIconized(); }));
  EXPECT_TRUE(viewer->IsShown());
  EXPECT_EQ(Viewers(), std::vector<wxTopLevelWindow*>{viewer});
}

TEST_F(Help, AMissingOrDamagedBookShowsAMessage) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("damaged.htb"), "not a zip file");
  for (const std::string& book : {dir.File("missing.htb"), dir.File("damaged.htb"), dir.File("")}) {
    MessageRecorder recorder;
    ShowHelpBook(book);
    Settle(5);
    ASSERT_EQ(recorder.messages.size(), 1u) << book;
    EXPECT_NE(recorder.messages[0].first.find(book), std::string::npos) << book;
    EXPECT_EQ(recorder.messages[0].second, MessageIcon::Exclamation) << book;
    EXPECT_TRUE(Viewers().empty()) << book;
  }
}

TEST(HelpBook, EveryPageLinkAndFailureTextIsThere) {
  wxFileSystem fs;
  ASSERT_NE(ReadBookFile(fs, "sondrel.hhp").find("Title=Sondrel Help"), std::string::npos);
  const std::set<std::string> pages = BookPages(fs);
  // One page per command of the main window and per page of the Options.
  for (const char* page : {"index.html",
                           "main_window.html",
                           "cmd_add_files.html",
                           "cmd_add_folder.html",
                           "cmd_remove.html",
                           "cmd_remove_all.html",
                           "cmd_options.html",
                           "cmd_convert.html",
                           "cmd_convert_selected.html",
                           "cmd_convert_to_one.html",
                           "cmd_convert_selected_to_one.html",
                           "cmd_play_source.html",
                           "cmd_play_destination.html",
                           "cmd_browse_source.html",
                           "cmd_browse_destination.html",
                           "cmd_help_topics.html",
                           "cmd_tell_a_friend.html",
                           "cmd_feedback.html",
                           "cmd_homepage.html",
                           "cmd_check_version.html",
                           "cmd_about.html",
                           "opt_general.html",
                           "opt_output.html",
                           "opt_id3.html",
                           "opt_audio.html",
                           "opt_amr.html",
                           "opt_awb.html",
                           "opt_wma.html",
                           "formats.html",
                           "sources.html",
                           "merging.html",
                           "tags.html",
                           "naming.html",
                           "command_line.html",
                           "troubleshooting.html"}) {
    EXPECT_TRUE(pages.count(page)) << page << " is not in the book";
  }
  const std::regex local("value=\"([^\"]+\\.html)\"");
  for (const char* list : {"contents.hhc", "index.hhk"}) {
    const std::string text = ReadBookFile(fs, list);
    ASSERT_FALSE(text.empty()) << list;
    for (const std::string& target : Matches(text, local)) {
      EXPECT_TRUE(pages.count(target)) << list << " names the missing page " << target;
    }
  }
  for (const std::string& page : pages) {
    const std::string text = ReadBookFile(fs, page);
    ASSERT_FALSE(text.empty()) << page;
    EXPECT_FALSE(Matches(text, std::regex("<title>([^<]+)</title>")).empty()) << page;
    EXPECT_EQ(text.find("<script"), std::string::npos) << page;
    EXPECT_EQ(text.find("src=\"http"), std::string::npos) << page;
    for (const std::string& href : Matches(text, std::regex("href=\"([^\"#]+)"))) {
      EXPECT_TRUE(pages.count(href)) << page << " links to the missing page " << href;
    }
  }
  // Every text a run can leave in the Output column, and the messages of
  // the commands, are explained.
  const std::string troubleshooting = VisibleText(ReadBookFile(fs, "troubleshooting.html"));
  for (const std::string& failure : {std::string("Conversion Failure"),
                                     std::string("No audio in the file"),
                                     std::string("Cancelled"),
                                     std::string(kTargetSkippedText),
                                     std::string(kTargetIsSourceText),
                                     std::string("Failed to create folder \""),
                                     std::string("Failed to create file \""),
                                     std::string(kSoundfontMissingStatus),
                                     std::string(kSkipTooLongNote),
                                     std::string(kWriteFailedNote),
                                     std::string(kSourceMissingNote),
                                     std::string(kCdTrackNote),
                                     SupportNote(),
                                     std::string(kNoSelectionMessage),
                                     std::string(kEmptyListMessage),
                                     std::string(kEngineInitFailedMessage),
                                     std::string("Failed to load the following files."),
                                     std::string("Preprocessing..."),
                                     std::string("Normalizing..."),
                                     std::string("Converting...")}) {
    EXPECT_NE(troubleshooting.find(failure), std::string::npos) << failure;
  }
}

}  // namespace
}  // namespace sondrel
