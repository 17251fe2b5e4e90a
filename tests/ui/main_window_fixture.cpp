#include "main_window_fixture.h"

#include "engine/settings.h"
#include "settle.h"
#include "ui/file_list_ctrl.h"
#include "ui/skin_controls.h"

namespace sondrel::test {

void PrepareStore(MemorySettingsStore& store) {
  store.WriteNumber(kOptionsGroup, "FirstRun", 0);
  store.WriteNumber(kOptionsGroup, "DestOutputFolderOpt", kOutputSameAsSource);
  store.WriteNumber(kOptionsGroup, "BrowseOutputFolder", 0);
  store.writes.clear();
}

RecordingWindow* OpenWindow(MemorySettingsStore& store, int* helpOpened) {
  MainWindowSetup setup;
  setup.openHelpOnFirstRun = [helpOpened] {
    if (helpOpened) ++*helpOpened;
  };
  auto* window = new RecordingWindow(store, std::move(setup));
  window->Show();
  Settle(5);
  return window;
}

void DestroyWindow(wxWeakRef<wxWindow>& window) {
  if (window) window->Destroy();
  Settle(5);
}

wxWindow* ControlOf(MainWindow& window, int command) {
  wxWindow* surface = window.GetChildren().GetFirst()->GetData();
  for (wxWindow* child : surface->GetChildren()) {
    if (auto* clickable = dynamic_cast<SkinClickable*>(child)) {
      if (clickable->SentCommand() == command) return child;
    } else if (child->GetId() == command) {
      return child;
    }
  }
  return nullptr;
}

void Click(wxWindow* control) {
  for (const wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
    wxMouseEvent event(type);
    event.SetPosition(wxPoint(3, 3));
    event.SetEventObject(control);
    control->ProcessWindowEvent(event);
  }
}

void Command(MainWindow& window, int id) {
  wxCommandEvent event(wxEVT_MENU, WxId(id));
  event.SetEventObject(&window);
  window.ProcessWindowEvent(event);
}

int AddItem(MainWindow& window, FileItem item) {
  window.ListTarget().listed.Insert(item.sourcePath);
  return window.AddFileRow(std::move(item));
}

std::vector<std::string> ColumnTexts(MainWindow& window, int column) {
  std::vector<std::string> texts;
  for (int row = 0; row < window.List().RowCount(); ++row) {
    texts.push_back(window.List().CellText(row, column));
  }
  return texts;
}

}  // namespace sondrel::test
