#include "screenshot.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <wx/image.h>
#include <wx/window.h>

#include <cstdlib>
#include <memory>

#include "settle.h"

namespace sondrel::test {

void SaveScreenshot(wxWindow* window, const std::string& name) {
  const char* dir = std::getenv("SONDREL_SCREENSHOT_DIR");
  if (!dir || !*dir || !window) return;
  window->Refresh();
  Settle(30);  // mapped and painted
  // The X server's picture of the screen, as a person sees it.
  std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
  if (!display) return;
  const wxRect rect = window->GetScreenRect();
  XImage* shot = XGetImage(display.get(), DefaultRootWindow(display.get()), rect.GetX(),
                           rect.GetY(), static_cast<unsigned>(rect.GetWidth()),
                           static_cast<unsigned>(rect.GetHeight()), AllPlanes, ZPixmap);
  if (!shot) return;
  wxImage image(rect.GetWidth(), rect.GetHeight());
  for (int y = 0; y < rect.GetHeight(); ++y) {
    for (int x = 0; x < rect.GetWidth(); ++x) {
      const unsigned long pixel = XGetPixel(shot, x, y);
      image.SetRGB(x, y, static_cast<unsigned char>((pixel & shot->red_mask) >> 16),
                   static_cast<unsigned char>((pixel & shot->green_mask) >> 8),
                   static_cast<unsigned char>(pixel & shot->blue_mask));
    }
  }
  XDestroyImage(shot);
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  image.SaveFile(wxString::FromUTF8(std::string(dir) + "/" + name + ".png"), wxBITMAP_TYPE_PNG);
}

}  // namespace sondrel::test
