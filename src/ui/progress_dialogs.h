// The two modeless progress windows of long work, and PumpMessages.
//
// Both are caption-less dialogs centred on their owner (the main window, or
// the top window until it exists). Cancel only sets `cancelRequested`; Enter
// and Escape do nothing; a close request destroys the window and the object
// frees itself. The conversion window can be dragged by its body.
#pragma once

#include <wx/dialog.h>

class wxGauge;
class wxStaticText;
class wxButton;

namespace sondrel {

// Dispatches every pending event of the event loop and returns without waiting.
void PumpMessages();

class ProgressDialogBase : public wxDialog {
 public:
  // The Cancel button of either window.
  static constexpr int kIdCancel = 1033;

  int cancelRequested = 0;

 protected:
  ProgressDialogBase(wxWindow* owner, int cancelY, wxSize sizeDlu);
  // Shows a new window centred on its owner with the flag down; the Create
  // of each window.
  template <typename Dialog>
  static Dialog* ShowNew(Dialog* dialog) {
    dialog->cancelRequested = 0;
    dialog->CentreOnParent();
    dialog->Show();
    return dialog;
  }
  wxStaticText* AddText(int id, int y);
  wxGauge* AddBar(int id, int y);
  // Dialog units of this dialog's font, like a dialog template.
  wxRect FromDlu(int x, int y, int w, int h);

 private:
  void OnCancel(wxCommandEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void OnClose(wxCloseEvent& event);
};

// Two lines and two bars: the conversion and merge runs.
class ConvertProgressDialog : public ProgressDialogBase {
 public:
  enum Id {
    kIdUpperText = 1032,
    kIdUpperBar = 1013,
    kIdLowerText = 1035,
    kIdLowerBar = 1038,
  };

  // Creates and shows the window; it deletes itself after it is closed.
  static ConvertProgressDialog* Create(wxWindow* owner = nullptr);

  wxStaticText* upperText;
  wxGauge* upperBar;
  wxStaticText* lowerText;
  wxGauge* lowerBar;

 private:
  explicit ConvertProgressDialog(wxWindow* owner);
  // Dragging by any point of the body.
  void OnLeftDown(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);
  void BindDrag(wxWindow* window);

  wxPoint m_dragOffset;
  bool m_dragging = false;
};

// One line and one bar: adding files to the list.
class AddProgressDialog : public ProgressDialogBase {
 public:
  enum Id {
    kIdText = 1068,
    kIdBar = 1010,
  };

  static AddProgressDialog* Create(wxWindow* owner = nullptr);

  wxStaticText* text;
  wxGauge* bar;

 private:
  explicit AddProgressDialog(wxWindow* owner);
};

}  // namespace sondrel
