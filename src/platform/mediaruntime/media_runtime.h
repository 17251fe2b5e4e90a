// The Windows Media runtime stand-in: reading and writing WMA/WMV/ASF on FFmpeg.
#pragma once

namespace sondrel {

// Loads the runtime once per process; nonzero when it is available.
int LoadWindowsMediaRuntime();
// Nonzero once `LoadWindowsMediaRuntime` has succeeded.
int IsWindowsMediaRuntimeLoaded();

}  // namespace sondrel
