// The encoding half of the FFmpeg pipeline, shared by the FFmpeg writer
// (encode/lavc_codec) and the Windows Media layer's writer and format
// enumeration: opening an encoder, and the send/receive loop that turns
// frames into packets and flushes the encoder at the end.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/ffmpeg/ffmpeg_handles.h"

namespace sondrel::ffmpeg {

// Receives each packet, time stamps in the encoder's time base (1 / sample
// rate); negative when the packet could not be written. The sink may take
// the packet's data; the packet is unreferenced afterwards.
using PacketSink = std::function<int(AVPacket* packet)>;

struct EncoderSetup {
  const AVCodec* codec = nullptr;
  // AV_SAMPLE_FMT_NONE takes what the ffmpeg command picks for 16-bit input:
  // the encoder's 16-bit format (packed or planar) when it lists one, else
  // the first it lists (16-bit when it lists none).
  AVSampleFormat sampleFormat = AV_SAMPLE_FMT_NONE;
  int sampleRate = 0;
  int channels = 0;           // FFmpeg's default layout of this many
  int64_t bitRate = 0;        // 0 leaves the codec's default
  bool globalHeader = false;  // the muxer wants the codec's header apart
  bool lenientRates = false;  // accept rates the codec's standard does not (G.726)
};

// Opens the encoder with time base 1 / sample rate and no other option, so
// that it runs with the defaults the ffmpeg command gives it. Empty when it
// refuses the parameters.
CodecContext OpenEncoder(const EncoderSetup& setup);

// Feeds an open encoder: one frame buffer for its life, time stamps from the
// sample count, every packet handed to a sink.
//
// Call order: NextFrame, fill it, Send; ...; Flush once at the end.
class FrameEncoder {
 public:
  FrameEncoder() = default;
  // Its frame holds `capacity` samples, at least the encoder's frame size.
  FrameEncoder(CodecContext codec, int capacity);

  // False when default-constructed or when memory ran out.
  explicit operator bool() const { return m_codec && m_packet && m_capacity > 0; }
  AVCodecContext* Codec() const { return m_codec.get(); }
  int Capacity() const { return m_capacity; }

  // The frame to fill next, writable, holding `frames` samples (1 to
  // Capacity()); null on failure.
  AVFrame* NextFrame(int frames);
  // Sends the filled frame, time-stamped with the samples sent before it,
  // and hands every packet ready to `sink`. Negative on an encoder or sink
  // failure; a frame the encoder refuses is lost.
  int Send(const PacketSink& sink);
  // Sends the end and hands over what the encoder still holds.
  int Flush(const PacketSink& sink);

 private:
  int Receive(const PacketSink& sink);

  CodecContext m_codec;
  Frame m_frame;
  Packet m_packet;
  int m_capacity = 0;
  int64_t m_nextPts = 0;
};

}  // namespace sondrel::ffmpeg
