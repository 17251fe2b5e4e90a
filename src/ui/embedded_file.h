// Files built into the program by cmake/EmbedFiles.cmake: the program icon
// and the libraries' licence notes.
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

// data/THIRD-PARTY: the libraries the program uses and their licences.
std::span<const EmbeddedFile> ThirdPartyNotes();

}  // namespace sondrel
