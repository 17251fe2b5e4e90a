// A small file system that fills up: a tmpfs of a few KiB mounted for one
// test where the test may mount one (root with the capability).
#pragma once

#include <cstddef>
#include <string>

namespace sondrel::test {

class SmallFileSystem {
 public:
  // Mounts a tmpfs of `bytes` at `folder` (created when missing).
  SmallFileSystem(const std::string& folder, size_t bytes);
  // Unmounts it (with everything in it).
  ~SmallFileSystem();
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;

  // False where mounting is not allowed: the test skips with a message.
  bool Mounted() const { return m_mounted; }
  const std::string& Folder() const { return m_folder; }

 private:
  std::string m_folder;
  bool m_mounted = false;
};

}  // namespace sondrel::test
