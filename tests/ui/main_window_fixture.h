// A main window for tests: the real window over an in-memory store, with the
// shell and the messages recorded instead of reaching the desktop.
#pragma once

#include <wx/window.h>  // before wx/weakref.h, which needs it

#include <wx/weakref.h>

#include <string>
#include <vector>

#include "engine/file_item.h"
#include "platform/settings_store.h"
#include "ui/main_window.h"

namespace sondrel::test {

class RecordingWindow : public MainWindow {
 public:
  using MainWindow::MainWindow;

  void OpenDocument(const std::string& target) override { opened.push_back(target); }
  void ShowInFolder(const std::string& path) override { shown.push_back(path); }
  void ShowMessage(const std::string& text, MessageIcon) override { messages.push_back(text); }
  bool AskYesNo(const std::string& text) override {
    messages.push_back(text);
    return false;
  }

  std::vector<std::string> opened;
  std::vector<std::string> shown;
  std::vector<std::string> messages;
};

// A store as a returning user has it: past the first start, results kept
// beside the sources, no file manager opened after a run.
void PrepareStore(MemorySettingsStore& store);

// Opens a window over `store` (shown); the first-start help is counted in
// `helpOpened` when given.
RecordingWindow* OpenWindow(MemorySettingsStore& store, int* helpOpened = nullptr);
// Destroys a window that is still open and lets the events settle.
void DestroyWindow(wxWeakRef<wxWindow>& window);

// The control of the window that sends `command` (a button, the link
// label), or the child window with that id; null when none.
wxWindow* ControlOf(MainWindow& window, int command);
// Presses and releases the left mouse button inside a control.
void Click(wxWindow* control);
// Sends a command as its button, menu entry or key does.
void Command(MainWindow& window, int id);
// Adds a row for an item that need not exist on disk, indexed like the
// adding code does; returns the row.
int AddItem(MainWindow& window, FileItem item);
// The texts of one column, top to bottom.
std::vector<std::string> ColumnTexts(MainWindow& window, int column);

}  // namespace sondrel::test
