#include "encode/lavc_codec.h"

#include <algorithm>

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace sondrel {

namespace {

// One 16-bit sample in the encoder's width: 8-bit as offset binary (128 is
// silence), wider integers scaled up, floating point divided by 32768.
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

// Fills `f` (nb_samples frames) from `sample(channel, frame)`; frames from
// `valid` on are silence.
template <typename T, typename Sample>
void FillAs(AVFrame* f, int valid, const Sample& sample) {
  const int channels = f->ch_layout.nb_channels;
  const int n = f->nb_samples;
  if (av_sample_fmt_is_planar(static_cast<AVSampleFormat>(f->format))) {
    for (int c = 0; c < channels; ++c) {
      T* dst = reinterpret_cast<T*>(f->extended_data[c]);
      for (int i = 0; i < valid; ++i) dst[i] = To<T>(sample(c, i));
      std::fill(dst + valid, dst + n, To<T>(0));
    }
    return;
  }
  T* dst = reinterpret_cast<T*>(f->extended_data[0]);
  if (channels == 1) {
    for (int i = 0; i < valid; ++i) dst[i] = To<T>(sample(0, i));
  } else {
    for (int i = 0; i < valid; ++i) {
      dst[2 * i] = To<T>(sample(0, i));
      dst[2 * i + 1] = To<T>(sample(1, i));
    }
  }
  std::fill(dst + valid * channels, dst + n * channels, To<T>(0));
}

template <typename Sample>
bool Fill(AVFrame* f, int valid, const Sample& sample) {
  switch (av_get_packed_sample_fmt(static_cast<AVSampleFormat>(f->format))) {
    case AV_SAMPLE_FMT_U8:
      FillAs<uint8_t>(f, valid, sample);
      return true;
    case AV_SAMPLE_FMT_S16:
      FillAs<int16_t>(f, valid, sample);
      return true;
    case AV_SAMPLE_FMT_S32:
      FillAs<int32_t>(f, valid, sample);
      return true;
    case AV_SAMPLE_FMT_S64:
      FillAs<int64_t>(f, valid, sample);
      return true;
    case AV_SAMPLE_FMT_FLT:
      FillAs<float>(f, valid, sample);
      return true;
    case AV_SAMPLE_FMT_DBL:
      FillAs<double>(f, valid, sample);
      return true;
    default:
      return false;
  }
}

}  // namespace

std::unique_ptr<LavcCodec> LavcCodec::Open(const LavcCodecSetup& setup) {
  if (!setup.encoder || setup.sampleRate <= 0 || setup.channels < 1 || setup.channels > 2) {
    return nullptr;
  }
  std::unique_ptr<LavcCodec> codec(new LavcCodec());
  codec->m_codec = ffmpeg::MakeCodecContext(setup.encoder);
  codec->m_frame = ffmpeg::MakeFrame();
  codec->m_packet = ffmpeg::MakePacket();
  AVCodecContext* c = codec->m_codec.get();
  if (!c || !codec->m_frame || !codec->m_packet) return nullptr;
  c->codec_type = AVMEDIA_TYPE_AUDIO;
  c->sample_rate = setup.sampleRate;
  // Front left + front right, or front centre.
  av_channel_layout_default(&c->ch_layout, setup.channels);
  if (setup.bitRate > 0) c->bit_rate = setup.bitRate;
  c->time_base = AVRational{1, setup.sampleRate};
  c->sample_fmt = setup.encoder->sample_fmts ? setup.encoder->sample_fmts[0] : AV_SAMPLE_FMT_S16;
  if (setup.globalHeader) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (setup.lenientRates) c->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
  if (avcodec_open2(c, setup.encoder, nullptr) < 0) return nullptr;

  // One frame buffer for the life of the codec: a whole codec frame, or the
  // largest block of the direct path.
  codec->m_capacity = std::max({c->frame_size, setup.maxBlockFrames, 1});
  AVFrame* f = codec->m_frame.get();
  f->format = c->sample_fmt;
  f->sample_rate = c->sample_rate;
  f->nb_samples = codec->m_capacity;
  if (av_channel_layout_copy(&f->ch_layout, &c->ch_layout) < 0 || av_frame_get_buffer(f, 0) < 0) {
    return nullptr;
  }
  return codec;
}

bool LavcCodec::TakesAnyBlockSize() const {
  return m_codec->frame_size <= 1 ||
         (m_codec->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
}

int LavcCodec::DescribeStream(AVStream* stream) const {
  const int rc = avcodec_parameters_from_context(stream->codecpar, m_codec.get());
  if (rc < 0) return rc;
  stream->time_base = m_codec->time_base;
  return 0;
}

int LavcCodec::Receive(const PacketSink& sink) {
  for (;;) {
    const int rc = avcodec_receive_packet(m_codec.get(), m_packet.get());
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return 0;
    if (rc < 0) return rc;
    const int written = sink(m_packet.get());
    av_packet_unref(m_packet.get());
    if (written < 0) return written;
  }
}

int LavcCodec::SendAndReceive(int frames, const PacketSink& sink) {
  AVFrame* f = m_frame.get();
  f->pts = m_nextPts;
  m_nextPts += frames;
  const int sent = avcodec_send_frame(m_codec.get(), f);
  const int received = Receive(sink);
  return sent < 0 ? sent : received;
}

int LavcCodec::Encode(const int16_t* interleaved, int frames, const PacketSink& sink) {
  const int size = m_codec->frame_size;
  if (frames <= 0 || frames > m_capacity) return AVERROR(EINVAL);
  // The encoder may still hold the buffer of the previous frame.
  if (av_frame_make_writable(m_frame.get()) < 0) return AVERROR(ENOMEM);
  // A short last frame is completed with silence unless the codec takes it
  // as it is.
  const bool takesShort =
      TakesAnyBlockSize() || (m_codec->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
  m_frame->nb_samples = frames < size && !takesShort ? size : frames;
  const int k = m_codec->ch_layout.nb_channels;
  if (!Fill(m_frame.get(), frames, [&](int c, int i) { return interleaved[i * k + c]; })) {
    return AVERROR(EINVAL);
  }
  return SendAndReceive(m_frame->nb_samples, sink);
}

int LavcCodec::EncodeBlock(const int16_t* left, const int16_t* right, int frames,
                           const PacketSink& sink) {
  if (frames <= 0 || frames > m_capacity) return AVERROR(EINVAL);
  if (av_frame_make_writable(m_frame.get()) < 0) return AVERROR(ENOMEM);
  m_frame->nb_samples = frames;
  const int16_t* planes[2] = {left, right ? right : left};
  if (!Fill(m_frame.get(), frames, [&](int c, int i) { return planes[c][i]; })) {
    return AVERROR(EINVAL);
  }
  return SendAndReceive(frames, sink);
}

int LavcCodec::Drain(const PacketSink& sink) {
  const int sent = avcodec_send_frame(m_codec.get(), nullptr);
  if (sent < 0 && sent != AVERROR_EOF) return sent;
  return Receive(sink);
}

}  // namespace sondrel
