// The help book: sondrel.htb (zipped HTML pages with their project, contents
// and index files, built from data/help/) shown by wxHtmlHelpController in a
// viewer titled "Sondrel Help". There is at most one viewer per process.
// User-interface thread only.
#pragma once

#include <string>

class wxFrame;

namespace sondrel {

inline constexpr const char* kHelpWindowTitle = "Sondrel Help";

// Opens the book found beside the program (else in the installed data
// folder) at its first page; maximised when asked (the first start). When
// the viewer is open already it is restored if minimised and raised instead.
// A book that is missing or cannot be read shows a message box saying so.
void ShowHelp(bool maximised = false);

// The same for the book at `bookPath`.
void ShowHelpBook(const std::string& bookPath, bool maximised = false);

// Closes the viewer if it is open (the main window does when it is
// destroyed).
void CloseHelp();

// The viewer's window, or null when none is open.
wxFrame* HelpWindow();

}  // namespace sondrel
