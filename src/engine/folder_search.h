// Gathering a batch of paths to add: searching folders and their subfolders,
// and the filters every found or dropped file passes (hidden files, the
// extension list, shortcuts). Shared by the window's Add Folder and drop,
// `sondrel FILE...` and sondrel-cli. No wx here; the caller's thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/settings.h"

namespace sondrel {

// The filters of the General options page that decide which found or
// dropped files enter a batch.
struct SearchFilters {
  bool skipHidden = false;              // DoNotLoadHiddenFiles: names starting with '.'
  bool filterExtensions = false;        // EnableExtFilter
  std::vector<std::string> extensions;  // lower case, without the dot

  static SearchFilters From(const ConvertSettings& settings);
  bool operator==(const SearchFilters&) const = default;
};

// Shortcuts followed for one file at most: a chain that leads back to itself
// (or is merely long) ends there and the file is left out.
inline constexpr int kMaxShortcutsPerFile = 16;

// Applies the filters to one found or dropped file and appends what
// survives to `list`. A file the filters would leave out whose extension is
// ".lnk" (any case) is a shortcut: its target takes its place and is
// checked again; a shortcut that cannot be resolved is left out. With
// neither filter on, a shortcut enters the batch as itself.
void AcceptCandidate(const std::string& path, const SearchFilters& filters,
                     std::vector<std::string>& list);

// Called after each folder is read during a search; returns false to stop
// the search (the files found so far stay in the list). May be empty.
using SearchProgress = std::function<bool()>;

// Appends the accepted files below `folder` to `list`: first the folder's
// own files, then each subfolder's, depth first (a subfolder before its own
// subfolders); within a folder in name order (byte order). Hidden folders
// are searched like any other. Links to folders are followed, but a folder
// already searched in this call (same device and inode) is not searched
// again, so a link to a parent ends. A folder that cannot be read
// contributes nothing. Returns false only when `progress` stopped it.
bool CollectFiles(const std::string& folder, const SearchFilters& filters,
                  std::vector<std::string>& list, const SearchProgress& progress = {});

// The batch of dropped paths (or of paths named on a command line): a folder
// is searched with CollectFiles, any other path goes to AcceptCandidate.
// Empty paths are skipped. Returns false only when `progress` stopped it.
bool CollectPaths(const std::vector<std::string>& paths, const SearchFilters& filters,
                  std::vector<std::string>& list, const SearchProgress& progress = {});

}  // namespace sondrel
