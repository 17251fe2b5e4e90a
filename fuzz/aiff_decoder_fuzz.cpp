// AiffDecoder on arbitrary bytes: open through a file and read to the end.
// Must never crash, hang or touch memory outside its buffers. The chunk walk
// and the COMM parser also run on the bytes in memory, and the walk must find
// the same chunks in memory as in the file.
#include <cstddef>
#include <cstdint>

#include "decode/aiff_chunks.h"
#include "decode/aiff_decoder.h"
#include "fuzz_temp_file.h"
#include "platform/file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static sondrel::fuzz::TempFile file(".aiff");
  static sondrel::AiffDecoder decoder;  // its 8 MiB work buffer is made once
  const std::string& path = file.Write(data, size);

  sondrel::MemorySource memory(data, size);
  const auto chunks = sondrel::ParseAiffChunks(memory);
  sondrel::File onDisk;
  if (!onDisk.Open(path) || sondrel::ParseAiffChunks(onDisk) != chunks) __builtin_trap();
  if (chunks && chunks->id3.size() > sondrel::kMaxAiffId3) __builtin_trap();
  sondrel::ParseAiffComm(data, size, false);
  sondrel::ParseAiffComm(data, size, true);

  if (!decoder.Open(path, 0)) return 0;
  if (!chunks || !chunks->comm || !chunks->sound) __builtin_trap();
  int16_t left[sondrel::kBlockFrames];
  int16_t right[sondrel::kBlockFrames];
  for (int n; (n = decoder.Read(left, right)) > 0;) {
    if (n > sondrel::kBlockFrames) __builtin_trap();
  }
  if (decoder.GetPosition() != decoder.GetLength()) __builtin_trap();
  sondrel::TagInfo tags;
  decoder.GetTags(tags);
  decoder.Close();
  return 0;
}
