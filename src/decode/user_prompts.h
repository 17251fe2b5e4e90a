// What the decode layer may ask of the person using the program: the source
// opener's offer to fetch the Windows Media runtime and the audio engine's
// start-up error. The engine's port (engine/frontend.h) extends this
// interface, so the window, the terminal front end and the tests answer it;
// the decode layer sees nothing else of them. Called on the user-interface
// thread only.
#pragma once

#include <string>

namespace sondrel {

enum class MessageIcon { Information, Exclamation, Question };

class UserPrompts {
 public:
  virtual ~UserPrompts() = default;

  // A message box captioned with the product name.
  virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
  // A Yes/No question; true for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
  // Opens a document, folder or web address with the desktop's handler.
  virtual void OpenDocument(const std::string& pathOrUrl) = 0;
};

}  // namespace sondrel
