// Names for temporary files that no one else can pre-place or read.
#pragma once

#include <string>

namespace sondrel {

// The system's temporary folder: $TMPDIR when set and not empty, else /tmp.
std::string TempFolder();

// Creates a new empty file exclusively (mode 0600) and gives its path: the
// folder (TempFolder() when empty; a separator is added when missing), the
// prefix, then in decimal the process id, the thread id, a tick count, a
// pseudo-random number and a counter from 1, then the extension (with its
// dot). A name whose file exists is never reused: the counter rises until a
// new file can be made. False when the folder does not allow it.
bool MakeTempName(const std::string& folder, const std::string& prefix,
                  const std::string& extension, std::string& path);

}  // namespace sondrel
