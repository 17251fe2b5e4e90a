// The main window's command ids, its two menus (the list's popup menu and
// the help menu), when each popup entry is enabled, its accelerator keys and
// its tool tips. A button, a menu entry and a key that do the same thing
// share one id.
#pragma once

class wxAcceleratorTable;
class wxMenu;

namespace sondrel {

enum CommandId : int {
  kCmdAddFiles = 32773,
  kCmdAddFolder = 1024,
  kCmdRemoveAll = 1005,
  kCmdRemove = 32772,
  kCmdConvertAll = 32787,
  kCmdConvertAllToOne = 32788,
  kCmdConvertSelected = 32786,
  kCmdConvertSelectedToOne = 32789,
  kCmdOptions = 1014,
  kCmdPlaySource = 32775,
  kCmdPlayDestination = 32781,
  kCmdBrowseSource = 32777,
  kCmdBrowseDestination = 32780,
  kCmdSelectAll = 1156,
  kCmdHelpButton = 1060,
  kCmdMinimize = 1030,
  kCmdClose = 1000,
  kCmdHelpTopics = 57670,
  kCmdAbout = 1017,
  kCmdTellAFriend = 32782,
  kCmdFeedback = 32783,
  kCmdHomepage = 32784,  // also the link label
  kCmdLatestVersion = 32785,
};

// wx takes ids below 32767 only: a command's wx id (of its menu entry,
// accelerator and control) is its number with the top bit cleared, and
// CommandOf gives the number back. The numbers above stay the program's.
constexpr int WxId(int command) { return command & 0x7fff; }
// The command of a wx id; the id itself when it is no command's.
int CommandOf(int wxId);

// Window ids of the two lists.
inline constexpr int kFileListId = 1016;
inline constexpr int kFormatListId = 1019;

// What the popup menu's enabling rules look at, taken when it opens.
struct ListMenuState {
  int rowCount = 0;
  int selectedCount = 0;
  bool firstSelectedHasTarget = false;  // the first selected row's targetPath is not empty
};

// Whether the popup menu's entry `id` is enabled in `state`.
bool PopupEntryEnabled(int id, const ListMenuState& state);

// The list's popup menu with its entries enabled for `state`; the caller
// owns it.
wxMenu* BuildListMenu(const ListMenuState& state);
// The help menu of the Help button; the caller owns it.
wxMenu* BuildHelpMenu();

// Ctrl+A, Ctrl+O, Delete, and F1 for the help topics the help menu shows
// it on.
wxAcceleratorTable MainAccelerators();

}  // namespace sondrel
