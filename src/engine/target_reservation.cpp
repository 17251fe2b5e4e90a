#include "engine/target_reservation.h"

#include <sys/stat.h>
#include <unistd.h>

#include "engine/file_item.h"

namespace sondrel {

RunTargets::RunTargets(const std::vector<FileItem*>& items) {
  for (const FileItem* item : items) {
    m_sourcePaths.insert(item->sourcePath);
    struct stat st;
    if (stat(item->sourcePath.c_str(), &st) == 0) m_sources.emplace(st.st_dev, st.st_ino);
  }
}

bool RunTargets::IsReserved(const std::string& path) const {
  if (m_reserved.count(path)) return true;
  struct stat st;
  return !m_written.empty() && stat(path.c_str(), &st) == 0 &&
         m_written.count({st.st_dev, st.st_ino}) != 0;
}

bool RunTargets::IsSource(const std::string& path) const {
  if (m_sourcePaths.count(path)) return true;
  struct stat st;
  return stat(path.c_str(), &st) == 0 && m_sources.count({st.st_dev, st.st_ino}) != 0;
}

ReservedTarget::ReservedTarget(RunTargets& run, std::unique_ptr<AtomicOutput> output,
                               std::vector<std::string> createdFolders)
    : m_run(run), m_output(std::move(output)), m_createdFolders(std::move(createdFolders)) {}

ReservedTarget::~ReservedTarget() {
  if (m_committed) return;
  std::lock_guard lock(m_run.Mutex());
  m_output->Discard();
  m_run.Release(m_output->Target());
  RemoveEmptyFolders(m_createdFolders);
}

bool ReservedTarget::Commit() {
  if (m_committed) return true;
  if (!m_output->Commit()) return false;
  m_committed = true;
  std::lock_guard lock(m_run.Mutex());
  m_run.MarkWritten(m_output->Device(), m_output->Inode());
  return true;
}

void RemoveEmptyFolders(const std::vector<std::string>& created) {
  // rmdir refuses a folder that is not empty, which is what keeps other
  // outputs (and their temporaries) safe.
  for (auto it = created.rbegin(); it != created.rend(); ++it) rmdir(it->c_str());
}

}  // namespace sondrel
