#include "engine/target_naming.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace sondrel {

namespace fs = std::filesystem;

namespace {

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes one folder; one that appeared meanwhile counts when it is a folder.
bool MakeFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0777) == 0) return true;
  return errno == EEXIST && IsFolder(path);
}

}  // namespace

bool EnsureFolder(const std::string& path, bool create) {
  if (IsFolder(path)) return true;
  if (!create || path.empty()) return false;
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (part.empty() || part.back() == '/') continue;  // doubled separator
    if (FileExists(part)) {
      if (!IsFolder(part)) return false;
    } else if (!MakeFolder(part)) {
      return false;
    }
  }
  if (path.back() == '/') return true;
  if (!FileExists(path)) return MakeFolder(path);
  return IsFolder(path);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && lstat(path.c_str(), &st) == 0;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

}  // namespace sondrel
