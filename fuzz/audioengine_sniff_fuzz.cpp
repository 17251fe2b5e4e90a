// Arbitrary bytes as a file's content: the engine's content sniffing (with
// its ID3v2 skipping and frame-chain checks), the ".cda" track-file parser,
// the SoundFont check and the tag format expansion must never crash, hang or
// read out of bounds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/audioengine/cd_channel.h"
#include "platform/audioengine/content_sniffer.h"
#include "platform/audioengine/midi_channel.h"
#include "platform/audioengine/tag_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sondrel::audioengine;
  sondrel::MemorySource memory(data, size);
  const SniffResult result = SniffContent(memory);
  if (result.dataOffset > size) __builtin_trap();

  ParseMpegFrameHeader(data, size);
  ParseAdtsFrameLength(data, size);
  Id3v2TagSize(data, size);
  if (const auto cda = ParseCdaFile(data, size)) {
    if (size != 44 || cda->track < 1 || cda->track > 99) __builtin_trap();
  }
  IsSoundfont(memory);

  TagFields fields;
  fields.title = "title";
  fields.artist = "artist";
  FormatTags(std::string_view(reinterpret_cast<const char*>(data), size), fields);
  return 0;
}
