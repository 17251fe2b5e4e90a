#include "platform/mediaruntime/media_runtime.h"

#include <atomic>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace sondrel {

namespace {
// Set once; the runtime then stays loaded for the process. Asked by every
// reader and writer, on any thread.
std::atomic<bool> g_loaded{false};
}  // namespace

int LoadWindowsMediaRuntime() {
  if (g_loaded) return 1;
  const bool available = av_find_input_format("asf") && av_guess_format("asf", nullptr, nullptr) &&
                         avcodec_find_encoder(AV_CODEC_ID_WMAV2) &&
                         avcodec_find_decoder(AV_CODEC_ID_WMAV2);
  if (!available) return 0;
  g_loaded = true;
  return 1;
}

int IsWindowsMediaRuntimeLoaded() { return g_loaded ? 1 : 0; }

}  // namespace sondrel
