// The dialog font: Tahoma at 11 pixels where installed, else the GUI font at that size.
#pragma once

class wxWindow;

namespace sondrel {

void SetDialogFont(wxWindow* window);

}  // namespace sondrel
