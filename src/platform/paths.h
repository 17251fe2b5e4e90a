// Paths and files: the folders the program finds on this system (the user's
// documents folder, the folder of the running program, the installed data
// folder) and the file queries every layer shares. Paths are compared by this
// platform's rule: exactly, plus same-file identity where safety needs it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sondrel {

// The user's documents folder without a trailing '/': XDG_DOCUMENTS_DIR of
// $XDG_CONFIG_HOME/user-dirs.dirs (default ~/.config), else ~/Documents.
// Created when missing. Empty when there is no home folder or the folder
// cannot be created.
std::string DocumentsFolder();

// The folder of the running executable (/proc/self/exe) with a trailing '/';
// empty when it cannot be found.
std::string ProgramFolder();

// The installed data folder "<prefix>/share/sondrel/" beside the program's
// prefix (the program lies in <prefix>/bin), with a trailing '/'; empty when
// the program folder cannot be found.
std::string DataFolder();

// The path of a data file: the program folder when the file is there, else
// the installed data folder (which may not hold it either).
std::string FindDataFile(const std::string& name);

// True when something exists at `path`: a file, a folder, or a link (even
// one that points nowhere).
bool FileExists(const std::string& path);

// True when the two paths name the same file: equal texts, or the same file
// reached through different names (links, "..", doubled separators).
bool IsSameFile(const std::string& a, const std::string& b);

// `path` made absolute against the working folder, as the kernel would read
// it: "." parts and doubled separators go, ".." stays, since "link/.." is the
// folder above the link's target, not the folder holding the link. A path
// that is already absolute keeps its ".." as well; empty stays empty.
std::string AbsolutePath(const std::string& path);

// The file-name part of a path: the text after the last separator.
std::string FileNameOf(std::string_view path);

// The size of a regular file; false when it cannot be queried (missing, not a
// regular file). The whole 64-bit size, so a large output is never taken
// for an empty one.
bool GetFileSizeOf(const std::string& path, uint64_t& size);

}  // namespace sondrel
