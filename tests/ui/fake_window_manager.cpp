#include "fake_window_manager.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <memory>

namespace sondrel::test {
namespace {

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};

// The mapped windows below `parent` named `title`, searched depth first (a
// reparenting window manager would put frames in between); stops at the
// first unless `all`.
void FindMapped(Display* display, Window parent, const std::string& title, bool all,
                std::vector<Window>& found) {
  Window root = 0, unused = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, parent, &root, &unused, &children, &count)) return;
  for (unsigned int i = 0; i < count && (all || found.empty()); ++i) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, children[i], &attributes) ||
        attributes.map_state != IsViewable) {
      continue;
    }
    char* name = nullptr;
    bool named = false;
    if (XFetchName(display, children[i], &name) && name) {
      named = title == name;
      XFree(name);
    }
    if (named) {
      found.push_back(children[i]);
    } else {
      FindMapped(display, children[i], title, all, found);
    }
  }
  if (children) XFree(children);
}

Window FindMapped(Display* display, Window parent, const std::string& title) {
  std::vector<Window> found;
  FindMapped(display, parent, title, false, found);
  return found.empty() ? 0 : found.front();
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

std::vector<wxRect> MappedWindows(const std::string& title) {
  std::vector<wxRect> rects;
  std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
  if (!display) return rects;
  const Window root = DefaultRootWindow(display.get());
  std::vector<Window> found;
  FindMapped(display.get(), root, title, true, found);
  for (const Window window : found) {
    XWindowAttributes a;
    int x = 0, y = 0;
    Window child = 0;
    if (!XGetWindowAttributes(display.get(), window, &a) ||
        !XTranslateCoordinates(display.get(), window, root, 0, 0, &x, &y, &child)) {
      continue;
    }
    rects.emplace_back(x, y, a.width, a.height);
  }
  return rects;
}

bool ClickOnScreen(const wxPoint& point) {
  std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
  int event = 0, error = 0, major = 0, minor = 0;
  if (!display || !XTestQueryExtension(display.get(), &event, &error, &major, &minor)) {
    return false;
  }
  XTestFakeMotionEvent(display.get(), -1, point.x, point.y, CurrentTime);
  XTestFakeButtonEvent(display.get(), 1, True, CurrentTime);
  XTestFakeButtonEvent(display.get(), 1, False, CurrentTime);
  XSync(display.get(), False);
  return true;
}

}  // namespace sondrel::test
