// The tags of a conversion source, as "Transfer ID3 tag from source file"
// carries them: the reader's texts (a WAV file's LIST/INFO chunk when its
// reader has none) and the front cover of the file's tag.
#pragma once

#include <string>

#include "decode/decoder.h"

namespace sondrel {

// Empties `tags` and fills them from the open `decoder` of the file at
// `path` (of source type `sourceType`). Nonzero when any text or a cover
// was found. The cover is read once and shared by every later holder.
int ReadSourceTags(Decoder& decoder, const std::string& path, int sourceType, TagInfo& tags);

}  // namespace sondrel
