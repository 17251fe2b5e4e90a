// The program's icon for its windows and the About box.
//
// The icon's PNG files are built into the program, so windows show it even
// when the installed data folder is missing; the same files are installed in
// the desktop's icon theme for the menu entry. User-interface thread only.
#pragma once

#include <wx/iconbndl.h>

namespace sondrel {

// The icon at each size it was drawn at (16 to 256 pixels): for
// wxTopLevelWindow::SetIcons, and ProgramIcons().GetIcon(64) for an About
// box. Never fails; sizes whose PNG cannot be read are left out.
wxIconBundle ProgramIcons();

}  // namespace sondrel
