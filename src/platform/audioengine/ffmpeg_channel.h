// ADTS/ADIF AAC, MP4 audio (AAC and ALAC in .mp4/.m4a/.m4b) and CRI ADX
// through FFmpeg, delivered as 16-bit samples in FFmpeg's channel order
// (front left, front right, centre, LFE, back left, back right, ...).
//
// The length comes from a pass over the packets (their durations less the
// samples the container trims), so opening stays fast for long files; a
// stream whose packets carry no durations is counted by decoding it.
#pragma once

#include <memory>
#include <string>

#include "platform/audioengine/channel.h"
#include "platform/audioengine/content_sniffer.h"

namespace sondrel::audioengine {

// `kind` is Adts, Mp4 or Adx. `allowAac`/`allowAlac` say whether those
// decoders are enabled; an MP4 file whose audio is neither is refused.
std::unique_ptr<Channel> OpenFfmpegChannel(const std::string& path, ContentKind kind, bool allowAac,
                                           bool allowAlac, int& error);

// The rest of a file from frame `start` on, read with the demuxer `demuxer`
// ("flac"), for a backend that stopped at a damaged frame. Frames before
// `start` are dropped by their timestamps. Null when FFmpeg cannot open the
// file or finds another rate or channel count than `rate` and `channels`.
std::unique_ptr<Channel> OpenFfmpegRest(const std::string& path, const char* demuxer,
                                        uint64_t start, uint32_t rate, uint32_t channels);

}  // namespace sondrel::audioengine
