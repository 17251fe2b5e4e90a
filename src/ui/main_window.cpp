// The main window: start-up in the documented order, its controls at their
// fixed places, the commands, and closing.
#include "ui/main_window.h"

#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/dnd.h>
#include <wx/menu.h>
#include <wx/tooltip.h>

#include <memory>

#include "engine/messages.h"
#include "platform/product.h"
#include "ui/about_box.h"
#include "ui/app_icon.h"
#include "ui/dialog_font.h"
#include "ui/file_list_ctrl.h"
#include "ui/help.h"
#include "ui/open_files_dialog.h"
#include "ui/options_sheet.h"
#include "ui/shell.h"
#include "ui/skin_controls.h"
#include "ui/window_background.h"

namespace sondrel {

namespace {

constexpr int kWindowWidth = 950;
constexpr int kWindowHeight = 650;
// OutputFormat when no entry of the format list is selected.
constexpr int kNoFormatSelected = 1000;

struct ButtonSpec {
  int id;
  const char* label;
  wxRect rect;
  const char* tip;
  bool primary;
};

// The command buttons at their places, with their tool tips.
const ButtonSpec kButtons[] = {
    {kCmdAddFiles, "&Add Files", {11, 72, 107, 27}, "Add files", false},
    {kCmdAddFolder, "Add &Folder", {11, 119, 107, 27}, "Add files from a folder", false},
    {kCmdRemoveAll, "&Remove All", {11, 166, 107, 27}, "Remove all files in list", false},
    {kCmdConvertAll, "&Convert", {11, 213, 107, 27}, "Convert all files", true},
    {kCmdConvertAllToOne,
     "Co&nvert to One",
     {11, 297, 107, 27},
     "Convert all files into a single one file",
     true},
    {kCmdOptions, "&Options", {11, 345, 107, 27}, "Options", false},
};

struct TitleButtonSpec {
  int id;
  TitleButton::Glyph glyph;
  wxRect rect;
  const char* tip;
};

const TitleButtonSpec kTitleButtons[] = {
    {kCmdHelpButton, TitleButton::Glyph::Help, {867, 11, 21, 21}, "Help"},
    {kCmdMinimize, TitleButton::Glyph::Minimize, {893, 11, 21, 21}, "Minimize"},
    {kCmdClose, TitleButton::Glyph::Close, {918, 11, 21, 21}, "Close"},
};

const wxRect kFormatListRect(11, 258, 102, 400);
const wxRect kLinkLabelRect(9, 618, 113, 20);
const wxRect kFileListRect(137, 63, 803, 575);

constexpr const char* kChooseFolderPrompt = "Please choose a folder:";

// Files and folders dropped on the window. The batch is added after the
// drop has finished, so that the program the files came from is not kept
// waiting while they are probed.
class FileDrop : public wxFileDropTarget {
 public:
  explicit FileDrop(MainWindow& window) : m_window(window) {}

  bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& names) override {
    std::vector<std::string> paths;
    paths.reserve(names.size());
    // In the file system's own bytes, which need not be UTF-8.
    for (const wxString& name : names) paths.emplace_back(name.fn_str().data());
    m_window.CallAfter(
        [&window = m_window, paths = std::move(paths)] { window.AddDroppedFiles(paths); });
    return true;
  }

 private:
  MainWindow& m_window;
};

}  // namespace

