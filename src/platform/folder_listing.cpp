#include "platform/folder_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/c_handle.h"

namespace sondrel {

namespace {

using FolderHandle = CHandle<DIR, closedir>;

// Whether an entry is a folder: the type the folder reports when it knows
// it, else what stat says through any link.
bool EntryIsFolder(const dirent& entry, const std::string& path) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) return false;
  return IsFolder(path);
}

}  // namespace

bool ReadFolder(const std::string& folder, FolderListing& listing) {
  listing = FolderListing{};
  FolderHandle dir(opendir(folder.c_str()));
  if (!dir) return false;
  struct stat info = {};
  if (fstat(dirfd(dir.get()), &info) != 0) return false;
  listing.identity = {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
  for (;;) {
    errno = 0;  // readdir's end and its failure differ only in errno
    const dirent* entry = readdir(dir.get());
    if (!entry) break;
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    (EntryIsFolder(*entry, JoinPath(folder, name)) ? listing.folders : listing.files)
        .push_back(name);
  }
  if (errno != 0) {
    listing = FolderListing{};
    return false;
  }
  std::sort(listing.files.begin(), listing.files.end());
  std::sort(listing.folders.begin(), listing.folders.end());
  return true;
}

bool IsFolder(const std::string& path) {
  struct stat info = {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace sondrel
