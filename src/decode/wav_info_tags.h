// Reads the RIFF "LIST"/"INFO" tags and the "DISP" text of a WAV file.
//
// The conversion run calls it for a WAV source whose reader gave no tags.
// ParseWavInfoTags does the work on any ByteSource (the file, or memory for
// the fuzz target); it reads the chunk headers and the INFO and DISP bodies,
// never the sound data.
#pragma once

#include <string>

#include "decode/decoder.h"
#include "platform/bytes.h"

namespace sondrel {

// Empties `tags`, then fills them from the file's INFO items (title INAM,
// artist IART, album IPRD, year ICRD cut to four characters, genre IGNR or the
// IGRE genre number, comment ICMT, track ITRK, copyright ICOP; composer stays
// empty) and takes a plain-text DISP as the title when INAM gave none.
// Returns 1 when any tag text was found; 0 when the file cannot be opened, is
// not RIFF/WAVE, or has no tags. Damaged chunks end the walk with what was
// found so far. Texts that are not valid UTF-8 are read as Latin-1.
int ReadWavInfoTags(const std::string& path, TagInfo& tags);
int ParseWavInfoTags(ByteSource& file, TagInfo& tags);

// The part that walks the items of an INFO list held in memory (the bytes
// after "INFO"); used by ParseWavInfoTags and by the fuzz target. Fills the
// fields it finds and returns the number of items that count as found.
int ParseWavInfoItems(const uint8_t* data, size_t size, TagInfo& tags, int& genreNumber);

}  // namespace sondrel
