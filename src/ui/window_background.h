// The main window's surface: the title bar with the program's icon and name,
// the command column and the frame, painted by the program; dragging a free
// spot of it moves the window through the window manager.
#pragma once

#include <wx/icon.h>
#include <wx/panel.h>

#include "ui/skin_controls.h"

namespace sondrel {

// Height of the title bar.
inline constexpr int kTitleBarHeight = 52;
// Right edge of the command column.
inline constexpr int kCommandColumnWidth = 128;

class WindowBackground : public wxPanel, public SkinBackground {
 public:
  explicit WindowBackground(wxWindow* parent);

  void PaintBackground(wxDC& dc, const wxPoint& origin) override;

 private:
  void OnPaint(wxPaintEvent&);
  void OnLeftDown(wxMouseEvent& event);

  wxIcon m_icon;
};

// Asks the window manager to move `window`'s top-level window with the mouse,
// from the press `event` (works on Wayland too, where a window cannot place
// itself). False when the toolkit offers no such move.
bool BeginMoveDrag(wxWindow* window, const wxMouseEvent& event);

}  // namespace sondrel
