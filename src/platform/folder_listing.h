// Reading a folder's entries for the folder searches: the names it holds,
// which of them are folders (links followed), and the folder's identity on
// disk so that a search can tell a folder it has seen before, whatever the
// path that reached it. Any thread may call these.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sondrel {

// A folder's device and inode numbers.
struct FolderIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  auto operator<=>(const FolderIdentity&) const = default;
};

struct FolderListing {
  FolderIdentity identity;
  // The entries' names (never "." or ".."), sorted in byte order: files
  // (and everything that is not a folder, broken links included) and
  // folders (links to folders included) apart.
  std::vector<std::string> files;
  std::vector<std::string> folders;
};

// Reads `folder`; false when it cannot be opened or read (the listing is
// then empty).
bool ReadFolder(const std::string& folder, FolderListing& listing);

// True when `path` names a folder or a link to one.
bool IsFolder(const std::string& path);

// `folder` and `name` joined with one '/' between them.
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace sondrel
