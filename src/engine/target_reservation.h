// The outputs of one run: which names it has reserved or written, which
// files it reads, and the reserved target of one item, written through a
// hidden temporary that becomes the target only when the item succeeded.
//
// Choosing a name and reserving it is one step under the run's lock, so
// that two items never get one name, even when several are converted at
// once; "Overwrite" then replaces only files that existed before the run.
#pragma once

#include <sys/types.h>

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/atomic_output.h"

namespace sondrel {

struct FileItem;

class RunTargets {
 public:
  // Records the sources of the run: their paths and their file identities.
  explicit RunTargets(const std::vector<FileItem*>& items);
  RunTargets(const RunTargets&) = delete;
  RunTargets& operator=(const RunTargets&) = delete;

  // Held across choosing a name and creating its temporary; every call
  // below expects it held.
  std::mutex& Mutex() { return m_mutex; }

  // A name this run reserved or wrote, also when `path` reaches a written
  // file by another name.
  bool IsReserved(const std::string& path) const;
  // A source of the run, by path or as the same file.
  bool IsSource(const std::string& path) const;
  void Reserve(const std::string& path) { m_reserved.insert(path); }
  void Release(const std::string& path) { m_reserved.erase(path); }
  void MarkWritten(dev_t device, ino_t inode) { m_written.emplace(device, inode); }

 private:
  using Identity = std::pair<dev_t, ino_t>;
  std::mutex m_mutex;
  std::set<std::string> m_reserved;
  std::set<Identity> m_written;
  std::set<std::string> m_sourcePaths;
  std::set<Identity> m_sources;
};

// One item's target, reserved in its run. Destroyed without a commit (a
// failed, skipped or cancelled item) it removes its temporary, gives the
// name back and removes the folders made for it when they are empty.
class ReservedTarget {
 public:
  ReservedTarget(RunTargets& run, std::unique_ptr<AtomicOutput> output,
                 std::vector<std::string> createdFolders);
  ~ReservedTarget();
  ReservedTarget(const ReservedTarget&) = delete;
  ReservedTarget& operator=(const ReservedTarget&) = delete;

  const std::string& Path() const { return m_output->Target(); }
  // What the writer writes; call Restart before each attempt.
  const std::string& TempPath() const { return m_output->TempPath(); }
  bool Restart() { return m_output->Restart(); }
  // Puts the finished file at the target (see AtomicOutput::Commit).
  bool Commit();

 private:
  RunTargets& m_run;
  std::unique_ptr<AtomicOutput> m_output;
  std::vector<std::string> m_createdFolders;
  bool m_committed = false;
};

// Removes the folders of `created` (in the order they were made) that are
// empty, deepest first.
void RemoveEmptyFolders(const std::vector<std::string>& created);

}  // namespace sondrel
