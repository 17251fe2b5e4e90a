// The program's message boxes, captioned with the product name. Tests install
// a handler that answers instead of a modal box.
#pragma once

#include <functional>
#include <string>

#include "engine/frontend.h"

class wxWindow;

namespace sondrel {

// Shows `text`; for MessageIcon::Question a Yes/No box, returning true for Yes.
// Other icons show an OK box and return true.
bool ShowMessageBox(const std::string& text, MessageIcon icon, wxWindow* owner = nullptr);

using MessageBoxHandler = std::function<bool(const std::string& text, MessageIcon icon)>;
// Replaces the modal box (null restores it); returns the previous handler.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace sondrel
