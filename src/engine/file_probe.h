// Probing a file for the list, and the report of the files that failed, as
// adding files does them; shared by the window and the command-line front end.
#pragma once

#include <string>

#include "decode/source_opener.h"
#include "engine/file_item.h"

namespace sondrel {

// Classifies `path`, clears the FFmpeg-retry flag and opens it for probing.
// On success fills `item` (empty target) and returns true; otherwise returns
// false, leaving the CD hint in the opener's note for a CD track.
bool ProbeFile(SourceOpener& opener, const std::string& path, FileItem& item);

// The paths of one batch that failed to load, and the message telling them.
class AddFailureReport {
 public:
  void Clear();
  // A path that failed; `charset` when it failed for its name's characters.
  void Add(const std::string& path, bool charset);
  bool Empty() const { return m_count == 0; }
  // "Failed to load the following files.\n\n" with the list, then the
  // charset hint, or the note, or the request to send the files in.
  std::string Message(const std::string& note) const;

 private:
  std::string m_list;
  int m_count = 0;
  bool m_charset = false;
};

}  // namespace sondrel
