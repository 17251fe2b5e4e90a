#include "ui/message_box.h"

#include <wx/msgdlg.h>

#include "platform/product.h"

namespace sondrel {

namespace {
MessageBoxHandler& Handler() {
  static MessageBoxHandler handler;
  return handler;
}
}  // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
  MessageBoxHandler previous = std::move(Handler());
  Handler() = std::move(handler);
  return previous;
}

bool ShowMessageBox(const std::string& text, MessageIcon icon, wxWindow* owner) {
  if (Handler()) return Handler()(text, icon);
  long style = wxOK | wxICON_INFORMATION;
  if (icon == MessageIcon::Exclamation) style = wxOK | wxICON_EXCLAMATION;
  if (icon == MessageIcon::Question) style = wxYES_NO | wxICON_QUESTION;
  const int answer = wxMessageBox(wxString::FromUTF8(text), kProductName, style, owner);
  return icon != MessageIcon::Question || answer == wxYES;
}

}  // namespace sondrel
