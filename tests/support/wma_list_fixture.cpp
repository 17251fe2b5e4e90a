#include "support/wma_list_fixture.h"

namespace sondrel::test {

WmaFormatList SmallWmaList() {
  WmaFormatList list;
  const struct {
    uint32_t rate;
    uint16_t channels;
    int bitRate;
  } formats[] = {
      {8000, 1, 800}, {22050, 1, 32000}, {44100, 2, 64000}, {44100, 2, 128000}, {48000, 2, 192000}};
  for (const auto& f : formats) {
    WmaFormatEntry entry;
    entry.mediaType.formatType = WmFormatType::kWaveFormatEx;
    entry.mediaType.wave.samplesPerSec = f.rate;
    entry.mediaType.wave.channels = f.channels;
    entry.bitRate = f.bitRate;
    list.Insert(entry);
  }
  return list;
}

}  // namespace sondrel::test
