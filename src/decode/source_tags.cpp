#include "decode/source_tags.h"

#include "decode/source_type.h"
#include "decode/wav_info_tags.h"
#include "platform/file_tags.h"

namespace sondrel {

int ReadSourceTags(Decoder& decoder, const std::string& path, int sourceType, TagInfo& tags) {
  tags = TagInfo{};
  bool found = decoder.GetTags(tags) != 0;
  if (!found && sourceType == kSourceWav) {
    tags = TagInfo{};
    found = ReadWavInfoTags(path, tags) != 0;
  }
  if (!found) tags = TagInfo{};
  tags.cover = ReadCoverPicture(path);
  return found || tags.cover ? 1 : 0;
}

}  // namespace sondrel