MainWindow::MainWindow(SettingsStore& store, MainWindowSetup setup)
    : wxFrame(nullptr, wxID_ANY, kProductName, wxDefaultPosition,
              wxSize(kWindowWidth, kWindowHeight),
              wxBORDER_NONE | wxMINIMIZE_BOX | wxSYSTEM_MENU | wxCLIP_CHILDREN),
      WxFrontend(this),
      m_store(store),
      m_settings(ConvertSettings::ForCurrentUser()),
      m_engine(*this),
      m_target{m_listed, [this](FileItem item) { return AddFileRow(std::move(item)); }} {
  BuildCatalogue(m_catalogue);
  m_engine.loadDefaultSoundfont = std::move(setup.loadDefaultSoundfont);
  // 1. The default MIDI soundfont; a missing one is the run's concern.
  if (m_engine.soundFont == 0 && m_engine.loadDefaultSoundfont) {
    m_engine.soundFont = m_engine.loadDefaultSoundfont();
  }
  // 2. The options.
  LoadSettings(m_store, m_settings, m_catalogue);
  ParseFilterExtensions(m_settings);
  // 3. Icons, caption, keys.
  SetIcons(ProgramIcons());
  SetTitle(kProductName);
  SetAcceleratorTable(MainAccelerators());
  // 4. to 7. Size, controls, columns, fonts, tool tips.
  SetSize(kWindowWidth, kWindowHeight);
  CreateControls();
  Centre(wxBOTH);
  // 8. The format list.
  FillFormatList();
  BindCommands();
  // 9. Files may be dropped from now on.
  SetDropTarget(new FileDrop(*this));
  // 10. The help book on the very first start.
  CheckFirstRun(m_store, setup.openHelpOnFirstRun);
}

MainWindow::~MainWindow() {
  // Closing: the help viewer, the items and their index, then the exit
  // group of the options.
  CloseHelp();
  m_list->RemoveAllRows();
  m_listed.Clear();
  SaveSettings(m_store, kSaveExit, m_settings, m_catalogue);
}

void MainWindow::CreateControls() {
  auto* surface = new WindowBackground(this);
  surface->SetSize(GetClientSize());
  const wxFont buttonFont = DialogFont().Bold();

  wxToolTip::Enable(true);
  wxToolTip::SetDelay(300);

  for (const ButtonSpec& spec : kButtons) {
    auto* button = new SkinButton(surface, spec.id, spec.label, spec.rect, spec.primary);
    button->SetFont(buttonFont);
    button->SetToolTip(spec.tip);
  }

  m_formats = new wxChoice(surface, kFormatListId, kFormatListRect.GetPosition(),
                           wxSize(kFormatListRect.GetWidth(), -1));
  m_formats->SetFont(DialogFont());
  m_formats->SetToolTip("Output format");

  auto* link = new LinkLabel(surface, kCmdHomepage, kHomepageLabel, kLinkLabelRect);
  link->SetFont(DialogFont().Bold().Underlined());
  link->SetToolTip(wxString::Format("Visit %s Homepage", kProductName));

  for (const TitleButtonSpec& spec : kTitleButtons) {
    auto* button = new TitleButton(surface, spec.id, spec.glyph, spec.rect);
    button->SetToolTip(spec.tip);
    if (spec.id == kCmdHelpButton) m_helpButton = button;
  }

  m_list =
      new FileListCtrl(surface, kFileListId, kFileListRect.GetPosition(), kFileListRect.GetSize());
  m_list->SetFont(DialogFont());
}

void MainWindow::FillFormatList() {
  for (const FormatRow& row : m_catalogue) m_formats->Append(wxString::FromUTF8(FormatLabel(row)));
  const int index = FormatRowIndex(m_catalogue, m_settings.OutputFormat);
  if (index >= 0) {
    m_formats->SetSelection(index);
  } else if (!m_catalogue.empty()) {
    // A stored format that names no row: the first row, remembered.
    m_formats->SetSelection(0);
    m_settings.OutputFormat = m_catalogue.front().id;
  }
}

void MainWindow::BindCommands() {
  Bind(wxEVT_BUTTON, &MainWindow::OnCommand, this);
  Bind(wxEVT_MENU, &MainWindow::OnCommand, this);
  Bind(wxEVT_CHOICE, &MainWindow::OnFormatChosen, this, kFormatListId);
  m_list->Bind(wxEVT_CONTEXT_MENU, &MainWindow::OnContextMenu, this);
  m_list->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent&) {
    wxCommandEvent play(wxEVT_MENU, WxId(kCmdPlaySource));
    OnCommand(play);
  });
  Bind(wxEVT_CHAR_HOOK, &MainWindow::OnCharHook, this);
  Bind(wxEVT_CLOSE_WINDOW, &MainWindow::OnClose, this);
}

