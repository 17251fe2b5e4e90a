// The decoding half of the FFmpeg pipeline, shared by every reader on
// FFmpeg (the FFmpeg reader, the audio-engine layer's FFmpeg channel, the
// Windows Media layer's sync reader, the GSM 06.10 frames of AIFF-C):
// opening the decoder for a stream, reading a stream's packets from a
// demuxer, and the send/receive loop that turns them into frames.
//
// One rule for bad packets everywhere: a packet the decoder refuses, or an
// error it reports while decoding, drops that packet and decoding goes on
// with the next; after kMaxBadPackets such errors with no frame between them
// the stream is taken to end there (the rest is damaged data that would only
// be read to its end for nothing). At the end of the input the decoder is
// drained, so codecs with delay deliver their last frames; an error while
// draining ends the stream.
#pragma once

#include "platform/ffmpeg/ffmpeg_handles.h"

namespace sondrel::ffmpeg {

inline constexpr int kMaxBadPackets = 500;

// Opens the decoder FFmpeg has for the stream's codec, with the stream's
// parameters and time base. Empty when there is none or it refuses them.
CodecContext OpenDecoder(const AVStream& stream);

// The parameters of a bare codec read without a container (GSM frames).
struct BareCodec {
  AVCodecID id = AV_CODEC_ID_NONE;
  int sampleRate = 0;
  int channels = 0;
  int blockAlign = 0;
};
CodecContext OpenDecoder(const BareCodec& codec);

// Makes the demuxer drop the packets of every stream but `index`.
void DiscardOtherStreams(AVFormatContext* input, int index);

// Reads the packets of one input for the streams decoded from it. Does not
// own the input.
class PacketReader {
 public:
  PacketReader() = default;
  explicit PacketReader(AVFormatContext* input);

  // The next packet of stream `index`; the packets of other streams met on
  // the way are dropped. Null at the end of the input or on a read error,
  // and from then on. The packet stays valid until the next call.
  AVPacket* Next(int index);

 private:
  AVFormatContext* m_input = nullptr;
  Packet m_packet;
  bool m_ended = false;
};

// Decodes one stream of an input. Empty (false) when default-constructed or
// when memory ran out.
class StreamDecoder {
 public:
  StreamDecoder() = default;
  StreamDecoder(CodecContext codec, int streamIndex);

  explicit operator bool() const { return m_codec && m_frame; }
  AVCodecContext* Codec() const { return m_codec.get(); }

  // The next decoded frame that holds samples, valid until the next call;
  // null at the end of the stream, and from then on.
  const AVFrame* NextFrame(PacketReader& packets);

 private:
  // Sends the next packet, or the end of the stream when there is none.
  void Feed(PacketReader& packets);

  CodecContext m_codec;
  Frame m_frame;
  int m_stream = -1;
  bool m_draining = false;  // the end of the stream was sent
  bool m_ended = false;
  int m_badPackets = 0;  // errors since the last frame
};

}  // namespace sondrel::ffmpeg
