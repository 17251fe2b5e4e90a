#include "platform/mediaruntime/media_runtime.h"

namespace sondrel {

// The FFmpeg-backed runtime is not built yet: it reports "not available",
// which sends the opener to its FFmpeg fallback and a run to its question.
int LoadWindowsMediaRuntime() { return 0; }
int IsWindowsMediaRuntimeLoaded() { return 0; }

}  // namespace sondrel
