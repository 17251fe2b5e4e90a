#include "platform/ffmpeg/ffmpeg_decoding.h"

namespace sondrel::ffmpeg {

namespace {

// Opens the decoder for `id` after `configure` filled in the context.
template <typename Configure>
CodecContext Open(AVCodecID id, const Configure& configure) {
  const AVCodec* codec = avcodec_find_decoder(id);
  if (!codec) return {};
  CodecContext context = MakeCodecContext(codec);
  if (!context || !configure(context.get())) return {};
  if (avcodec_open2(context.get(), codec, nullptr) < 0) return {};
  return context;
}

}  // namespace

CodecContext OpenDecoder(const AVStream& stream) {
  return Open(stream.codecpar->codec_id, [&](AVCodecContext* c) {
    if (avcodec_parameters_to_context(c, stream.codecpar) < 0) return false;
    c->pkt_timebase = stream.time_base;
    return true;
  });
}

CodecContext OpenDecoder(const BareCodec& bare) {
  return Open(bare.id, [&](AVCodecContext* c) {
    c->sample_rate = bare.sampleRate;
    av_channel_layout_default(&c->ch_layout, bare.channels);
    c->block_align = bare.blockAlign;
    return true;
  });
}

void DiscardOtherStreams(AVFormatContext* input, int index) {
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    if (static_cast<int>(i) != index) input->streams[i]->discard = AVDISCARD_ALL;
  }
}

PacketReader::PacketReader(AVFormatContext* input) : m_input(input), m_packet(MakePacket()) {}

AVPacket* PacketReader::Next(int index) {
  if (!m_packet) return nullptr;
  av_packet_unref(m_packet.get());
  while (!m_ended) {
    if (av_read_frame(m_input, m_packet.get()) < 0) {
      m_ended = true;
      break;
    }
    if (m_packet->stream_index == index) return m_packet.get();
    av_packet_unref(m_packet.get());
  }
  return nullptr;
}

StreamDecoder::StreamDecoder(CodecContext codec, int streamIndex)
    : m_codec(std::move(codec)), m_frame(MakeFrame()), m_stream(streamIndex) {}

void StreamDecoder::Feed(PacketReader& packets) {
  AVPacket* packet = packets.Next(m_stream);
  if (!packet) {
    m_draining = true;
    if (avcodec_send_packet(m_codec.get(), nullptr) < 0) m_ended = true;
    return;
  }
  // A refused packet is dropped; decoding goes on with the next.
  if (avcodec_send_packet(m_codec.get(), packet) < 0) ++m_badPackets;
  av_packet_unref(packet);
}

const AVFrame* StreamDecoder::NextFrame(PacketReader& packets) {
  if (!*this) return nullptr;
  av_frame_unref(m_frame.get());
  while (!m_ended && m_badPackets <= kMaxBadPackets) {
    const int rc = avcodec_receive_frame(m_codec.get(), m_frame.get());
    if (rc >= 0) {
      m_badPackets = 0;
      if (m_frame->nb_samples > 0) return m_frame.get();
      av_frame_unref(m_frame.get());
    } else if (m_draining || rc == AVERROR_EOF) {
      // Drained, or an error while draining: nothing more will come.
      m_ended = true;
    } else if (rc == AVERROR(EAGAIN)) {
      Feed(packets);
    } else {
      ++m_badPackets;  // the decoder dropped what it was given
    }
  }
  m_ended = true;
  return nullptr;
}

}  // namespace sondrel::ffmpeg