int MainWindow::AddFileRow(FileItem item) { return m_list->AddRow(std::move(item)); }

const FormatRow* MainWindow::SelectedFormat() const {
  const int index = m_formats->GetSelection();
  if (index < 0 || index >= static_cast<int>(m_catalogue.size())) return nullptr;
  return &m_catalogue[static_cast<size_t>(index)];
}

ListMenuState MainWindow::MenuState() const {
  ListMenuState state;
  state.rowCount = m_list->RowCount();
  state.selectedCount = static_cast<int>(m_list->SelectedRows().size());
  const FileItem* first = FirstSelected();
  state.firstSelectedHasTarget = first && !first->targetPath.empty();
  return state;
}

FileItem* MainWindow::FirstSelected() const {
  const int row = m_list->NextSelected(-1);
  return row < 0 ? nullptr : m_list->ItemAt(row);
}

std::string MainWindow::FirstSelectedPath(bool target) const {
  const FileItem* item = FirstSelected();
  if (!item) return {};
  return target ? item->targetPath : item->sourcePath;
}

void MainWindow::SetRowText(int row, ListColumn column, const std::string& text) {
  m_list->SetCellText(row, column == ListColumn::Output ? kColumnOutput : kColumnVolume, text);
}

void MainWindow::EnsureRowVisible(int row) {
  if (row >= 0 && row < m_list->RowCount()) m_list->EnsureVisible(row);
}

int MainWindow::OutputColumnWidth() { return m_list->GetColumnWidth(kColumnOutput); }

void MainWindow::SetOutputColumnWidth(int pixels) { m_list->SetColumnWidth(kColumnOutput, pixels); }

void MainWindow::OnCommand(wxCommandEvent& event) {
  const int command = CommandOf(event.GetId());
  switch (command) {
    case kCmdAddFiles:
      AddFiles();
      break;
    case kCmdAddFolder:
      AddFolder();
      break;
    case kCmdOptions:
      ShowOptions(this, m_settings, m_catalogue, m_store, WmaFormatsOf(m_engine, m_catalogue));
      break;
    case kCmdRemoveAll:
      RemoveAll();
      break;
    case kCmdRemove:
      RemoveSelected();
      break;
    case kCmdConvertAll:
      Convert(ItemSelection::All, RunOutput::FilePerItem);
      break;
    case kCmdConvertAllToOne:
      Convert(ItemSelection::All, RunOutput::OneFile);
      break;
    case kCmdConvertSelected:
      Convert(ItemSelection::Selected, RunOutput::FilePerItem);
      break;
    case kCmdConvertSelectedToOne:
      Convert(ItemSelection::Selected, RunOutput::OneFile);
      break;
    case kCmdPlaySource:
    case kCmdPlayDestination:
      if (const std::string path = FirstSelectedPath(command == kCmdPlayDestination);
          !path.empty()) {
        OpenDocument(path);
      }
      break;
    case kCmdBrowseSource:
    case kCmdBrowseDestination:
      if (const std::string path = FirstSelectedPath(command == kCmdBrowseDestination);
          !path.empty()) {
        ShowInFolder(path);
      }
      break;
    case kCmdSelectAll:
      m_list->SelectAllRows();
      m_list->SetFocus();
      break;
    case kCmdHelpButton:
      ShowHelpMenu();
      break;
    case kCmdMinimize:
      Iconize(true);
      break;
    case kCmdClose:
      Close();
      break;
    case kCmdHelpTopics:
      ShowHelp();
      break;
    case kCmdAbout:
      ShowAbout();
      break;
    case kCmdTellAFriend:
      OpenDocument(kTellAFriendMailto);
      break;
    case kCmdFeedback:
      OpenDocument(kFeedbackUrl);
      break;
    case kCmdHomepage:
      OpenDocument(kHomepageUrl);
      break;
    case kCmdLatestVersion:
      OpenDocument(kLatestVersionUrl);
      break;
    default:
      event.Skip();
  }
}

