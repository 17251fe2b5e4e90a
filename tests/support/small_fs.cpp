#include "support/small_fs.h"

#include <sys/mount.h>

#include <filesystem>
#include <system_error>

namespace sondrel::test {

SmallFileSystem::SmallFileSystem(const std::string& folder, size_t bytes) : m_folder(folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const std::string options = "size=" + std::to_string(bytes);
  m_mounted = mount("sondrel-test", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

SmallFileSystem::~SmallFileSystem() {
  if (m_mounted) umount2(m_folder.c_str(), MNT_DETACH);
}

}  // namespace sondrel::test
