#include "ui/progress_dialogs.h"

#include <memory>
#include <optional>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/evtloop.h>
#include <wx/gauge.h>
#include <wx/stattext.h>

#include "ui/dialog_font.h"

namespace sondrel {

void PumpMessages() {
  if (!wxTheApp) return;
  // Work loops run outside any running event loop (tests, the run itself
  // before the main loop starts): lend them a temporary one.
  std::unique_ptr<wxGUIEventLoop> temporary;
  std::optional<wxEventLoopActivator> activator;
  if (!wxEventLoopBase::GetActive()) {
    temporary = std::make_unique<wxGUIEventLoop>();
    activator.emplace(temporary.get());
  }
  wxEventLoopBase::GetActive()->YieldFor(wxEVT_CATEGORY_ALL);
}

namespace {

wxWindow* DefaultOwner(wxWindow* owner) {
  if (owner) return owner;
  return wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
}

}  // namespace

ProgressDialogBase::ProgressDialogBase(wxWindow* owner, int cancelY, wxSize sizeDlu)
    : wxDialog(DefaultOwner(owner), wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
               wxBORDER_RAISED) {
  SetDialogFont(this);
  SetClientSize(ConvertDialogToPixels(sizeDlu));
  // The Cancel button only raises the flag; neither Enter nor Escape ends the dialog.
  SetEscapeId(wxID_NONE);
  SetAffirmativeId(wxID_NONE);
  const wxRect r = FromDlu(180, cancelY, 58, 16);
  auto* cancel = new wxButton(this, kIdCancel, "Cancel", r.GetPosition(), r.GetSize());
  cancel->Bind(wxEVT_BUTTON, &ProgressDialogBase::OnCancel, this);
  Bind(wxEVT_CHAR_HOOK, &ProgressDialogBase::OnCharHook, this);
  Bind(wxEVT_CLOSE_WINDOW, &ProgressDialogBase::OnClose, this);
}

wxRect ProgressDialogBase::FromDlu(int x, int y, int w, int h) {
  return wxRect(ConvertDialogToPixels(wxPoint(x, y)), ConvertDialogToPixels(wxSize(w, h)));
}

wxStaticText* ProgressDialogBase::AddText(int id, int y) {
  const wxRect r = FromDlu(7, y, 404, 10);
  return new wxStaticText(this, id, wxString(), r.GetPosition(), r.GetSize(),
                          wxALIGN_LEFT | wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
}

wxGauge* ProgressDialogBase::AddBar(int id, int y) {
  const wxRect r = FromDlu(7, y, 404, 13);
  return new wxGauge(this, id, 100, r.GetPosition(), r.GetSize(), wxGA_HORIZONTAL | wxGA_SMOOTH);
}

void ProgressDialogBase::OnCancel(wxCommandEvent&) { cancelRequested = 1; }

void ProgressDialogBase::OnCharHook(wxKeyEvent& event) {
  switch (event.GetKeyCode()) {
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
    case WXK_ESCAPE:
      return;  // swallowed
    default:
      event.Skip();
  }
}

void ProgressDialogBase::OnClose(wxCloseEvent&) {
  // A drag may still hold the mouse when the run closes the window; a window
  // destroyed with the capture leaves wx pointing at a dead window.
  if (HasCapture()) ReleaseMouse();
  // Destroy() deletes the object once pending events are handled.
  Destroy();
}

ConvertProgressDialog::ConvertProgressDialog(wxWindow* owner)
    : ProgressDialogBase(owner, 71, wxSize(418, 94)) {
  upperText = AddText(kIdUpperText, 7);
  upperBar = AddBar(kIdUpperBar, 18);
  lowerText = AddText(kIdLowerText, 39);
  lowerBar = AddBar(kIdLowerBar, 50);
  BindDrag(this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &ConvertProgressDialog::OnCaptureLost, this);
  for (wxWindow* w : {static_cast<wxWindow*>(upperText), static_cast<wxWindow*>(upperBar),
                      static_cast<wxWindow*>(lowerText), static_cast<wxWindow*>(lowerBar)}) {
    BindDrag(w);
  }
}

ConvertProgressDialog* ConvertProgressDialog::Create(wxWindow* owner) {
  return ShowNew(new ConvertProgressDialog(owner));
}

void ConvertProgressDialog::BindDrag(wxWindow* window) {
  window->Bind(wxEVT_LEFT_DOWN, &ConvertProgressDialog::OnLeftDown, this);
  window->Bind(wxEVT_MOTION, &ConvertProgressDialog::OnMotion, this);
  window->Bind(wxEVT_LEFT_UP, &ConvertProgressDialog::OnLeftUp, this);
}

void ConvertProgressDialog::OnLeftDown(wxMouseEvent& event) {
  auto* source = static_cast<wxWindow*>(event.GetEventObject());
  const wxPoint screen = source->ClientToScreen(event.GetPosition());
  m_dragOffset = screen - GetPosition();
  m_dragging = true;
  if (!HasCapture()) CaptureMouse();
}

void ConvertProgressDialog::OnMotion(wxMouseEvent& event) {
  if (!m_dragging || !event.LeftIsDown()) return;
  auto* source = static_cast<wxWindow*>(event.GetEventObject());
  Move(source->ClientToScreen(event.GetPosition()) - m_dragOffset);
}

void ConvertProgressDialog::OnLeftUp(wxMouseEvent&) {
  m_dragging = false;
  if (HasCapture()) ReleaseMouse();
}

void ConvertProgressDialog::OnCaptureLost(wxMouseCaptureLostEvent&) { m_dragging = false; }

AddProgressDialog::AddProgressDialog(wxWindow* owner)
    : ProgressDialogBase(owner, 39, wxSize(418, 62)) {
  text = AddText(kIdText, 7);
  bar = AddBar(kIdBar, 18);
}

AddProgressDialog* AddProgressDialog::Create(wxWindow* owner) {
  return ShowNew(new AddProgressDialog(owner));
}

}  // namespace sondrel
