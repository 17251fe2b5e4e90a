// An output file that appears whole or not at all.
//
// A writer is given a hidden temporary file in the target's own folder,
// ".<target name>.sondrel-XXXXXX" (created exclusively, mode 0600, so no one
// else can pre-place or read it); only a finished file is renamed onto the
// target. Until then the target keeps what it had, and a failed, cancelled
// or killed conversion leaves at most the hidden temporary, which any
// failure path and the interrupt handler remove.
//
// One AtomicOutput belongs to one conversion; several may live at once on
// different threads. RemovePendingOutputs may be called from a signal
// handler.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <string_view>

namespace sondrel {

// The part of a temporary output's name between the target name and the
// random letters: ".<target name>.sondrel-XXXXXX".
inline constexpr std::string_view kTemporaryOutputMark = ".sondrel-";

class AtomicOutput {
 public:
  // Whether the commit may replace a file that is at the target then.
  enum class Replace { Never, Allowed };

  // Creates the temporary beside `target`; null (errno kept) when the
  // folder does not allow it, when something is at the target under
  // Replace::Never, or when what is there is neither a file nor a link.
  static std::unique_ptr<AtomicOutput> Create(const std::string& target, Replace replace);
  // Removes the temporary unless it was committed.
  ~AtomicOutput();
  AtomicOutput(const AtomicOutput&) = delete;
  AtomicOutput& operator=(const AtomicOutput&) = delete;

  const std::string& Target() const { return m_target; }
  // The file a writer writes; it may change at Restart.
  const std::string& TempPath() const { return m_temp; }

  // Before each attempt: the temporary empty again, made anew when a failed
  // writer removed it. False when that is not possible.
  bool Restart();

  // After the writer closed its file: flushes it to the disk, gives it the
  // mode a new file gets under the umask and renames it onto the target.
  // False (temporary removed, target untouched, errno kept) when any step
  // fails, when a writer replaced the temporary, or, with Replace::Never,
  // when a file appeared at the target meanwhile (errno EEXIST).
  bool Commit();

  // Removes the temporary now; nothing happens after a commit.
  void Discard();

  // The identity of the temporary, which the target has after the commit.
  dev_t Device() const { return m_device; }
  ino_t Inode() const { return m_inode; }

 private:
  AtomicOutput(std::string target, Replace replace)
      : m_target(std::move(target)), m_replace(replace) {}
  bool MakeTemp();
  bool IsStillOurs() const;
  void CloseAndForget();

  std::string m_target;
  Replace m_replace;
  std::string m_temp;
  int m_fd = -1;    // the temporary, open from its creation to the end
  int m_slot = -1;  // its place in the list the interrupt handler removes
  dev_t m_device = 0;
  ino_t m_inode = 0;
  bool m_committed = false;
};

// The hidden temporary name for `target` with `letters` as its random part
// (the target's name is shortened in it when the whole would be too long).
std::string TemporaryOutputName(const std::string& target, std::string_view letters);

// Whether a file name has the pattern of our temporary outputs.
bool IsTemporaryOutputName(std::string_view name);

// The mode of a new regular file under the process's umask (0644 under 022).
mode_t NewFileMode();

// Unlinks every temporary not yet committed or discarded. Async-signal-safe:
// for an interrupt handler that ends the program at once.
void RemovePendingOutputs();

}  // namespace sondrel
