// Where the run reads a WAV source's LIST/INFO tags when its reader gave none.
#pragma once

#include <string>

#include "decode/decoder.h"

namespace sondrel {

// The nine tag texts of the WAV file's LIST/INFO chunk; false when it has
// none (or no INFO reader is built in).
bool ReadWavInfoFallback(const std::string& path, TagInfo& tags);

}  // namespace sondrel
