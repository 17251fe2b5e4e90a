// What a window manager does to a window, for the window tests that run on a
// bare virtual display (which has none).
#pragma once

#include <wx/gdicmn.h>

#include <string>
#include <vector>

namespace sondrel::test {

// Minimises the top-level window titled `title` the way a window manager
// does: it unmaps the window's X window from outside the program. GTK then
// reports the window as iconified. False when no such window is mapped.
bool MinimiseLikeAWindowManager(const std::string& title);

// The mapped top-level windows titled `title`, of any process on the
// display, with their places on the screen.
std::vector<wxRect> MappedWindows(const std::string& title);

// Presses and releases the first mouse button at a point of the screen, as a
// person does (through the XTest extension).
bool ClickOnScreen(const wxPoint& point);

}  // namespace sondrel::test
