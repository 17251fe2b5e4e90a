// WAV INFO tags from arbitrary bytes, read through a file and from memory:
// both must give the same tags, and the INFO item walk runs on the same
// bytes held in memory.
#include <cstddef>
#include <cstdint>

#include "decode/wav_info_tags.h"
#include "fuzz_temp_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static sondrel::fuzz::TempFile file(".wav");
  sondrel::TagInfo tags;
  const int found = sondrel::ReadWavInfoTags(file.Write(data, size), tags);
  if (tags.year.size() > 16) __builtin_trap();  // four characters at most
  sondrel::MemorySource memory(data, size);
  sondrel::TagInfo fromMemory;
  if (sondrel::ParseWavInfoTags(memory, fromMemory) != found || fromMemory != tags) {
    __builtin_trap();
  }
  sondrel::TagInfo items;
  int genre = -1;
  sondrel::ParseWavInfoItems(data, size, items, genre);
  return 0;
}
