// The usage text and version of the desktop program.
#include "programs/program_info.h"

#include <string_view>

namespace sondrel {
namespace {

const char* const kUsage =
    R"(Usage: sondrel [OPTION]... [FILE]...

Opens Sondrel, a batch audio converter, with each FILE in its list of files
to convert, as if the files had been dropped on its window: a FILE that is a
folder stands for every file in it and in its subfolders, and the filters of
the General options apply. Files that cannot be read are listed in one
message.

The options of the conversions are set in the window and stored for the
next start; sondrel-cli(1) runs the same conversions from a terminal.

Options:
  -h, --help     show this text and end.
      --version  show the version and end.
)";

}  // namespace

bool PrintInfoOption(int argc, char** argv, std::FILE* out) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") break;
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, out);
      return true;
    }
    if (arg == "--version") {
      std::fputs("sondrel " SONDREL_VERSION "\n", out);
      return true;
    }
  }
  return false;
}

}  // namespace sondrel
