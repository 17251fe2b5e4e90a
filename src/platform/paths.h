// Folders the program finds on this system: the user's documents folder, the
// folder of the running program and the installed data folder.
#pragma once

#include <string>

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

}  // namespace sondrel