void MainWindow::OnFormatChosen(wxCommandEvent&) {
  const FormatRow* format = SelectedFormat();
  m_settings.OutputFormat = format ? format->id : kNoFormatSelected;
}

void MainWindow::OnContextMenu(wxContextMenuEvent& event) {
  // From the keyboard there is no position: the middle of the list.
  wxPoint at = event.GetPosition();
  if (at == wxDefaultPosition) {
    at = m_list->GetScreenRect().GetPosition() + m_list->GetSize() / 2;
  }
  std::unique_ptr<wxMenu> menu(CreateListMenu());
  PopupMenu(menu.get(), ScreenToClient(at));
}

void MainWindow::OnCharHook(wxKeyEvent& event) {
  // Enter and Escape do nothing here: the window closes only when asked to.
  switch (event.GetKeyCode()) {
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
    case WXK_ESCAPE:
      return;
    default:
      event.Skip();
  }
}

void MainWindow::OnClose(wxCloseEvent& event) {
  // A run or a batch being added works inside this window's objects.
  if (m_busyDepth > 0 && event.CanVeto()) {
    event.Veto();
    return;
  }
  Destroy();
}

void MainWindow::Convert(ItemSelection selection, RunOutput output) {
  StartConversion(m_engine, m_settings, SelectedFormat(), *m_list, selection, output);
}

void MainWindow::RemoveSelected() {
  const std::vector<int> rows = m_list->SelectedRows();
  if (rows.empty()) {
    ShowMessage(kNoSelectionMessage, MessageIcon::Information);
    return;
  }
  for (const std::unique_ptr<FileItem>& item : m_list->RemoveRows(rows)) {
    m_listed.Erase(item->sourcePath);
  }
}

void MainWindow::RemoveAll() {
  if (m_list->RowCount() == 0) return;
  m_list->RemoveAllRows();
  m_listed.Clear();
}

void MainWindow::AddFiles() {
  const FileChoice choice = ChooseFilesToAdd(this);
  if (choice.errorCode != 0) {
    ShowMessage(ChooseFilesFailedMessage(choice.errorCode), MessageIcon::Exclamation);
    return;
  }
  if (choice.paths.empty()) return;
  PumpMessages();
  AddPaths(m_engine, m_target, choice.paths);
}

void MainWindow::AddFolder() {
  std::string folder;
  if (!BrowseForFolder(this, kChooseFolderPrompt, m_settings.Folder, folder)) return;
  m_settings.Folder = folder;
  SaveSettings(m_store, kSaveFolder, m_settings, m_catalogue);
  AddFolderPath(folder);
}

void MainWindow::AddFolderPath(const std::string& folder) {
  sondrel::AddFolderPath(m_engine, m_target, SearchFilters::From(m_settings), folder);
}

void MainWindow::AddDroppedFiles(const std::vector<std::string>& paths) {
  // A drop while a batch or a run works in this window waits for no one:
  // the window refuses it, like any other input while it is disabled.
  if (m_busyDepth > 0) return;
  AddDroppedPaths(m_engine, m_target, SearchFilters::From(m_settings), paths);
}

void MainWindow::AddCommandLinePaths(std::vector<std::string> paths) {
  if (paths.empty()) return;
  CallAfter([this, paths = std::move(paths)] { AddDroppedFiles(paths); });
}

void MainWindow::ShowHelpMenu() {
  std::unique_ptr<wxMenu> menu(BuildHelpMenu());
  const wxRect button = m_helpButton->GetRect();
  PopupMenu(menu.get(), button.GetBottomLeft() + wxPoint(0, 1));
}

void MainWindow::ShowAbout() {
  wxDialog* box = CreateAboutBox(this);
  box->ShowModal();
  box->Destroy();
}

}  // namespace sondrel
