// ReadWavInfoTags on arbitrary bytes through a file, and the INFO item walk
// on the same bytes held in memory.
#include <cstddef>
#include <cstdint>

#include "decode/wav_info_tags.h"
#include "fuzz_temp_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static sondrel::fuzz::TempFile file(".wav");
  sondrel::TagInfo tags;
  sondrel::ReadWavInfoTags(file.Write(data, size), tags);
  if (tags.year.size() > 16) __builtin_trap();  // four characters at most
  sondrel::TagInfo items;
  int genre = -1;
  sondrel::ParseWavInfoItems(data, size, items, genre);
  return 0;
}
