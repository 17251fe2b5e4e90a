// Folders of this system (implementation follows).
#include "platform/paths.h"

namespace sondrel {

std::string DocumentsFolder() { return std::string(); }
std::string ProgramFolder() { return std::string(); }
std::string DataFolder() { return std::string(); }
std::string FindDataFile(const std::string& name) { return DataFolder() + name; }

}  // namespace sondrel
