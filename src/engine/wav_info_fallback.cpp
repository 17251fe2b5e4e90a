#include "engine/wav_info_fallback.h"

// The LIST/INFO reader joins the build with its header; until then WAV
// sources without tags from their reader stay without tags.
#if __has_include("decode/wav_info_tags.h")
#include "decode/wav_info_tags.h"
#define SONDREL_HAS_WAV_INFO_TAGS 1
#endif

namespace sondrel {

bool ReadWavInfoFallback(const std::string& path, TagInfo& tags) {
#ifdef SONDREL_HAS_WAV_INFO_TAGS
  return ReadWavInfoTags(path, tags) != 0;
#else
  (void)path;
  (void)tags;
  return false;
#endif
}

}  // namespace sondrel
