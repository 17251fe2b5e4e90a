// Arbitrary bytes as a Windows shortcut: the parser must never crash, hang or
// read out of bounds, and whatever it returns came from the input (no text is
// longer than the UTF-8 form of the whole input could be). The same bytes go
// through ResolveShortcut's file path too.
#include <cstddef>
#include <cstdint>

#include "fuzz_temp_file.h"
#include "platform/shell_link.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static sondrel::fuzz::TempFile file(".lnk");
  const auto link = sondrel::ParseShellLink(data, size);
  if (link) {
    // A UTF-16 unit becomes at most 3 bytes of UTF-8; ANSI text stays as is
    // under a UTF-8 locale.
    for (const std::string* text :
         {&link->localBasePath, &link->commonPathSuffix, &link->name, &link->relativePath,
          &link->workingDir, &link->arguments, &link->iconLocation}) {
      if (text->size() > size * 2) __builtin_trap();
    }
    for (const std::string& candidate : sondrel::ShellLinkCandidates(*link, "/links"))
      if (candidate.empty()) __builtin_trap();
  }
  sondrel::ResolveShortcut(file.Write(data, size));
  return 0;
}
