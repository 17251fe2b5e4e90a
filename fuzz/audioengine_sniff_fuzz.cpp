// Arbitrary bytes as a file's content: the engine's content sniffing (with
// its ID3v2 skipping and frame-chain checks), the ".cda" track-file parser
// and the tag format expansion must never crash, hang or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/audioengine/cd_channel.h"
#include "platform/audioengine/content_sniffer.h"
#include "platform/audioengine/tag_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sondrel::audioengine;
  const ReadAtFunction readAt = [&](uint64_t offset, uint8_t* buffer, size_t n) -> size_t {
    if (offset >= size) return 0;
    const size_t count = n < size - offset ? n : static_cast<size_t>(size - offset);
    std::memcpy(buffer, data + offset, count);
    return count;
  };
  const SniffResult result = SniffContent(readAt, size);
  if (result.dataOffset > size) __builtin_trap();

  ParseMpegFrameHeader(data, size);
  ParseAdtsFrameLength(data, size);
  ParseCdaFile(data, size);

  TagFields fields;
  fields.title = "title";
  fields.artist = "artist";
  FormatTags(std::string_view(reinterpret_cast<const char*>(data), size), fields);
  return 0;
}
