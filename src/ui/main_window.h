// The program's main window: a caption-less 950 x 650 window with the file
// list, the command buttons, the output-format list and the title-bar
// buttons, drawn by the program. It owns the options, the catalogue, the
// listed items with their duplicate index and the engine's state, and it is
// the engine's seam for the runs (row texts, progress windows, questions,
// the shell). User-interface thread only.
#pragma once

#include <wx/frame.h>

#include <functional>
#include <memory>
#include <vector>

#include "encode/format_catalogue.h"
#include "engine/add_files.h"
#include "engine/conversion_run.h"
#include "engine/engine_state.h"
#include "engine/settings.h"
#include "ui/main_menus.h"
#include "ui/wx_frontend.h"

class wxChoice;
class wxMenu;

namespace sondrel {

class FileListCtrl;
class SettingsStore;

// What start-up hands the window besides the store.
struct MainWindowSetup {
  // Opens the help book on the very first start.
  std::function<void()> openHelpOnFirstRun;
  // Installs the default MIDI soundfont; returns the engine's `soundFont`
  // value (0: none). Null installs none.
  std::function<int()> loadDefaultSoundfont;
};

class MainWindow : public wxFrame, public WxFrontend {
 public:
  // Initialises the window (soundfont, options from `store`, controls,
  // format list, the first-start help) and leaves it hidden. `store` must
  // outlive the window; the exit group is saved to it when it is destroyed.
  MainWindow(SettingsStore& store, MainWindowSetup setup);
  ~MainWindow() override;

  // The row-adding function of the adding code (AddTarget::addRow): appends
  // a row for `item` and returns its index. The caller keeps the duplicate
  // index (AddOneFile does).
  int AddFileRow(FileItem item);
  // Where the adding code puts a batch: the duplicate index and AddFileRow.
  AddTarget& ListTarget() { return m_target; }

  // The adding commands. Each shows the adding window and reports the files
  // that failed in one message at the end; the window is disabled meanwhile.
  // Add Files: the Open dialog.
  void AddFiles();
  // Add Folder: the folder browser, starting at the last folder chosen
  // (stored at once), then AddFolderPath.
  void AddFolder();
  // Every accepted file below `folder`.
  void AddFolderPath(const std::string& folder);
  // Dropped files and folders: folders searched, every file filtered.
  void AddDroppedFiles(const std::vector<std::string>& paths);
  // Paths named on the command line: added like a drop once the events that
  // are waiting now (the window's first showing) have been handled.
  void AddCommandLinePaths(std::vector<std::string> paths);

  FileListCtrl& List() { return *m_list; }
  wxChoice& FormatList() { return *m_formats; }
  const ConvertSettings& Settings() const { return m_settings; }
  EngineState& Engine() { return m_engine; }
  const DuplicateIndex& Listed() const { return m_listed; }
  // The catalogue row chosen in the format list; null when none is.
  const FormatRow* SelectedFormat() const;

  // What the popup menu's enabling rules see now, and the menu they give.
  ListMenuState MenuState() const;
  wxMenu* CreateListMenu() const { return BuildListMenu(MenuState()); }

  // The seam: the list's cells and width.
  void SetRowText(int row, ListColumn column, const std::string& text) override;
  void EnsureRowVisible(int row) override;
  int OutputColumnWidth() override;
  void SetOutputColumnWidth(int pixels) override;

 private:
  void CreateControls();
  void FillFormatList();
  void BindCommands();

  void OnCommand(wxCommandEvent& event);
  void OnFormatChosen(wxCommandEvent& event);
  void OnContextMenu(wxContextMenuEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void OnClose(wxCloseEvent& event);

  void Convert(ItemSelection selection, RunOutput output);
  void RemoveSelected();
  void RemoveAll();
  // The first selected row's item; null when no row is selected.
  FileItem* FirstSelected() const;
  // Its source path, or its target path (empty until converted); empty
  // when no row is selected.
  std::string FirstSelectedPath(bool target) const;
  void ShowHelpMenu();
  void ShowAbout();

  SettingsStore& m_store;
  ConvertSettings m_settings;
  std::vector<FormatRow> m_catalogue;
  EngineState m_engine;
  DuplicateIndex m_listed;
  AddTarget m_target;

  FileListCtrl* m_list = nullptr;
  wxChoice* m_formats = nullptr;
  wxWindow* m_helpButton = nullptr;
};

}  // namespace sondrel
