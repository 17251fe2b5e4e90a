// Turns decoded FFmpeg audio frames into the FFmpeg reader's 16-bit planes:
// the samples go through the pipeline's frame converter
// (platform/ffmpeg/frame_samples.h, which holds the conversion rules); what
// is the reader's own is the mix of more than two channels to two.
#pragma once

#include <array>
#include <cstdint>

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
}

namespace sondrel {

// Where front left, front right, centre, LFE, back left and back right sit in
// a six-channel frame. The six-channel mix is
//   left  = FL + t(C + LFE) + BL,  right = FR + t(C + LFE) + BR.
using SixChannelOrder = std::array<int, 6>;
inline constexpr SixChannelOrder kStandardOrder = {0, 1, 2, 3, 4, 5};  // FL FR C LFE BL BR
inline constexpr SixChannelOrder kAacOrder = {1, 2, 0, 5, 3, 4};       // C FL FR BL BR LFE
inline constexpr SixChannelOrder kMp3OnMp4Order = {0, 1, 4, 5, 2, 3};  // FL FR BL BR C LFE

// The order of a six-channel frame. A layout that names its channels gives
// the positions itself (today's decoders deliver their own channel order
// this way); without names, 16-bit samples of AAC and MP3-on-MP4 take those
// codecs' native orders and everything else the standard order.
SixChannelOrder ChooseSixChannelOrder(const AVChannelLayout& layout, AVCodecID codec,
                                      bool sixteenBit);

// Converts `count` frames of `frame` from frame index `first` into the planes
// at `left`/`right`. One output channel takes the first channel; two output
// channels take the first two, a one-channel frame goes to both, six channels
// are mixed in `order`, and other counts go through DownmixToStereo. Returns
// false (nothing written) for a sample format it does not know.
bool ConvertFrames(const AVFrame& frame, int first, int count, int outputChannels,
                   const SixChannelOrder& order, int16_t* left, int16_t* right);

}  // namespace sondrel
