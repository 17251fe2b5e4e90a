// Painting and mouse handling of the main window's own controls.
#include "ui/skin_controls.h"

#include <wx/dcbuffer.h>
#include <wx/graphics.h>
#include <wx/settings.h>

#include <cmath>
#include <functional>
#include <memory>

#include "ui/main_menus.h"

namespace sondrel {

namespace skin {
wxColour Accent() { return wxColour(0x2f, 0x6f, 0xb8); }
wxColour AccentDark() { return wxColour(0x1d, 0x3a, 0x62); }
wxColour Text() { return wxColour(0x1f, 0x2a, 0x37); }
}  // namespace skin

namespace {

void Paint(wxWindow* window, const std::function<void(wxGraphicsContext&, wxDC&)>& draw) {
  wxAutoBufferedPaintDC dc(window);
  // The parent's picture shows around rounded faces.
  if (auto* background = dynamic_cast<SkinBackground*>(window->GetParent())) {
    background->PaintBackground(dc, window->GetPosition());
  } else {
    dc.SetBackground(wxBrush(window->GetParent()->GetBackgroundColour()));
    dc.Clear();
  }
  std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(dc));
  if (gc) draw(*gc, dc);
}

}  // namespace

SkinClickable::SkinClickable(wxWindow* parent, int command, const wxString& label,
                             const wxPoint& pos, const wxSize& size)
    : wxControl(parent, WxId(command), pos, size, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE),
      m_command(command) {
  SetLabel(label);
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetCursor(wxCursor(wxCURSOR_HAND));
  Bind(wxEVT_ENTER_WINDOW, [this](wxMouseEvent&) {
    m_hovered = true;
    Refresh();
  });
  Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent&) {
    m_hovered = false;
    Refresh();
  });
  Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent&) {
    m_pressed = true;
    m_hovered = true;
    if (!HasCapture()) CaptureMouse();
    Refresh();
  });
  Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& event) {
    if (HasCapture()) ReleaseMouse();
    const bool click = m_pressed && GetClientRect().Contains(event.GetPosition());
    m_pressed = false;
    Refresh();
    if (click) SendClick();
  });
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) {
    m_pressed = false;
    Refresh();
  });
  Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_SPACE) {
      SendClick();
    } else {
      event.Skip();
    }
  });
  Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& e) {
    Refresh();
    e.Skip();
  });
  Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
    Refresh();
    e.Skip();
  });
}

void SkinClickable::SendClick() {
  wxCommandEvent click(wxEVT_BUTTON, GetId());
  click.SetEventObject(this);
  ProcessWindowEvent(click);
}

SkinButton::SkinButton(wxWindow* parent, int command, const wxString& label, const wxRect& rect,
                       bool primary)
    : SkinClickable(parent, command, label, rect.GetPosition(), rect.GetSize()),
      m_primary(primary) {
  Bind(wxEVT_PAINT, &SkinButton::OnPaint, this);
}

void SkinButton::OnPaint(wxPaintEvent&) {
  Paint(this, [this](wxGraphicsContext& gc, wxDC& dc) {
    const wxSize size = GetClientSize();
    wxColour face = m_primary ? skin::Accent() : wxColour(0xff, 0xff, 0xff);
    wxColour border = m_primary ? skin::AccentDark() : wxColour(0xb4, 0xbf, 0xcd);
    if (Pressed()) {
      face = m_primary ? skin::AccentDark() : wxColour(0xd3, 0xe0, 0xf0);
    } else if (Hovered()) {
      face = m_primary ? wxColour(0x3a, 0x80, 0xcc) : wxColour(0xe9, 0xf0, 0xf9);
      if (!m_primary) border = skin::Accent();
    }
    if (HasFocus()) border = skin::AccentDark();
    gc.SetPen(wxPen(border));
    gc.SetBrush(wxBrush(face));
    gc.DrawRoundedRectangle(0.5, 0.5, size.x - 1.0, size.y - 1.0, 4.0);
    dc.SetFont(GetFont());
    dc.SetTextForeground(m_primary ? *wxWHITE : skin::Text());
    dc.DrawLabel(wxControl::RemoveMnemonics(GetLabel()), wxRect(size), wxALIGN_CENTER);
  });
}

TitleButton::TitleButton(wxWindow* parent, int command, Glyph glyph, const wxRect& rect)
    : SkinClickable(parent, command, wxString(), rect.GetPosition(), rect.GetSize()),
      m_glyph(glyph) {
  Bind(wxEVT_PAINT, &TitleButton::OnPaint, this);
}

void TitleButton::OnPaint(wxPaintEvent&) {
  Paint(this, [this](wxGraphicsContext& gc, wxDC&) {
    const wxSize size = GetClientSize();
    if (Hovered() || Pressed()) {
      const bool close = m_glyph == Glyph::Close;
      wxColour hover = close ? wxColour(0xd9, 0x3b, 0x3b) : wxColour(0xff, 0xff, 0xff, 0x38);
      if (Pressed()) hover = close ? wxColour(0xa8, 0x26, 0x26) : wxColour(0xff, 0xff, 0xff, 0x60);
      gc.SetPen(*wxTRANSPARENT_PEN);
      gc.SetBrush(wxBrush(hover));
      gc.DrawRoundedRectangle(0, 0, size.x, size.y, 4.0);
    }
    gc.SetPen(wxPen(*wxWHITE, 2));
    const double cx = size.x / 2.0;
    const double cy = size.y / 2.0;
    switch (m_glyph) {
      case Glyph::Close:
        gc.StrokeLine(cx - 4.5, cy - 4.5, cx + 4.5, cy + 4.5);
        gc.StrokeLine(cx - 4.5, cy + 4.5, cx + 4.5, cy - 4.5);
        break;
      case Glyph::Minimize:
        gc.StrokeLine(cx - 5, cy + 4, cx + 5, cy + 4);
        break;
      case Glyph::Help: {
        // A question mark: a hook over a stem, and the dot.
        gc.SetPen(gc.CreatePen(wxGraphicsPenInfo(*wxWHITE).Width(1.8)));
        wxGraphicsPath hook = gc.CreatePath();
        hook.AddArc(cx, cy - 2.5, 3.5, M_PI, M_PI * 2.5, true);
        hook.AddLineToPoint(cx, cy + 2.5);
        gc.StrokePath(hook);
        gc.SetPen(*wxTRANSPARENT_PEN);
        gc.SetBrush(*wxWHITE_BRUSH);
        gc.DrawEllipse(cx - 1.2, cy + 4.2, 2.4, 2.4);
      } break;
    }
  });
}

LinkLabel::LinkLabel(wxWindow* parent, int command, const wxString& label, const wxRect& rect)
    : SkinClickable(parent, command, label, rect.GetPosition(), rect.GetSize()) {
  Bind(wxEVT_PAINT, &LinkLabel::OnPaint, this);
}

void LinkLabel::OnPaint(wxPaintEvent&) {
  Paint(this, [this](wxGraphicsContext&, wxDC& dc) {
    dc.SetFont(GetFont());
    dc.SetTextForeground(Hovered() ? skin::AccentDark() : skin::Accent());
    dc.DrawLabel(GetLabel(), wxRect(GetClientSize()), wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL);
  });
}

}  // namespace sondrel
