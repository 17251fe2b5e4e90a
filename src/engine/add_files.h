// Adding files to the list, shared by the window and the command-line front
// end: the duplicate check, the charset check, the probe through the opener,
// the report of the files that failed, and the adding window with Cancel.
//
// A command first collects its batch of paths in a step of its own (the Open
// dialog, a folder search with the filters and shortcuts, dropped files, the
// command line), optionally showing the adding window while it searches,
// and then hands the batch to AddPaths. Everything runs on the caller's
// thread and reaches the person only through the engine's port.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "decode/source_opener.h"
#include "engine/engine_state.h"
#include "engine/file_item.h"
#include "engine/folder_search.h"
#include "engine/frontend.h"

namespace sondrel {

// The paths that are in the list, keyed by this platform's rule for
// comparing paths: the exact text.
class DuplicateIndex {
 public:
  bool Contains(const std::string& path) const { return m_paths.count(path) != 0; }
  void Insert(const std::string& path) { m_paths.insert(path); }
  // For rows that leave the list.
  void Erase(const std::string& path) { m_paths.erase(path); }
  void Clear() { m_paths.clear(); }

 private:
  std::unordered_set<std::string> m_paths;
};

// Where a batch goes: the index of the listed paths and the list itself.
struct AddTarget {
  DuplicateIndex& listed;
  // Adds a row for a probed item; returns the row's index.
  std::function<int(FileItem item)> addRow;
};

// Classifies `path`, clears the FFmpeg-retry flag and opens it for probing.
// On success fills `item` (empty target) and returns true; otherwise returns
// false, leaving the CD hint in the opener's note for a CD track.
bool ProbeFile(SourceOpener& opener, const std::string& path, FileItem& item);

// Adds one file: the new row's index; 0 when the path is listed already (no
// row is added); -1 when no reader opens it. Callers only test for -1.
int AddOneFile(SourceOpener& opener, AddTarget& target, const std::string& path);

// How a batch ended.
struct AddResult {
  int failed = 0;  // paths that could not be added (duplicates are no failure)
  bool cancelled = false;
  bool operator==(const AddResult&) const = default;
};

// Adds a batch with the main window busy: the adding window shows
// "[n/total] Adding file <name>..." and a bar over the batch, messages are
// pumped after every file, and Cancel stops after the current one (the
// files added so far stay). A name the locale's charset cannot show fails
// without being opened. At the end the window is closed and, when files
// failed, one message lists them (AddFailureReport). `progress` is the
// window a search step showed already; null makes one.
AddResult AddPaths(EngineState& state, AddTarget& target, const std::vector<std::string>& paths,
                   std::unique_ptr<ProgressWindow> progress = nullptr);

// Adds the files below one folder (Add Folder): the adding window shows
// "Searching files..." while CollectFiles gathers the batch, then carries
// AddPaths. The main window is busy from the search on; the search pumps
// messages after each folder, and Cancel during it adds nothing. An empty
// batch closes the window without a message.
AddResult AddFolderPath(EngineState& state, AddTarget& target, const SearchFilters& filters,
                        const std::string& folder);

// Adds dropped paths, or paths named on a command line, the same way:
// folders are searched, other paths pass AcceptCandidate (CollectPaths).
AddResult AddDroppedPaths(EngineState& state, AddTarget& target, const SearchFilters& filters,
                          const std::vector<std::string>& paths);

// The paths of one batch that failed to load, and the message telling them.
class AddFailureReport {
 public:
  void Clear();
  // A path that failed; `charset` when it failed for its name's characters;
  // `reason` when the file could not be read at all (the system's reason,
  // shown after the path in parentheses).
  void Add(const std::string& path, bool charset, const std::string& reason = {});
  bool Empty() const { return m_count == 0; }
  int Count() const { return m_count; }
  // "Failed to load the following files.\n\n" with at most 30 paths, then
  // the charset hint, or the note, or the request to send the files in; the
  // request only when a file failed for no reason given.
  std::string Message(const std::string& note) const;

 private:
  std::string m_list;
  int m_count = 0;
  int m_unexplained = 0;  // failures without a charset problem or a reason
  bool m_charset = false;
};

}  // namespace sondrel
