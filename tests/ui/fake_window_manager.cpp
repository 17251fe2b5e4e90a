#include "fake_window_manager.h"

#include <X11/Xlib.h>

#include <memory>

namespace sondrel::test {
namespace {

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};

// The mapped child of `parent` named `title`, searched depth first (a
// reparenting window manager would put frames in between).
Window FindMapped(Display* display, Window parent, const std::string& title) {
  Window root = 0, unused = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, parent, &root, &unused, &children, &count)) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < count && !found; ++i) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, children[i], &attributes) ||
        attributes.map_state != IsViewable) {
      continue;
    }
    char* name = nullptr;
    if (XFetchName(display, children[i], &name) && name) {
      if (title == name) found = children[i];
      XFree(name);
    }
    if (!found) found = FindMapped(display, children[i], title);
  }
  if (children) XFree(children);
  return found;
}

}  // namespace

bool MinimiseLikeAWindowManager(const std::string& title) {
  std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
  if (!display) return false;
  const Window window = FindMapped(display.get(), DefaultRootWindow(display.get()), title);
  if (!window) return false;
  XUnmapWindow(display.get(), window);
  XSync(display.get(), False);
  return true;
}

}  // namespace sondrel::test
