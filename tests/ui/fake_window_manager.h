// What a window manager does to a window, for the window tests that run on a
// bare virtual display (which has none).
#pragma once

#include <string>

namespace sondrel::test {

// Minimises the top-level window titled `title` the way a window manager
// does: it unmaps the window's X window from outside the program. GTK then
// reports the window as iconified. False when no such window is mapped.
bool MinimiseLikeAWindowManager(const std::string& title);

}  // namespace sondrel::test
