#include "ui/shell.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/fontenum.h>
#include <wx/panel.h>
#include <wx/settings.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/session_bus.h"
#include "ui/dialog_font.h"
#include "ui/wx_frontend.h"

namespace sondrel {
namespace {

TEST(BrowseForFolder, StartsWithoutTheSlashAndAnswersWithOne) {
  const struct {
    const char* name;
    std::string start;
    std::optional<std::string> answer;  // none: Cancel
    std::string shownStart;
    bool confirmed;
    std::string result;
  } cases[] = {
      {"trailing slash removed for the dialog", "/home/u/Music/", "/home/u/Music/pop",
       "/home/u/Music", true, "/home/u/Music/pop/"},
      {"answer keeps its slash", "/data", "/data/out/", "/data", true, "/data/out/"},
      {"the root folder", "/", "/", "/", true, "/"},
      {"empty start", "", "/tmp", "", true, "/tmp/"},
      {"cancel leaves the result", "/home/u/", std::nullopt, "/home/u", false, "unchanged"},
      {"an empty choice counts as cancel", "/home/u", "", "/home/u", false, "unchanged"},
  };
  for (const auto& c : cases) {
    std::vector<std::pair<std::string, std::string>> asked;
    FolderDialogHandler previous =
        SetFolderDialogHandler([&](const std::string& prompt, const std::string& start) {
          asked.emplace_back(prompt, start);
          return c.answer;
        });
    std::string result = "unchanged";
    EXPECT_EQ(BrowseForFolder(nullptr, "Please choose an output folder:", c.start, result),
              c.confirmed)
        << c.name;
    EXPECT_EQ(result, c.result) << c.name;
    const std::vector<std::pair<std::string, std::string>> expected{
        {"Please choose an output folder:", c.shownStart}};
    EXPECT_EQ(asked, expected) << c.name;
    SetFolderDialogHandler(std::move(previous));
  }
}

TEST(DialogFont, ElevenPixelsOnTheWindowAndItsDirectChildren) {
  auto* dialog = new wxDialog(nullptr, wxID_ANY, "Fonts");
  auto* panel = new wxPanel(dialog);
  auto* button = new wxButton(dialog, wxID_OK, "OK");
  button->SetFont(button->GetFont().Bold());  // a child's own font is replaced too
  SetDialogFont(dialog);

  const wxString face = wxFontEnumerator::IsValidFacename("Tahoma")
                            ? wxString("Tahoma")
                            : wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).GetFaceName();
  for (wxWindow* w : std::vector<wxWindow*>{dialog, panel, button}) {
    const wxFont font = w->GetFont();
    EXPECT_EQ(font.GetFaceName(), face) << w->GetLabel();
    EXPECT_EQ(font.GetWeight(), wxFONTWEIGHT_NORMAL) << w->GetLabel();
    // 11 pixels at the virtual display's 96 dpi.
    EXPECT_NEAR(font.GetFractionalPointSize(), 8.25, 0.01) << w->GetLabel();
  }
  dialog->Destroy();
}

TEST(WxFrontendShell, ShowInFolderSelectsTheFileOverTheSessionBus) {
  test::PrivateSessionBus bus;
  ASSERT_FALSE(bus.Address().empty());
  test::FakeFileManager fileManager(bus.Address());
  ASSERT_TRUE(fileManager.Ready());
  WxFrontend frontend;
  frontend.ShowInFolder("/music/it's a \"test\" #1 100%\n\xff.mp3");
  const std::vector<std::vector<std::string>> expected{
      {"file:///music/it's%20a%20%22test%22%20%231%20100%25%0A%FF.mp3"}};
  EXPECT_EQ(fileManager.Calls(), expected);
}

}  // namespace
}  // namespace sondrel
