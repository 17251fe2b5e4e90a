// Painting of the main window's surface and the move-drag through GTK.
#include "ui/window_background.h"

#include <wx/dcbuffer.h>
#include <wx/graphics.h>
#include <wx/toplevel.h>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

#include <memory>

#include "platform/product.h"
#include "ui/app_icon.h"
#include "ui/dialog_font.h"

namespace sondrel {

WindowBackground::WindowBackground(wxWindow* parent)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, parent->GetClientSize(),
              wxBORDER_NONE | wxTAB_TRAVERSAL) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetBackgroundColour(wxColour(0xf4, 0xf6, 0xf9));
  m_icon = ProgramIcons().GetIcon(32);
  Bind(wxEVT_PAINT, &WindowBackground::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &WindowBackground::OnLeftDown, this);
}

void WindowBackground::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  PaintBackground(dc, wxPoint(0, 0));
}

void WindowBackground::PaintBackground(wxDC& dc, const wxPoint& origin) {
  dc.SetDeviceOrigin(-origin.x, -origin.y);
  const wxSize size = GetClientSize();
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(GetBackgroundColour()));
  dc.DrawRectangle(0, 0, size.x, size.y);

  // The command column, set off from the list by a hairline.
  dc.SetBrush(wxBrush(wxColour(0xe4, 0xea, 0xf2)));
  dc.DrawRectangle(0, kTitleBarHeight, kCommandColumnWidth, size.y - kTitleBarHeight);
  dc.SetPen(wxPen(wxColour(0xcc, 0xd5, 0xe1)));
  dc.DrawLine(kCommandColumnWidth, kTitleBarHeight, kCommandColumnWidth, size.y);

  // The title bar: a deep blue gradient with the icon and the name.
  dc.GradientFillLinear(wxRect(0, 0, size.x, kTitleBarHeight), wxColour(0x1a, 0x33, 0x58),
                        wxColour(0x2c, 0x5a, 0x92), wxEAST);
  dc.SetPen(wxPen(wxColour(0x14, 0x28, 0x46)));
  dc.DrawLine(0, kTitleBarHeight - 1, size.x, kTitleBarHeight - 1);
  if (m_icon.IsOk()) dc.DrawIcon(m_icon, 14, 10);
  wxFont title = DialogFont().Bold();
  title.SetPixelSize(wxSize(0, 18));
  dc.SetFont(title);
  dc.SetTextForeground(*wxWHITE);
  dc.DrawText(kProductName, 56, 8);
  wxFont subtitle = DialogFont();
  dc.SetFont(subtitle);
  dc.SetTextForeground(wxColour(0xbf, 0xd2, 0xea));
  dc.DrawText("Audio Converter", 57, 31);

  // A frame, since the window has no decoration of the window manager.
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  dc.SetPen(wxPen(wxColour(0x14, 0x28, 0x46)));
  dc.DrawRectangle(0, 0, size.x, size.y);
  dc.SetDeviceOrigin(0, 0);
}

void WindowBackground::OnLeftDown(wxMouseEvent& event) {
  if (!BeginMoveDrag(this, event)) event.Skip();
}

bool BeginMoveDrag(wxWindow* window, const wxMouseEvent& event) {
#ifdef __WXGTK__
  wxWindow* top = wxGetTopLevelParent(window);
  if (!top) return false;
  GtkWidget* widget = top->GetHandle();
  if (!widget || !GTK_IS_WINDOW(widget)) return false;
  const wxPoint screen = window->ClientToScreen(event.GetPosition());
  gtk_window_begin_move_drag(GTK_WINDOW(widget), 1, screen.x, screen.y,
                             static_cast<guint32>(event.GetTimestamp()));
  return true;
#else
  (void)window;
  (void)event;
  return false;
#endif
}

}  // namespace sondrel
