// Arbitrary bytes as a Windows Media file read by WmaDecoder through the
// layer's sync reader: opening, reading every block and the tags must never
// crash, hang or leak, whatever the header and the packets hold.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "decode/wma_decoder.h"
#include "platform/ffmpeg/ffmpeg_handles.h"
#include "platform/mediaruntime/media_runtime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = [] {
    sondrel::ffmpeg::QuietLog();
    sondrel::LoadWindowsMediaRuntime();
    return "/tmp/wma_reader_fuzz." + std::to_string(getpid()) + ".wma";
  }();
  // Registered after `path` exists, so it runs before `path` is destroyed.
  static const bool cleanup = (std::atexit([] { std::remove(path.c_str()); }), true);
  (void)cleanup;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  sondrel::WmaDecoder decoder;
  if (decoder.Open(path, 0)) {
    int16_t left[sondrel::kBlockFrames], right[sondrel::kBlockFrames];
    // A bounded number of blocks: a file can claim to be long.
    for (int i = 0; i < 2000 && decoder.Read(left, right) > 0; ++i) {
    }
    sondrel::TagInfo tags;
    decoder.GetTags(tags);
  }
  return 0;
}
