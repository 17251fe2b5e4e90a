// The temporary-then-rename output file, and the list of temporaries that
// an interrupt handler can remove without taking locks or allocating.
#include "platform/atomic_output.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <random>

namespace sondrel {

namespace {

constexpr std::string_view kLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kRandomLetters = 6;
constexpr int kMaxTries = 1000;

// The temporaries the interrupt handler removes. A slot is claimed with a
// compare-and-swap, filled, then published; the handler only reads
// published slots. Paths of PATH_MAX bytes or more cannot be opened anyway.
enum SlotState : int { kFree = 0, kFilling = 1, kPublished = 2 };
struct PendingSlot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};
constexpr int kSlotCount = 128;
PendingSlot g_pending[kSlotCount];

int RegisterPending(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlotCount; ++i) {
    int expected = kFree;
    if (g_pending[i].state.compare_exchange_strong(expected, kFilling)) {
      std::memcpy(g_pending[i].path, path.c_str(), path.size() + 1);
      g_pending[i].state.store(kPublished, std::memory_order_release);
      return i;
    }
  }
  return -1;  // the cancel path of the run still removes it
}

void UnregisterPending(int slot) {
  if (slot >= 0) g_pending[slot].state.store(kFree, std::memory_order_release);
}

std::string RandomLetters() {
  unsigned char bytes[kRandomLetters];
  if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    static thread_local std::minstd_rand engine(static_cast<unsigned>(
        std::chrono::steady_clock::now().time_since_epoch().count() ^ getpid()));
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(engine());
  }
  std::string letters;
  for (unsigned char b : bytes) letters += kLetters[b % kLetters.size()];
  return letters;
}

// The folder part of a path with its separator; empty for a bare name.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Best effort: the rename itself reaches the disk (not every file system
// can sync a folder; the file is safe either way).
void SyncFolder(const std::string& path) {
  const std::string folder = FolderOf(path);
  const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// Moves `from` onto `to` unless something is at `to` (errno EEXIST then).
bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
  // A file system without that flag: a hard link fails when the name is taken.
  if (link(from.c_str(), to.c_str()) == 0) {
    unlink(from.c_str());
    return true;
  }
  if (errno == EEXIST) return false;
  // Without hard links either (FAT): look, then rename.
  struct stat st;
  if (lstat(to.c_str(), &st) == 0) {
    errno = EEXIST;
    return false;
  }
  return rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

std::string TemporaryOutputName(const std::string& target, std::string_view letters) {
  const std::string folder = FolderOf(target);
  std::string name = target.substr(folder.size());
  const size_t fixed = 1 + kTemporaryOutputMark.size() + letters.size();
  if (fixed + name.size() > NAME_MAX) {
    size_t cut = NAME_MAX > fixed ? NAME_MAX - fixed : 0;
    // Never in the middle of a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  return folder + "." + name + std::string(kTemporaryOutputMark) + std::string(letters);
}

bool IsTemporaryOutputName(std::string_view name) {
  const size_t mark = name.rfind(kTemporaryOutputMark);
  if (name.empty() || name[0] != '.' || mark == std::string_view::npos || mark < 1) return false;
  const std::string_view letters = name.substr(mark + kTemporaryOutputMark.size());
  if (letters.size() != kRandomLetters) return false;
  for (char c : letters) {
    if (kLetters.find(c) == std::string_view::npos) return false;
  }
  return true;
}

mode_t NewFileMode() {
  // The umask cannot be read without setting it, which would race with
  // other threads creating files; the kernel shows it here.
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    unsigned mask = 0;
    if (std::sscanf(line.c_str(), "Umask: %o", &mask) == 1)
      return 0666 & ~static_cast<mode_t>(mask);
  }
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  const mode_t mask = umask(022);
  umask(mask);
  return 0666 & ~mask;
}

void RemovePendingOutputs() {
  for (PendingSlot& slot : g_pending) {
    if (slot.state.load(std::memory_order_acquire) == kPublished) unlink(slot.path);
  }
}

std::unique_ptr<AtomicOutput> AtomicOutput::Create(const std::string& target, Replace replace) {
  if (target.empty() || target.back() == '/') {
    errno = EISDIR;
    return nullptr;
  }
  // Only a file or a link (replaced itself, not written through) may be
  // replaced; a folder, a pipe or a device at the target is left alone.
  struct stat st;
  if (lstat(target.c_str(), &st) == 0) {
    if (replace == Replace::Never) {
      errno = EEXIST;
      return nullptr;
    }
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
      errno = S_ISDIR(st.st_mode) ? EISDIR : EEXIST;
      return nullptr;
    }
  }
  std::unique_ptr<AtomicOutput> output(new AtomicOutput(target, replace));
  if (!output->MakeTemp()) return nullptr;
  return output;
}

AtomicOutput::~AtomicOutput() { Discard(); }

bool AtomicOutput::MakeTemp() {
  for (int i = 0; i < kMaxTries; ++i) {
    const std::string temp = TemporaryOutputName(m_target, RandomLetters());
    const int fd = open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    struct stat st;
    // 0600 whatever the umask, so that the writers can open it again.
    if (fchmod(fd, 0600) != 0 || fstat(fd, &st) != 0) {
      const int error = errno;
      unlink(temp.c_str());
      close(fd);
      errno = error;
      return false;
    }
    m_temp = temp;
    m_fd = fd;
    m_device = st.st_dev;
    m_inode = st.st_ino;
    m_slot = RegisterPending(temp);
    return true;
  }
  errno = EEXIST;
  return false;
}

bool AtomicOutput::IsStillOurs() const {
  struct stat st;
  return m_fd >= 0 && lstat(m_temp.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         st.st_dev == m_device && st.st_ino == m_inode;
}

void AtomicOutput::CloseAndForget() {
  UnregisterPending(m_slot);
  m_slot = -1;
  if (m_fd >= 0) close(m_fd);
  m_fd = -1;
}

bool AtomicOutput::Restart() {
  if (m_committed) return false;
  if (IsStillOurs()) return ftruncate(m_fd, 0) == 0;
  CloseAndForget();
  return MakeTemp();
}

bool AtomicOutput::Commit() {
  if (m_committed) return true;
  auto fail = [this](int error) {
    Discard();
    errno = error;
    return false;
  };
  if (!IsStillOurs()) return fail(EIO);
  if (fsync(m_fd) != 0) return fail(errno);
  if (fchmod(m_fd, NewFileMode()) != 0) return fail(errno);
  const bool moved = m_replace == Replace::Allowed ? rename(m_temp.c_str(), m_target.c_str()) == 0
                                                   : RenameNoReplace(m_temp, m_target);
  if (!moved) return fail(errno);
  m_committed = true;
  CloseAndForget();
  SyncFolder(m_target);
  return true;
}

void AtomicOutput::Discard() {
  if (m_committed || m_fd < 0) return;
  if (IsStillOurs()) unlink(m_temp.c_str());
  CloseAndForget();
}

}  // namespace sondrel
