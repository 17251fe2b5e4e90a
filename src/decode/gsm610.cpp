#include "decode/gsm610.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
}

namespace sondrel {

void Gsm610Decoder::ContextFree::operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
void Gsm610Decoder::PacketFree::operator()(AVPacket* p) const { av_packet_free(&p); }
void Gsm610Decoder::FrameFree::operator()(AVFrame* f) const { av_frame_free(&f); }

Gsm610Decoder::Gsm610Decoder() = default;
Gsm610Decoder::~Gsm610Decoder() = default;

bool Gsm610Decoder::Open() {
  Close();
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_GSM);
  if (!codec) return false;
  std::unique_ptr<AVCodecContext, ContextFree> context(avcodec_alloc_context3(codec));
  std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
  if (!context || !packet || !frame) return false;
  context->sample_rate = 8000;
  av_channel_layout_default(&context->ch_layout, 1);
  context->block_align = kGsmFrameBytes;
  if (avcodec_open2(context.get(), codec, nullptr) < 0) return false;
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
