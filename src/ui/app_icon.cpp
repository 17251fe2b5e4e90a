// The program's icon, decoded from the PNG files built into the program.
#include "ui/app_icon.h"

#include <wx/bitmap.h>
#include <wx/icon.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include "ui/embedded_file.h"

namespace sondrel {

wxIconBundle ProgramIcons() {
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  wxIconBundle icons;
  for (const EmbeddedFile& png : ProgramIconPngs()) {
    wxMemoryInputStream stream(png.data, png.size);
    const wxImage image(stream, wxBITMAP_TYPE_PNG);
    if (!image.IsOk()) continue;
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap(image));
    icons.AddIcon(icon);
  }
  return icons;
}

}  // namespace sondrel
