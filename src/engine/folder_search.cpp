#include "engine/folder_search.h"

#include <algorithm>
#include <optional>
#include <set>

#include "platform/folder_listing.h"
#include "platform/paths.h"
#include "platform/shell_link.h"
#include "platform/text.h"

namespace sondrel {

namespace {

// Whether the filters leave a file out, by its name and extension (no value
// for a name without '.').
bool LeftOut(const std::string& name, const std::optional<std::string>& extension,
             const SearchFilters& filters) {
  if (filters.skipHidden && !name.empty() && name[0] == '.') return true;
  if (!filters.filterExtensions) return false;
  if (!extension) return true;
  return std::find(filters.extensions.begin(), filters.extensions.end(), *extension) ==
         filters.extensions.end();
}

// One search over folders and dropped paths: the folders seen so far are
// shared, so a folder reached twice (through a link, or dropped together
// with a folder above it) is searched once.
class FolderSearch {
 public:
  FolderSearch(const SearchFilters& filters, std::vector<std::string>& list,
               const SearchProgress& progress)
      : m_filters(filters), m_list(list), m_progress(progress) {}

  // Depth first without recursion, so that a deep tree cannot exhaust the
  // stack: a folder's files, then each subfolder in turn with all below it.
  bool Search(const std::string& top) {
    std::vector<std::string> pending{top};
    while (!pending.empty()) {
      const std::string folder = std::move(pending.back());
      pending.pop_back();
      FolderListing listing;
      if (!ReadFolder(folder, listing) || !m_seen.insert(listing.identity).second) continue;
      for (const std::string& name : listing.files) {
        AcceptCandidate(JoinPath(folder, name), m_filters, m_list);
      }
      for (auto it = listing.folders.rbegin(); it != listing.folders.rend(); ++it) {
        pending.push_back(JoinPath(folder, *it));
      }
      if (m_progress && !m_progress()) return false;
    }
    return true;
  }

 private:
  const SearchFilters& m_filters;
  std::vector<std::string>& m_list;
  const SearchProgress& m_progress;
  std::set<FolderIdentity> m_seen;
};

}  // namespace

SearchFilters SearchFilters::From(const ConvertSettings& settings) {
  SearchFilters filters;
  filters.skipHidden = settings.DoNotLoadHiddenFiles != 0;
  filters.filterExtensions = settings.EnableExtFilter != 0;
  filters.extensions = settings.filterExtensions;
  return filters;
}

void AcceptCandidate(const std::string& path, const SearchFilters& filters,
                     std::vector<std::string>& list) {
  std::string candidate = path;
  for (int followed = 0;; ++followed) {
    const std::string name = FileNameOf(candidate);
    const size_t dot = name.rfind('.');
    std::optional<std::string> extension;
    if (dot != std::string::npos) extension = AsciiLower(name.substr(dot + 1));
    if (!LeftOut(name, extension, filters)) {
      list.push_back(std::move(candidate));
      return;
    }
    if (extension != "lnk" || followed == kMaxShortcutsPerFile) return;
    std::optional<std::string> target = ResolveShortcut(candidate);
    if (!target) return;
    candidate = std::move(*target);
  }
}

bool CollectFiles(const std::string& folder, const SearchFilters& filters,
                  std::vector<std::string>& list, const SearchProgress& progress) {
  return FolderSearch(filters, list, progress).Search(folder);
}

bool CollectPaths(const std::vector<std::string>& paths, const SearchFilters& filters,
                  std::vector<std::string>& list, const SearchProgress& progress) {
  FolderSearch search(filters, list, progress);
  for (const std::string& path : paths) {
    if (path.empty()) continue;
    if (IsFolder(path)) {
      if (!search.Search(path)) return false;
    } else {
      AcceptCandidate(path, filters, list);
    }
  }
  return true;
}

}  // namespace sondrel
