#include "ui/dialog_font.h"

#include <wx/dcscreen.h>
#include <wx/font.h>
#include <wx/fontenum.h>
#include <wx/settings.h>
#include <wx/window.h>

namespace sondrel {

wxFont DialogFont() {
  // The desktop's GUI font is its sans-serif face.
  wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  // Asked once: each question enumerates every installed face.
  static const bool hasTahoma = wxFontEnumerator::IsValidFacename("Tahoma");
  if (hasTahoma) font.SetFaceName("Tahoma");
  // 11 pixels of em height, as the dialogs were designed (a font height of
  // -11). wxFont::SetPixelSize would fit the whole line height into 11
  // pixels instead and give a much smaller font.
  const int dpi = wxScreenDC().GetPPI().GetHeight();
  font.SetFractionalPointSize(11.0 * 72.0 / (dpi > 0 ? dpi : 96));
  return font;
}

void SetDialogFont(wxWindow* window) {
  if (!window) return;
  const wxFont font = DialogFont();
  window->SetFont(font);
  for (wxWindow* child : window->GetChildren()) child->SetFont(font);
}

}  // namespace sondrel
