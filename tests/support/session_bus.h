// A private D-Bus session bus for one test (a dbus-daemon of its own in a
// temporary folder, with no services to start), and a stand-in for the
// desktop's file manager that records the ShowItems calls it gets.
#pragma once

#include <sys/types.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace sondrel::test {

// Starts dbus-daemon and points DBUS_SESSION_BUS_ADDRESS at it for the
// object's life. Address() is empty when the daemon could not start.
class PrivateSessionBus {
 public:
  PrivateSessionBus();
  ~PrivateSessionBus();
  PrivateSessionBus(const PrivateSessionBus&) = delete;
  PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

  const std::string& Address() const { return m_address; }

 private:
  TempDir m_dir;
  pid_t m_pid = -1;
  std::string m_address;
  std::unique_ptr<ScopedEnv> m_env;
};

// Owns org.freedesktop.FileManager1 on the bus at `address` and serves
// ShowItems(as uris, s startup_id) on a thread of its own; with `fail` it
// answers every call with an error.
class FakeFileManager {
 public:
  explicit FakeFileManager(const std::string& address, bool fail = false);
  ~FakeFileManager();
  FakeFileManager(const FakeFileManager&) = delete;
  FakeFileManager& operator=(const FakeFileManager&) = delete;

  // Whether it owns the name and serves calls.
  bool Ready() const { return m_ready; }
  // The URI lists of the calls so far, oldest first.
  std::vector<std::vector<std::string>> Calls() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> m_impl;
  bool m_ready = false;
};

}  // namespace sondrel::test
