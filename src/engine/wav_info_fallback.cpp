#include "engine/wav_info_fallback.h"

namespace sondrel {

// No LIST/INFO reader is built in yet: WAV sources without tags from their
// reader stay without tags.
bool ReadWavInfoFallback(const std::string&, TagInfo&) { return false; }

}  // namespace sondrel
