#include "decode/ffmpeg_samples.h"

#include <algorithm>
#include <cmath>

#include "decode/downmix.h"

namespace sondrel {

int16_t SampleFromU8(uint8_t v) { return static_cast<int16_t>((v - 128) * 256); }

int16_t SampleFromS32(int32_t v) { return static_cast<int16_t>(v >> 16); }

int16_t SampleFromS64(int64_t v) { return static_cast<int16_t>(v >> 48); }

namespace {

template <typename T>
int16_t FromReal(T v) {
  const T x = v * static_cast<T>(32768);
  if (x >= static_cast<T>(32767)) return 32767;
  if (x <= static_cast<T>(-32768)) return -32768;
  if (std::isnan(x)) return 0;
  return static_cast<int16_t>(x);  // truncates toward zero
}

int16_t From(uint8_t v) { return SampleFromU8(v); }
int16_t From(int16_t v) { return v; }
int16_t From(int32_t v) { return SampleFromS32(v); }
int16_t From(int64_t v) { return SampleFromS64(v); }
int16_t From(float v) { return FromReal(v); }
int16_t From(double v) { return FromReal(v); }

int16_t MixSix(const int16_t* s, const SixChannelOrder& o, int side) {
  const int32_t centre = DownmixCentre(s[o[2]] + s[o[3]]);
  const int32_t sum = side == 0 ? s[o[0]] + centre + s[o[4]] : s[o[1]] + centre + s[o[5]];
  return ClampToInt16(sum);
}

template <typename T>
void Convert(const AVFrame& f, bool planar, int first, int count, int outputChannels,
             const SixChannelOrder& order, int16_t* left, int16_t* right) {
  const int channels = f.ch_layout.nb_channels;
  // Sample `i` of channel `c`, as 16 bits.
  auto at = [&](int c, int i) -> int16_t {
    if (planar) return From(reinterpret_cast<const T*>(f.extended_data[c])[i]);
    return From(reinterpret_cast<const T*>(f.extended_data[0])[i * channels + c]);
  };
  const int end = first + count;
  if (outputChannels == 1 || channels == 1) {
    for (int i = first; i < end; ++i) *left++ = at(0, i);
    if (outputChannels == 2) std::copy(left - count, left, right);
    return;
  }
  if (channels == 2) {
    for (int i = first; i < end; ++i) {
      *left++ = at(0, i);
      *right++ = at(1, i);
    }
    return;
  }
  const int used = std::min(channels, 8);
  int16_t s[8];
  for (int i = first; i < end; ++i) {
    for (int c = 0; c < used; ++c) s[c] = at(c, i);
    if (channels == 6) {
      *left++ = MixSix(s, order, 0);
      *right++ = MixSix(s, order, 1);
    } else {
      DownmixToStereo(channels, s, *left++, *right++);
    }
  }
}

}  // namespace

int16_t SampleFromFloat(float v) { return FromReal(v); }

int16_t SampleFromDouble(double v) { return FromReal(v); }

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
  if (frame.ch_layout.nb_channels < 1) return false;
  const auto format = static_cast<AVSampleFormat>(frame.format);
  const bool planar = av_sample_fmt_is_planar(format) != 0;
  switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8:
      Convert<uint8_t>(frame, planar, first, count, outputChannels, order, left, right);
      return true;
    case AV_SAMPLE_FMT_S16:
      Convert<int16_t>(frame, planar, first, count, outputChannels, order, left, right);
      return true;
    case AV_SAMPLE_FMT_S32:
      Convert<int32_t>(frame, planar, first, count, outputChannels, order, left, right);
      return true;
    case AV_SAMPLE_FMT_S64:
      Convert<int64_t>(frame, planar, first, count, outputChannels, order, left, right);
      return true;
    case AV_SAMPLE_FMT_FLT:
      Convert<float>(frame, planar, first, count, outputChannels, order, left, right);
      return true;
    case AV_SAMPLE_FMT_DBL:
      Convert<double>(frame, planar, first, count, outputChannels, order, left, right);
      return true;
    default:
      return false;
  }
}

}  // namespace sondrel
