// Showing a file selected in the desktop's file manager: the
// org.freedesktop.FileManager1 ShowItems call on the session bus, with the
// file as a percent-encoded file:// URI, so no command line is ever built
// from a path. No wx here; called on the user-interface thread.
#pragma once

#include <functional>
#include <string>

namespace sondrel {

// How long ShowItems may take, including starting the file manager.
inline constexpr int kShowItemsTimeoutMs = 8000;

// The file:// URI of a path (made absolute against the working folder):
// every byte outside the characters a URI path allows is percent-encoded,
// so quotes, '#', '%', blanks, newlines and bytes that are not UTF-8 survive.
// Empty when the path is empty.
std::string FileUri(const std::string& path);

// Asks the file manager on the session bus to show `path` selected in its
// folder. False when there is no session bus, no file manager on it, or the
// call fails or takes longer than `timeoutMs`. Each call uses a connection
// of its own to the bus that DBUS_SESSION_BUS_ADDRESS (or the desktop's
// default) names at that moment.
bool ShowItemsOnSessionBus(const std::string& path, int timeoutMs = kShowItemsTimeoutMs);

// The folder that holds `path` (made absolute); "/" for a top-level entry.
std::string ContainingFolder(const std::string& path);

// ShowItemsOnSessionBus, and when that fails `openFolder` (may be null) with
// the folder that holds `path`.
void ShowInFolder(const std::string& path,
                  const std::function<void(const std::string& folder)>& openFolder);

}  // namespace sondrel
