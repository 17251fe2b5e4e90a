#include "platform/file_manager.h"

#include <gio/gio.h>

#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/c_handle.h"

namespace sondrel {
namespace fs = std::filesystem;
namespace {

using GText = CHandle<gchar, g_free>;

fs::path Absolute(const std::string& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(path, error);
  return error ? fs::path(path) : absolute;
}

constexpr const char* kFileManagerName = "org.freedesktop.FileManager1";
constexpr const char* kFileManagerPath = "/org/freedesktop/FileManager1";

}  // namespace

std::string FileUri(const std::string& path) {
  if (path.empty()) return std::string();
  GText uri(g_filename_to_uri(Absolute(path).c_str(), nullptr, nullptr));
  return uri ? std::string(uri.get()) : std::string();
}

bool ShowItemsOnSessionBus(const std::string& path, int timeoutMs) {
  const std::string uri = FileUri(path);
  if (uri.empty()) return false;
  // A connection of our own: the process-wide one would keep the bus that
  // was current when it was first made.
  GText address(g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
  if (!address) return false;
  CHandle<GDBusConnection, g_object_unref> bus(g_dbus_connection_new_for_address_sync(
      address.get(),
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, nullptr));
  if (!bus) return false;
  const gchar* uris[] = {uri.c_str(), nullptr};
  // The second argument is the startup notification id; none here.
  CHandle<GVariant, g_variant_unref> reply(
      g_dbus_connection_call_sync(bus.get(), kFileManagerName, kFileManagerPath, kFileManagerName,
                                  "ShowItems", g_variant_new("(^ass)", uris, ""), nullptr,
                                  G_DBUS_CALL_FLAGS_NONE, timeoutMs, nullptr, nullptr));
  g_dbus_connection_close_sync(bus.get(), nullptr, nullptr);
  return reply != nullptr;
}

std::string ContainingFolder(const std::string& path) {
  const fs::path absolute = Absolute(path);
  fs::path folder = absolute.parent_path();
  // "/a/b/" names the folder b: its parent is /a.
  if (!absolute.has_filename() && folder.has_parent_path()) folder = folder.parent_path();
  return folder.empty() ? std::string("/") : folder.string();
}

void ShowInFolder(const std::string& path,
                  const std::function<void(const std::string& folder)>& openFolder) {
  if (ShowItemsOnSessionBus(path)) return;
  if (openFolder) openFolder(ContainingFolder(path));
}

}  // namespace sondrel
