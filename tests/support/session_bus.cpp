#include "support/session_bus.h"

#include <gio/gio.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <future>

namespace sondrel::test {

PrivateSessionBus::PrivateSessionBus() {
  const std::string config = m_dir.File("session.conf");
  std::ofstream(config) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus "
                           "Configuration 1.0//EN\"\n"
                           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                           "<busconfig>\n"
                           "  <type>session</type>\n"
                           "  <listen>unix:dir="
                        << m_dir.Path().string()
                        << "</listen>\n"
                           "  <auth>EXTERNAL</auth>\n"
                           "  <policy context=\"default\">\n"
                           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                           "    <allow eavesdrop=\"true\"/>\n"
                           "    <allow own=\"*\"/>\n"
                           "  </policy>\n"
                           "</busconfig>\n";
  const std::string configArg = "--config-file=" + config;
  gchar* argv[] = {const_cast<gchar*>("dbus-daemon"), const_cast<gchar*>(configArg.c_str()),
                   const_cast<gchar*>("--print-address=1"), const_cast<gchar*>("--nofork"),
                   nullptr};
  GPid pid = 0;
  gint out = -1;
  if (!g_spawn_async_with_pipes(
          nullptr, argv, nullptr,
          static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD |
                                   G_SPAWN_STDERR_TO_DEV_NULL),
          nullptr, nullptr, &pid, nullptr, &out, nullptr, nullptr)) {
    return;
  }
  m_pid = pid;
  // The daemon prints its address once it listens.
  std::string line;
  char c = 0;
  while (read(out, &c, 1) == 1 && c != '\n') line += c;
  close(out);
  m_address = line;
  if (!m_address.empty()) {
    m_env = std::make_unique<ScopedEnv>("DBUS_SESSION_BUS_ADDRESS", m_address.c_str());
  }
}

PrivateSessionBus::~PrivateSessionBus() {
  m_env.reset();
  if (m_pid > 0) {
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
  }
}

struct FakeFileManager::Impl {
  std::string address;
  bool fail = false;
  GMainContext* context = nullptr;
  GMainLoop* loop = nullptr;
  std::thread thread;
  mutable std::mutex mutex;
  std::vector<std::vector<std::string>> calls;

  static void OnCall(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                     const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation,
                     gpointer self) {
    auto* impl = static_cast<Impl*>(self);
    if (g_strcmp0(method, "ShowItems") != 0) {
      g_dbus_method_invocation_return_dbus_error(
          invocation, "org.freedesktop.DBus.Error.UnknownMethod", "only ShowItems");
      return;
    }
    GVariant* uris = g_variant_get_child_value(parameters, 0);
    std::vector<std::string> list;
    gsize count = 0;
    const gchar** texts = g_variant_get_strv(uris, &count);
    for (gsize i = 0; i < count; ++i) list.emplace_back(texts[i]);
    g_free(texts);
    g_variant_unref(uris);
    {
      std::lock_guard<std::mutex> lock(impl->mutex);
      impl->calls.push_back(std::move(list));
    }
    if (impl->fail) {
      g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.DBus.Error.Failed",
                                                 "cannot show");
    } else {
      g_dbus_method_invocation_return_value(invocation, nullptr);
    }
  }

  // Runs on the thread: connect, own the name, serve until the loop quits.
  void Serve(std::promise<bool>& ready) {
    g_main_context_push_thread_default(context);
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    bool ok = bus != nullptr;
    guint registration = 0;
    if (ok) {
      static const char kXml[] =
          "<node><interface name='org.freedesktop.FileManager1'>"
          "<method name='ShowItems'><arg type='as' name='uris' direction='in'/>"
          "<arg type='s' name='startup_id' direction='in'/></method>"
          "</interface></node>";
      GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kXml, nullptr);
      static const GDBusInterfaceVTable kVtable = {&Impl::OnCall, nullptr, nullptr, {}};
      registration =
          g_dbus_connection_register_object(bus, "/org/freedesktop/FileManager1",
                                            node->interfaces[0], &kVtable, this, nullptr, nullptr);
      g_dbus_node_info_unref(node);
      // RequestName with DO_NOT_QUEUE: 1 = now the primary owner.
      GVariant* reply = g_dbus_connection_call_sync(
          bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
          "RequestName", g_variant_new("(su)", "org.freedesktop.FileManager1", 4u),
          G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
      guint32 result = 0;
      if (reply) {
        g_variant_get(reply, "(u)", &result);
        g_variant_unref(reply);
      }
      ok = registration != 0 && result == 1;
    }
    ready.set_value(ok);
    if (ok) g_main_loop_run(loop);
    if (bus) {
      if (registration) g_dbus_connection_unregister_object(bus, registration);
      g_dbus_connection_close_sync(bus, nullptr, nullptr);
      g_object_unref(bus);
    }
    g_main_context_pop_thread_default(context);
  }
};

FakeFileManager::FakeFileManager(const std::string& address, bool fail)
    : m_impl(std::make_unique<Impl>()) {
  m_impl->address = address;
  m_impl->fail = fail;
  m_impl->context = g_main_context_new();
  m_impl->loop = g_main_loop_new(m_impl->context, FALSE);
  std::promise<bool> ready;
  std::future<bool> answer = ready.get_future();
  m_impl->thread = std::thread([this, &ready] { m_impl->Serve(ready); });
  m_ready = answer.get();
}

FakeFileManager::~FakeFileManager() {
  // Quit from inside the loop's own context, so a quit before the loop runs
  // is not lost.
  g_main_context_invoke(
      m_impl->context,
      [](gpointer loop) {
        g_main_loop_quit(static_cast<GMainLoop*>(loop));
        return G_SOURCE_REMOVE;
      },
      m_impl->loop);
  m_impl->thread.join();
  g_main_loop_unref(m_impl->loop);
  g_main_context_unref(m_impl->context);
}

std::vector<std::vector<std::string>> FakeFileManager::Calls() const {
  std::lock_guard<std::mutex> lock(m_impl->mutex);
  return m_impl->calls;
}

}  // namespace sondrel::test
