// Files built into the program by cmake/EmbedFiles.cmake: the program icon.
#pragma once

#include <cstddef>
#include <span>

namespace sondrel {

struct EmbeddedFile {
  const unsigned char* data;
  size_t size;
};

// The program icon as PNG files of 16 to 256 pixels, smallest first
// (data/icons/<N>x<N>/org.sondrel.Sondrel.png).
std::span<const EmbeddedFile> ProgramIconPngs();

}  // namespace sondrel
