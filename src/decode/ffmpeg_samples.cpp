#include "decode/ffmpeg_samples.h"

#include <algorithm>

#include "decode/downmix.h"
#include "platform/ffmpeg/frame_samples.h"

namespace sondrel {

namespace {

int16_t MixSix(const int16_t* s, const SixChannelOrder& o, int side) {
  const int32_t centre = DownmixCentre(s[o[2]] + s[o[3]]);
  const int32_t sum = side == 0 ? s[o[0]] + centre + s[o[4]] : s[o[1]] + centre + s[o[5]];
  return ClampToInt16(sum);
}

// Frames of a many-channel frame mixed at a time.
constexpr int kMixChunk = 256;
constexpr int kMixChannels = 8;  // DownmixToStereo reads at most eight

// Mixes `count` frames of a frame with more than two channels to two.
bool MixFrames(const AVFrame& frame, int first, int count, const SixChannelOrder& order,
               int16_t* left, int16_t* right) {
  const int channels = frame.ch_layout.nb_channels;
  const int used = std::min(channels, kMixChannels);
  int16_t samples[kMixChunk * kMixChannels];
  int16_t* starts[kMixChannels];
  for (int c = 0; c < used; ++c) starts[c] = samples + c;
  for (int done = 0; done < count;) {
    const int n = std::min(kMixChunk, count - done);
    if (!ffmpeg::FrameToInt16(frame, first + done, n, starts, used, used)) return false;
    for (int i = 0; i < n; ++i, ++done) {
      const int16_t* s = samples + i * used;
      if (channels == 6) {
        left[done] = MixSix(s, order, 0);
        right[done] = MixSix(s, order, 1);
      } else {
        DownmixToStereo(channels, s, left[done], right[done]);
      }
    }
  }
  return true;
}

}  // namespace

SixChannelOrder ChooseSixChannelOrder(const AVChannelLayout& layout, AVCodecID codec,
                                      bool sixteenBit) {
  if (layout.order == AV_CHANNEL_ORDER_NATIVE || layout.order == AV_CHANNEL_ORDER_CUSTOM) {
    auto index = [&](AVChannel a, AVChannel b) {
      const int i = av_channel_layout_index_from_channel(&layout, a);
      return i >= 0 ? i : av_channel_layout_index_from_channel(&layout, b);
    };
    const SixChannelOrder named = {
        index(AV_CHAN_FRONT_LEFT, AV_CHAN_FRONT_LEFT),
        index(AV_CHAN_FRONT_RIGHT, AV_CHAN_FRONT_RIGHT),
        index(AV_CHAN_FRONT_CENTER, AV_CHAN_FRONT_CENTER),
        index(AV_CHAN_LOW_FREQUENCY, AV_CHAN_LOW_FREQUENCY),
        index(AV_CHAN_BACK_LEFT, AV_CHAN_SIDE_LEFT),
        index(AV_CHAN_BACK_RIGHT, AV_CHAN_SIDE_RIGHT),
    };
    if (std::all_of(named.begin(), named.end(), [](int i) { return i >= 0 && i < 6; })) {
      return named;
    }
  }
  if (sixteenBit && codec == AV_CODEC_ID_AAC) return kAacOrder;
  if (sixteenBit && codec == AV_CODEC_ID_MP3ON4) return kMp3OnMp4Order;
  return kStandardOrder;
}

bool ConvertFrames(const AVFrame& frame, int first, int count, int outputChannels,
                   const SixChannelOrder& order, int16_t* left, int16_t* right) {
  const int channels = frame.ch_layout.nb_channels;
  if (outputChannels == 2 && channels > 2) {
    return MixFrames(frame, first, count, order, left, right);
  }
  int16_t* planes[2] = {left, right};
  if (!ffmpeg::FrameToInt16(frame, first, count, planes, std::min(outputChannels, channels), 1)) {
    return false;
  }
  if (outputChannels == 2 && channels == 1) std::copy(left, left + count, right);
  return true;
}

}  // namespace sondrel
