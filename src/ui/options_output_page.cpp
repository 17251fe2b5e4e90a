// The Output page of the Options sheet: where output goes and what happens
// when the target exists.
#include "ui/options_pages.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <filesystem>

#include "decode/user_prompts.h"
#include "ui/message_box.h"
#include "ui/shell.h"

namespace sondrel {

namespace {

class COptOutputPage final : public SettingsPage {
  using SettingsPage::SettingsPage;

  ChoiceBox m_folderOption;
  ChoiceBox m_targetExists;
  wxTextCtrl* m_folder = nullptr;

  void Build(wxSizer* sizer) override {
    const int gap = Gap();
    ChoiceList folderChoices = OutputFolderChoices(m_s.DestOutputFolderOpt);
    m_s.DestOutputFolderOpt = folderChoices.SelectedData(kOutputSameAsSource);
    ChoiceList existsChoices = TargetExistsChoices(m_s.TargetExistsOpt);
    m_s.TargetExistsOpt = existsChoices.SelectedData(kTargetRename);

    auto* grid = new wxFlexGridSizer(2, gap, gap * 2);
    grid->AddGrowableCol(1);
    AddLabelled(grid, "&Output folder:",
                MakeChoice(m_folderOption, kIdFolderOption, std::move(folderChoices)));
    m_folder = new wxTextCtrl(this, kIdFolder);
    ShowText(m_folder, m_s.DestSpecifiedFolder);
    grid->Add(Label("&Specific folder:", m_folder), 0, wxALIGN_CENTER_VERTICAL);
    auto* folderRow = new wxBoxSizer(wxHORIZONTAL);
    folderRow->Add(m_folder, 1, wxALIGN_CENTER_VERTICAL);
    folderRow->Add(new wxButton(this, kIdBrowse, "&Browse"), 0, wxLEFT, gap);
    folderRow->Add(new wxButton(this, kIdOpen, "O&pen"), 0, wxLEFT, gap);
    grid->Add(folderRow, 0, wxEXPAND);
    sizer->Add(grid, 0, wxEXPAND | wxALL, gap);

    AddCheck(sizer, kIdCreateDirs, "&Keep original directory tree", m_s.CreateDirs != 0, wxALL,
             gap);
    sizer->Add(
        new wxStaticText(this, wxID_ANY,
                         "For example: source file \"/home/u/Music/pop/track01.mp3\", output "
                         "folder \"/home/u/Output\",\nthe output file goes to the folder "
                         "\"/home/u/Output/home/u/Music/pop/\""),
        0, wxLEFT | wxRIGHT | wxBOTTOM, gap * 5);

    auto* exists = new wxBoxSizer(wxHORIZONTAL);
    wxChoice* existsBox = MakeChoice(m_targetExists, kIdTargetExists, std::move(existsChoices));
    exists->Add(Label("&If target file exists ", existsBox), 0, wxALIGN_CENTER_VERTICAL);
    exists->Add(existsBox, 1, wxLEFT, gap);
    sizer->Add(exists, 0, wxEXPAND | wxALL, gap);

    AddCheck(sizer, kIdToDocuments, "O&utput files to \"My Documents\" if creating file failure",
             m_s.OutputFiles2MyDocuments != 0, wxALL, gap);
    AddCheck(sizer, kIdBrowseOutput, "Bro&wse output folder when conversion completes",
             m_s.BrowseOutputFolder != 0, wxALL, gap);
    UpdateEnabled();

    Bind(
        wxEVT_CHOICE, [this](wxCommandEvent&) { UpdateEnabled(); }, kIdFolderOption);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnBrowse(); }, kIdBrowse);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnOpen(); }, kIdOpen);
  }

  // Reads the controls into the settings; the problem of the folder choice.
  std::optional<PageProblem> Read() override {
    ReadFolder();
    std::optional<PageProblem> problem =
        CheckOutputPage(m_s.DestOutputFolderOpt, m_s.DestSpecifiedFolder);
    m_s.TargetExistsOpt = m_targetExists.Selected(kTargetRename);
    return problem;
  }

  void UpdateEnabled() override {
    const bool specific = m_folderOption.Selected(0) == kOutputSpecificFolder;
    for (int id : {kIdFolder, kIdBrowse, kIdOpen, kIdCreateDirs}) FindWindow(id)->Enable(specific);
  }

  // Reads every control but the target-exists choice.
  void ReadFolder() {
    m_s.DestOutputFolderOpt = m_folderOption.Selected(kOutputSameAsSource);
    ReadText(m_folder, m_s.DestSpecifiedFolder);
    m_s.CreateDirs = Checked(kIdCreateDirs);
    m_s.OutputFiles2MyDocuments = Checked(kIdToDocuments);
    m_s.BrowseOutputFolder = Checked(kIdBrowseOutput);
  }

  void OnBrowse() {
    ReadFolder();
    std::string chosen;
    if (BrowseForFolder(this, "Please choose an output folder:", m_s.DestSpecifiedFolder, chosen)) {
      m_s.DestSpecifiedFolder = chosen;
      m_folder->ChangeValue(wxString::FromUTF8(chosen));
    }
  }

  void OnOpen() {
    ReadFolder();
    std::error_code error;
    const std::string& folder = m_s.DestSpecifiedFolder;
    if (!folder.empty() && std::filesystem::is_directory(folder, error)) {
      OpenDocument(folder);
      return;
    }
    ShowMessageBox("The folder \"" + folder +
                       "\" doesn't exist yet.\n\nNote: the program will create the folder "
                       "automatically when converting files.",
                   MessageIcon::Exclamation, this);
  }
};

}  // namespace

OptionsPage* CreateOutputPage(wxWindow* parent, ConvertSettings& settings) {
  return new COptOutputPage(parent, "Output", settings);
}

}  // namespace sondrel
