// The menus and keys of the main window.
#include "ui/main_menus.h"

#include <wx/accel.h>
#include <wx/menu.h>

namespace sondrel {

int CommandOf(int wxId) {
  static constexpr int kFolded[] = {
      kCmdAddFiles,          kCmdRemove,          kCmdConvertAll,
      kCmdConvertAllToOne,   kCmdConvertSelected, kCmdConvertSelectedToOne,
      kCmdPlaySource,        kCmdPlayDestination, kCmdBrowseSource,
      kCmdBrowseDestination, kCmdHelpTopics,      kCmdTellAFriend,
      kCmdFeedback,          kCmdHomepage,        kCmdLatestVersion,
  };
  for (const int command : kFolded) {
    if (WxId(command) == wxId) return command;
  }
  return wxId;
}

bool PopupEntryEnabled(int id, const ListMenuState& state) {
  const bool oneSelected = state.selectedCount == 1;
  switch (id) {
    case kCmdPlaySource:
    case kCmdBrowseSource:
      return oneSelected;
    case kCmdPlayDestination:
    case kCmdBrowseDestination:
      return oneSelected && state.firstSelectedHasTarget;
    case kCmdConvertSelected:
    case kCmdConvertSelectedToOne:
    case kCmdRemove:
      return state.selectedCount > 0;
    case kCmdConvertAll:
    case kCmdConvertAllToOne:
    case kCmdRemoveAll:
      return state.rowCount > 0;
    default:
      return true;
  }
}

wxMenu* BuildListMenu(const ListMenuState& state) {
  struct Entry {
    int id;  // 0: a separator
    const char* text;
  };
  static constexpr Entry kEntries[] = {
      {kCmdPlaySource, "&Play Source"},
      {kCmdPlayDestination, "Play &Destination"},
      {0, nullptr},
      {kCmdConvertSelected, "&Convert Selected"},
      {kCmdConvertAll, "Convert All"},
      {0, nullptr},
      {kCmdConvertSelectedToOne, "&Convert Selected to One"},
      {kCmdConvertAllToOne, "Convert All to One"},
      {0, nullptr},
      {kCmdBrowseSource, "Browse &Source Folder"},
      {kCmdBrowseDestination, "Browse Destination &Folder"},
      {0, nullptr},
      {kCmdAddFiles, "&Add Files...\tCtrl+O"},
      {kCmdAddFolder, "Add F&older"},
      {kCmdRemove, "&Remove\tDel"},
      {kCmdRemoveAll, "Remove Al&l"},
  };
  auto* menu = new wxMenu;
  for (const Entry& entry : kEntries) {
    if (entry.id == 0) {
      menu->AppendSeparator();
      continue;
    }
    menu->Append(WxId(entry.id), entry.text);
    menu->Enable(WxId(entry.id), PopupEntryEnabled(entry.id, state));
  }
  return menu;
}

wxMenu* BuildHelpMenu() {
  auto* menu = new wxMenu;
  menu->Append(WxId(kCmdHelpTopics), "&Help Topics\tF1");
  menu->AppendSeparator();
  menu->Append(WxId(kCmdTellAFriend), "&Tell A Friend");
  menu->Append(WxId(kCmdFeedback), "&Feedback and Support");
  menu->Append(WxId(kCmdHomepage), "Home&page");
  menu->Append(WxId(kCmdLatestVersion), "&Check Latest Version");
  menu->AppendSeparator();
  menu->Append(WxId(kCmdAbout), "&About...");
  return menu;
}

wxAcceleratorTable MainAccelerators() {
  wxAcceleratorEntry entries[] = {
      {wxACCEL_CTRL, 'A', WxId(kCmdSelectAll)},
      {wxACCEL_CTRL, 'O', WxId(kCmdAddFiles)},
      {wxACCEL_NORMAL, WXK_DELETE, WxId(kCmdRemove)},
      {wxACCEL_NORMAL, WXK_F1, WxId(kCmdHelpTopics)},
  };
  return wxAcceleratorTable(static_cast<int>(std::size(entries)), entries);
}

}  // namespace sondrel
