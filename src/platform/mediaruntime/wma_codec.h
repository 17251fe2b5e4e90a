// The wmav2 encoder as the layer uses it, shared by the format enumeration
// and the writer so that a format proved by one is what the other writes.
#pragma once

#include <cstdint>

#include "platform/ffmpeg/ffmpeg_handles.h"

namespace sondrel {

// An open wmav2 encoder for planar float input; empty when FFmpeg refuses
// the parameters.
ffmpeg::CodecContext OpenWmaEncoder(int sampleRate, int channels, int64_t bitRate);

// Sends one frame (or null to drain) and hands every packet it yields to
// `sink`; false on an encoder error or when `sink` fails.
template <typename Sink>
bool EncodeWmaFrame(AVCodecContext* encoder, const AVFrame* frame, AVPacket* packet, Sink sink) {
  if (avcodec_send_frame(encoder, frame) < 0) return false;
  for (;;) {
    const int rc = avcodec_receive_packet(encoder, packet);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
    if (rc < 0) return false;
    const bool ok = sink(packet);
    av_packet_unref(packet);
    if (!ok) return false;
  }
}

// The ASF packet size that holds a whole number of `blockAlign`-byte WMA
// superframes (about 3200 bytes, never less than one): FFmpeg's muxer does
// not split an audio payload across packets, so any other size pads each
// packet with the part of a superframe that does not fit.
int AsfPacketSizeFor(int blockAlign);

}  // namespace sondrel
