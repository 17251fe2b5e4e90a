// What `sondrel --help` and `sondrel --version` print. They are answered
// before the window layer starts, so they need no display; the manual page
// sondrel(1) is made from this text by help2man.
#pragma once

#include <cstdio>

namespace sondrel {

// When an argument before "--" asks for the usage text (-h, --help) or the
// version (--version), prints it to `out` and returns true: the program then
// ends without opening a window. Other arguments are left to the window.
bool PrintInfoOption(int argc, char** argv, std::FILE* out);

}  // namespace sondrel
