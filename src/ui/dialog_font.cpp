#include "ui/dialog_font.h"

#include <wx/font.h>
#include <wx/settings.h>
#include <wx/window.h>

namespace sondrel {

void SetDialogFont(wxWindow* window) {
  wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  font.SetPixelSize(wxSize(0, 11));
  wxFont tahoma = font;
  if (tahoma.SetFaceName("Tahoma")) font = tahoma;
  window->SetFont(font);
}

}  // namespace sondrel
