#include "decode/gsm610.h"

#include <cstring>

#include "platform/ffmpeg/ffmpeg_decoding.h"

namespace sondrel {

Gsm610Decoder::Gsm610Decoder() = default;
Gsm610Decoder::~Gsm610Decoder() = default;

bool Gsm610Decoder::Open() {
  Close();
  ffmpeg::CodecContext context = ffmpeg::OpenDecoder(ffmpeg::BareCodec{
      .id = AV_CODEC_ID_GSM, .sampleRate = 8000, .channels = 1, .blockAlign = kGsmFrameBytes});
  ffmpeg::Packet packet = ffmpeg::MakePacket();
  ffmpeg::Frame frame = ffmpeg::MakeFrame();
  if (!context || !packet || !frame) return false;
  if (context->sample_fmt != AV_SAMPLE_FMT_S16) return false;
  if (av_new_packet(packet.get(), kGsmFrameBytes) < 0) return false;
  m_context = std::move(context);
  m_packet = std::move(packet);
  m_frame = std::move(frame);
  return true;
}

void Gsm610Decoder::Close() {
  m_frame.reset();
  m_packet.reset();
  m_context.reset();
}

bool Gsm610Decoder::DecodeFrame(const uint8_t* frame, int16_t* out) {
  if (!m_context) return false;
  if (av_packet_make_writable(m_packet.get()) < 0) return false;
  m_packet->size = kGsmFrameBytes;
  std::memcpy(m_packet->data, frame, kGsmFrameBytes);
  if (avcodec_send_packet(m_context.get(), m_packet.get()) < 0) return false;
  const int result = avcodec_receive_frame(m_context.get(), m_frame.get());
  if (result < 0) return false;
  const bool whole =
      m_frame->nb_samples == kGsmFrameSamples && m_frame->format == AV_SAMPLE_FMT_S16;
  if (whole) std::memcpy(out, m_frame->data[0], kGsmFrameSamples * sizeof(int16_t));
  av_frame_unref(m_frame.get());
  return whole;
}

}  // namespace sondrel
