#include "platform/ffmpeg/ffmpeg_encoding.h"

#include <algorithm>

namespace sondrel::ffmpeg {

namespace {

// The format the ffmpeg command gives an encoder fed with 16-bit samples:
// 16-bit (packed or planar) when the encoder takes it, so that no wider
// conversion is asked for, else the first it lists.
AVSampleFormat FormatFor16Bit(const AVCodec* codec) {
  if (!codec->sample_fmts) return AV_SAMPLE_FMT_S16;
  for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f) {
    if (av_get_packed_sample_fmt(*f) == AV_SAMPLE_FMT_S16) return *f;
  }
  return codec->sample_fmts[0];
}

}  // namespace

CodecContext OpenEncoder(const EncoderSetup& setup) {
  if (!setup.codec || setup.sampleRate <= 0 || setup.channels < 1) return {};
  CodecContext codec = MakeCodecContext(setup.codec);
  AVCodecContext* c = codec.get();
  if (!c) return {};
  c->sample_rate = setup.sampleRate;
  av_channel_layout_default(&c->ch_layout, setup.channels);
  if (setup.bitRate > 0) c->bit_rate = setup.bitRate;
  c->time_base = AVRational{1, setup.sampleRate};
  c->sample_fmt =
      setup.sampleFormat != AV_SAMPLE_FMT_NONE ? setup.sampleFormat : FormatFor16Bit(setup.codec);
  if (setup.globalHeader) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (setup.lenientRates) c->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
  if (avcodec_open2(c, setup.codec, nullptr) < 0) return {};
  return codec;
}

FrameEncoder::FrameEncoder(CodecContext codec, int capacity)
    : m_codec(std::move(codec)), m_frame(MakeFrame()), m_packet(MakePacket()) {
  if (!m_codec || !m_frame || !m_packet) return;
  AVFrame* f = m_frame.get();
  f->format = m_codec->sample_fmt;
  f->sample_rate = m_codec->sample_rate;
  f->nb_samples = std::max({capacity, m_codec->frame_size, 1});
  if (av_channel_layout_copy(&f->ch_layout, &m_codec->ch_layout) < 0 ||
      av_frame_get_buffer(f, 0) < 0) {
    return;
  }
  m_capacity = f->nb_samples;
}

AVFrame* FrameEncoder::NextFrame(int frames) {
  if (!*this || frames < 1 || frames > m_capacity) return nullptr;
  // The encoder may still hold the buffer of the previous frame.
  if (av_frame_make_writable(m_frame.get()) < 0) return nullptr;
  m_frame->nb_samples = frames;
  return m_frame.get();
}

int FrameEncoder::Receive(const PacketSink& sink) {
  for (;;) {
    const int rc = avcodec_receive_packet(m_codec.get(), m_packet.get());
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return 0;
    if (rc < 0) return rc;
    const int written = sink(m_packet.get());
    av_packet_unref(m_packet.get());
    if (written < 0) return written;
  }
}

int FrameEncoder::Send(const PacketSink& sink) {
  if (!*this) return AVERROR(EINVAL);
  m_frame->pts = m_nextPts;
  m_nextPts += m_frame->nb_samples;
  const int sent = avcodec_send_frame(m_codec.get(), m_frame.get());
  if (sent < 0) return sent;
  return Receive(sink);
}

int FrameEncoder::Flush(const PacketSink& sink) {
  if (!*this) return AVERROR(EINVAL);
  const int sent = avcodec_send_frame(m_codec.get(), nullptr);
  if (sent < 0 && sent != AVERROR_EOF) return sent;
  return Receive(sink);
}

}  // namespace sondrel::ffmpeg
