// The Open dialog of Add Files: several files at once, each must exist, and
// the list of file-type filters with "All Files (*.*)" first. User-interface
// thread only.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class wxWindow;

namespace sondrel {

// One entry of the dialog's filter list: the text shown, and the
// extensions its pattern names (the text inside the parentheses, "*.ext"
// separated by ';'). "*.*" matches every name and gives no extension.
struct FileTypeFilter {
  std::string text;
  std::vector<std::string> extensions;
  bool matchesAll = false;

  // Whether a file name passes: its extension equals one of the filter's
  // without regard to ASCII case, so "SONG.MP3" shows under "*.mp3".
  bool Matches(std::string_view name) const;
};

// The 50 filters in the dialog's order.
const std::vector<FileTypeFilter>& OpenDialogFilters();

// What the dialog gave.
struct FileChoice {
  // The chosen files as full paths, as the file system spells them (not
  // necessarily UTF-8); empty when the user cancelled or the dialog failed.
  std::vector<std::string> paths;
  // Nonzero when the dialog itself failed.
  unsigned errorCode = 0;
};

// The code of a dialog that could not be created.
inline constexpr unsigned kDialogFailure = 0xFFFF;

// Shows the Open dialog over `owner` with the first filter chosen.
FileChoice ChooseFilesToAdd(wxWindow* owner);

// Answers ChooseFilesToAdd instead of the modal dialog (tests). Null
// restores the dialog; returns the previous handler.
using OpenFilesHandler = std::function<FileChoice()>;
OpenFilesHandler SetOpenFilesHandler(OpenFilesHandler handler);

}  // namespace sondrel
