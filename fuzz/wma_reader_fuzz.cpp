// Arbitrary bytes as a Windows Media file read by WmaDecoder through the
// layer's sync reader: opening, reading every block and the tags must never
// crash, hang or leak, whatever the header and the packets hold.
#include <cstddef>
#include <cstdint>

#include "decode/wma_decoder.h"
#include "fuzz_temp_file.h"
#include "platform/ffmpeg/ffmpeg_handles.h"
#include "platform/mediaruntime/media_runtime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (sondrel::ffmpeg::QuietLog(), sondrel::LoadWindowsMediaRuntime(), true);
  static sondrel::fuzz::TempFile file(".wma");
  (void)ready;
  sondrel::WmaDecoder decoder;
  if (decoder.Open(file.Write(data, size), 0)) {
    int16_t left[sondrel::kBlockFrames], right[sondrel::kBlockFrames];
    // A bounded number of blocks: a file can claim to be long.
    for (int i = 0; i < 2000 && decoder.Read(left, right) > 0; ++i) {
    }
    sondrel::TagInfo tags;
    decoder.GetTags(tags);
  }
  return 0;
}
