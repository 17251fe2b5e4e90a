#include "platform/ffmpeg/frame_samples.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavutil/samplefmt.h>
}

namespace sondrel::ffmpeg {

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

template <typename T>
T To(int16_t s);
template <>
uint8_t To<uint8_t>(int16_t s) {
  return static_cast<uint8_t>((s >> 8) + 128);
}
template <>
int16_t To<int16_t>(int16_t s) {
  return s;
}
template <>
int32_t To<int32_t>(int16_t s) {
  return static_cast<int32_t>(s) * 65536;
}
template <>
int64_t To<int64_t>(int16_t s) {
  return static_cast<int64_t>(s) * (int64_t{1} << 48);
}
template <>
float To<float>(int16_t s) {
  return static_cast<float>(s) * (1.0f / 32768.0f);
}
template <>
double To<double>(int16_t s) {
  return static_cast<double>(s) * (1.0 / 32768.0);
}

// Calls `work` with a value of the C type of `format`'s samples; false for a
// format without one here.
template <typename Work>
bool WithSampleType(int format, const Work& work) {
  switch (av_get_packed_sample_fmt(static_cast<AVSampleFormat>(format))) {
    case AV_SAMPLE_FMT_U8:
      work(uint8_t{});
      return true;
    case AV_SAMPLE_FMT_S16:
      work(int16_t{});
      return true;
    case AV_SAMPLE_FMT_S32:
      work(int32_t{});
      return true;
    case AV_SAMPLE_FMT_S64:
      work(int64_t{});
      return true;
    case AV_SAMPLE_FMT_FLT:
      work(float{});
      return true;
    case AV_SAMPLE_FMT_DBL:
      work(double{});
      return true;
    default:
      return false;
  }
}

// Sample `first` of channel c in a frame's data, as type T; the channel's
// next sample is 1 (planar) or `channels` (packed) further on.
template <typename T, typename Data>
T* ChannelStart(Data* const* data, bool planar, int channels, int c, int first) {
  if (planar) return reinterpret_cast<T*>(data[c]) + first;
  return reinterpret_cast<T*>(data[0]) + static_cast<size_t>(first) * channels + c;
}

// dst[i * dstStep] = convert(src[i * srcStep]) for `count` samples. The
// steps of one and two channels (planes, stereo) are constants to the
// compiler, so that it can vectorise those loops; others are taken as given.
template <int kSrcStep, int kDstStep, typename S, typename D, typename Convert>
void CopyWithSteps(const S* src, int srcStep, D* dst, int dstStep, int count,
                   const Convert& convert) {
  const int from = kSrcStep ? kSrcStep : srcStep;
  const int to = kDstStep ? kDstStep : dstStep;
  for (int i = 0; i < count; ++i) dst[i * to] = convert(src[i * from]);
}

template <typename S, typename D, typename Convert>
void CopyChannel(const S* src, int srcStep, D* dst, int dstStep, int count,
                 const Convert& convert) {
  if (srcStep == 1 && dstStep == 1) {
    CopyWithSteps<1, 1>(src, srcStep, dst, dstStep, count, convert);
  } else if (srcStep == 2 && dstStep == 1) {
    CopyWithSteps<2, 1>(src, srcStep, dst, dstStep, count, convert);
  } else if (srcStep == 1 && dstStep == 2) {
    CopyWithSteps<1, 2>(src, srcStep, dst, dstStep, count, convert);
  } else if (srcStep == 2 && dstStep == 2) {
    CopyWithSteps<2, 2>(src, srcStep, dst, dstStep, count, convert);
  } else {
    CopyWithSteps<0, 0>(src, srcStep, dst, dstStep, count, convert);
  }
}

// Packed stereo to two destinations in one pass (reading the frame in
// order beats two passes over every other sample).
template <int kDstStep, typename S, typename D, typename Convert>
void SplitStereo(const S* src, D* left, D* right, int dstStep, int count, const Convert& convert) {
  const int to = kDstStep ? kDstStep : dstStep;
  for (int i = 0; i < count; ++i) {
    left[i * to] = convert(src[2 * i]);
    right[i * to] = convert(src[2 * i + 1]);
  }
}

// Two sources into packed stereo in one pass.
template <int kSrcStep, typename S, typename D, typename Convert>
void JoinStereo(const S* left, const S* right, int srcStep, D* dst, int count,
                const Convert& convert) {
  const int from = kSrcStep ? kSrcStep : srcStep;
  for (int i = 0; i < count; ++i) {
    dst[2 * i] = convert(left[i * from]);
    dst[2 * i + 1] = convert(right[i * from]);
  }
}

}  // namespace

int16_t SampleFromFloat(float v) { return FromReal(v); }

int16_t SampleFromDouble(double v) { return FromReal(v); }

bool FrameToInt16(const AVFrame& frame, int first, int count, int16_t* const* out, int outChannels,
                  int step) {
  const int channels = frame.ch_layout.nb_channels;
  if (channels < 1) return false;
  const bool planar = av_sample_fmt_is_planar(static_cast<AVSampleFormat>(frame.format)) != 0;
  const int stride = planar ? 1 : channels;
  return WithSampleType(frame.format, [&](auto type) {
    using T = decltype(type);
    const auto convert = [](T v) { return From(v); };
    if (!planar && channels == 2 && outChannels >= 2) {
      const T* src = reinterpret_cast<const T*>(frame.extended_data[0]) + 2 * first;
      if (step == 1) {
        SplitStereo<1>(src, out[0], out[1], step, count, convert);
      } else {
        SplitStereo<0>(src, out[0], out[1], step, count, convert);
      }
      return;
    }
    for (int c = 0; c < std::min(outChannels, channels); ++c) {
      const T* src = ChannelStart<const T>(frame.extended_data, planar, channels, c, first);
      CopyChannel(src, stride, out[c], step, count, convert);
    }
  });
}

bool Int16ToFrame(AVFrame& frame, int valid, const int16_t* const* in, int step) {
  const int channels = frame.ch_layout.nb_channels;
  const int n = frame.nb_samples;
  const bool planar = av_sample_fmt_is_planar(static_cast<AVSampleFormat>(frame.format)) != 0;
  const int stride = planar ? 1 : channels;
  valid = std::clamp(valid, 0, n);
  return WithSampleType(frame.format, [&](auto type) {
    using T = decltype(type);
    const auto convert = [](int16_t v) { return To<T>(v); };
    if (!planar && channels == 2) {
      T* dst = reinterpret_cast<T*>(frame.extended_data[0]);
      if (step == 2 && in[1] == in[0] + 1) {
        // Interleaved stereo (the FFmpeg writer's staging) is already in the
        // frame's order: one run the compiler vectorises, a plain copy for s16.
        CopyWithSteps<1, 1>(in[0], 1, dst, 1, 2 * valid, convert);
      } else if (step == 1) {
        JoinStereo<1>(in[0], in[1], step, dst, valid, convert);
      } else {
        JoinStereo<0>(in[0], in[1], step, dst, valid, convert);
      }
      std::fill(dst + 2 * valid, dst + 2 * n, To<T>(0));
      return;
    }
    for (int c = 0; c < channels; ++c) {
      T* dst = ChannelStart<T>(frame.extended_data, planar, channels, c, 0);
      const int16_t* src = in[c];
      CopyChannel(src, step, dst, stride, valid, convert);
      for (int i = valid; i < n; ++i) dst[i * stride] = To<T>(0);
    }
  });
}

}  // namespace sondrel::ffmpeg
