// The Windows Media runtime stand-in: reading and writing WMA/WMV/ASF on
// FFmpeg (the ASF demuxer and muxer, the WMA decoders and the wmav2 encoder).
//
// Loading checks that this FFmpeg has what the layer needs; the sync reader,
// the codec-format enumeration and the writer are only created once it has
// succeeded. Nothing is ever unloaded.
#pragma once

namespace sondrel {

// Nonzero when the runtime is available: FFmpeg has the asf demuxer and
// muxer and the wmav2 encoder and decoder. Once it has succeeded it returns
// 1 at once.
int LoadWindowsMediaRuntime();
// Nonzero once `LoadWindowsMediaRuntime` has succeeded.
int IsWindowsMediaRuntimeLoaded();

}  // namespace sondrel
