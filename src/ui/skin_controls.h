// The painted controls of the main window: its command buttons, the three
// small title-bar buttons and the link label. Each sends wxEVT_BUTTON with
// its command id to its parent when clicked (or, when it has the focus, on
// Space); the window's id is the command's wx id (ui/main_menus.h).
// User-interface thread only.
#pragma once

#include <wx/control.h>

namespace sondrel {

// The look shared by the painted controls.
namespace skin {
wxColour Accent();
wxColour AccentDark();
wxColour Text();
}  // namespace skin

// A window whose children paint its picture behind their own faces.
class SkinBackground {
 public:
  // Paints the part of the picture under a child at `origin` (in this
  // window's coordinates) into the child's `dc`.
  virtual void PaintBackground(wxDC& dc, const wxPoint& origin) = 0;

 protected:
  ~SkinBackground() = default;
};

// A base for the painted clickable controls: tracks hover and press and
// sends the click.
class SkinClickable : public wxControl {
 public:
  SkinClickable(wxWindow* parent, int command, const wxString& label, const wxPoint& pos,
                const wxSize& size);

  int SentCommand() const { return m_command; }

  bool AcceptsFocusFromKeyboard() const override { return true; }

 protected:
  bool Hovered() const { return m_hovered; }
  bool Pressed() const { return m_pressed && m_hovered; }
  void SendClick();

 private:
  int m_command;
  bool m_hovered = false;
  bool m_pressed = false;
};

// A command button ("&Add Files"): a rounded face with its label in bold;
// `primary` draws it in the accent colour.
class SkinButton : public SkinClickable {
 public:
  SkinButton(wxWindow* parent, int command, const wxString& label, const wxRect& rect,
             bool primary = false);

 private:
  void OnPaint(wxPaintEvent&);
  bool m_primary;
};

// Help, Minimize and Close at the top right, drawn as glyphs on the title bar.
class TitleButton : public SkinClickable {
 public:
  enum class Glyph { Help, Minimize, Close };
  TitleButton(wxWindow* parent, int command, Glyph glyph, const wxRect& rect);

 private:
  void OnPaint(wxPaintEvent&);
  Glyph m_glyph;
};

// The link label at the foot of the window: bold underlined text.
class LinkLabel : public SkinClickable {
 public:
  LinkLabel(wxWindow* parent, int command, const wxString& label, const wxRect& rect);

 private:
  void OnPaint(wxPaintEvent&);
};

}  // namespace sondrel
