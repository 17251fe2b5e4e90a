#include "engine/temp_name.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <random>

namespace sondrel {

namespace {

// Enough tries to get past any number of leftovers, but never endless.
constexpr unsigned kMaxTries = 100000;

unsigned PseudoRandom() {
  static thread_local std::minstd_rand engine(static_cast<unsigned>(
      std::chrono::steady_clock::now().time_since_epoch().count() ^ getpid()));
  return static_cast<unsigned>(engine());
}

}  // namespace

std::string TempFolder() {
  const char* dir = std::getenv("TMPDIR");
  return dir && *dir ? dir : "/tmp";
}

bool MakeTempName(const std::string& folder, const std::string& prefix,
                  const std::string& extension, std::string& path) {
  std::string base = folder.empty() ? TempFolder() : folder;
  if (base.back() != '/') base += '/';
  const auto ticks = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now().time_since_epoch())
                         .count();
  base += prefix + std::to_string(getpid()) + std::to_string(syscall(SYS_gettid)) +
          std::to_string(static_cast<unsigned long long>(ticks)) + std::to_string(PseudoRandom());
  for (unsigned counter = 1; counter <= kMaxTries; ++counter) {
    const std::string name = base + std::to_string(counter) + extension;
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0) {
      close(fd);
      path = name;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

}  // namespace sondrel
