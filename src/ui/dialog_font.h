// The dialog font: Tahoma at 11 pixels where that face is installed, else the
// desktop's own sans-serif face at 11 pixels.
#pragma once

class wxFont;
class wxWindow;

namespace sondrel {

wxFont DialogFont();

// Gives `window` and its direct children (not their children) the dialog
// font. Dialogs call it once their controls exist.
void SetDialogFont(wxWindow* window);

}  // namespace sondrel
