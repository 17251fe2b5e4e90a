// Folders of this system (documents, program, installed data) and the shared
// file queries.
#include "platform/paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace sondrel {
namespace fs = std::filesystem;
namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  if (const passwd* entry = getpwuid(getuid());
      entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') {
    return entry->pw_dir;
  }
  return std::string();
}

std::string ConfigFolder(const std::string& home) {
  // Only an absolute XDG_CONFIG_HOME counts; a relative one is ignored.
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
    return config;
  }
  return home + "/.config";
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The XDG_DOCUMENTS_DIR line of user-dirs.dirs: a double-quoted path that is
// absolute or starts with $HOME, with backslash escapes. Empty when absent.
std::string DocumentsFromUserDirs(const std::string& home) {
  std::ifstream file(ConfigFolder(home) + "/user-dirs.dirs");
  std::string result;
  std::string line;
  while (std::getline(file, line)) {
    size_t pos = line.find_first_not_of(" \t");
    if (pos == std::string::npos || line[pos] == '#') continue;
    static constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR";
    if (line.compare(pos, kKey.size(), kKey) != 0) continue;
    pos = line.find_first_not_of(" \t", pos + kKey.size());
    if (pos == std::string::npos || line[pos] != '=') continue;
    pos = line.find_first_not_of(" \t", pos + 1);
    if (pos == std::string::npos || line[pos] != '"') continue;
    std::string value;
    bool closed = false;
    for (++pos; pos < line.size(); ++pos) {
      if (line[pos] == '\\' && pos + 1 < line.size()) {
        value += line[++pos];
      } else if (line[pos] == '"') {
        closed = true;
        break;
      } else {
        value += line[pos];
      }
    }
    if (!closed) continue;
    static constexpr std::string_view kHome = "$HOME";
    if (value.compare(0, kHome.size(), kHome) == 0 &&
        (value.size() == kHome.size() || value[kHome.size()] == '/')) {
      result = home + value.substr(kHome.size());
    } else if (!value.empty() && value[0] == '/') {
      result = value;
    }
    // The last valid line wins, as when the file is sourced by a shell.
  }
  return WithoutTrailingSlashes(result);
}

}  // namespace

std::string DocumentsFolder() {
  const std::string home = HomeFolder();
  if (home.empty()) return std::string();
  std::string folder = DocumentsFromUserDirs(home);
  if (folder.empty()) folder = WithoutTrailingSlashes(home) + "/Documents";
  std::error_code error;
  if (fs::is_directory(folder, error)) return folder;
  fs::create_directories(folder, error);
  return fs::is_directory(folder, error) ? folder : std::string();
}

std::string ProgramFolder() {
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/self/exe", error);
  if (error || !exe.has_parent_path()) return std::string();
  std::string folder = exe.parent_path().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string DataFolder() {
  const std::string program = ProgramFolder();
  if (program.empty()) return std::string();
  // <prefix>/bin/ -> <prefix>/share/sondrel/
  const fs::path prefix = fs::path(program).parent_path().parent_path();
  std::string folder = (prefix / "share" / "sondrel").string();
  folder += '/';
  return folder;
}

std::string FindDataFile(const std::string& name) {
  const std::string beside = ProgramFolder() + name;
  std::error_code error;
  if (!ProgramFolder().empty() && fs::is_regular_file(beside, error)) return beside;
  return DataFolder() + name;
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

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  std::string whole = path;
  if (path[0] != '/') {
    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
    if (ec) return path;
    whole = cwd.string() + "/" + path;
  }
  std::string result;
  size_t start = 0;
  while (start <= whole.size()) {
    size_t end = whole.find('/', start);
    if (end == std::string::npos) end = whole.size();
    const std::string_view part(whole.data() + start, end - start);
    if (!part.empty() && part != ".") {
      result += '/';
      result += part;
    }
    start = end + 1;
  }
  // A trailing separator says "a folder"; keep it.
  if (result.empty() || whole.back() == '/') result += '/';
  return result;
}

std::string FileNameOf(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool GetFileSizeOf(const std::string& path, uint64_t& size) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (ec || !fs::is_regular_file(status)) return false;
  const uintmax_t bytes = fs::file_size(path, ec);
  if (ec) return false;
  size = bytes;
  return true;
}

}  // namespace sondrel
