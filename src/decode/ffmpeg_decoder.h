// The FFmpeg reader: demuxes any container FFmpeg knows and decodes its first
// audio stream (with a known codec) to 16-bit planes.
//
// Progress is in bytes: length is the input's size, position the input's
// byte offset after the last Read. Samples that a decoded frame holds beyond
// one block wait for the next Read. A packet the codec rejects is skipped and
// decoding goes on with the next one; at the end of the input the decoder is
// drained, so codecs with delay deliver their last frames.
#pragma once

#include <string>

#include "decode/decoder.h"
#include "decode/ffmpeg_samples.h"
#include "platform/ffmpeg/ffmpeg_handles.h"

namespace sondrel {

class FfmpegDecoder : public Decoder {
 public:
  FfmpegDecoder() = default;
  ~FfmpegDecoder() override;
  FfmpegDecoder(const FfmpegDecoder&) = delete;
  FfmpegDecoder& operator=(const FfmpegDecoder&) = delete;

  void Close() override;
  int Open(const std::string& path, int renderRate) override;
  int Read(int16_t* left, int16_t* right) override;
  // Whether the last Open found an audio stream with a codec FFmpeg knows,
  // also after that Open failed (no decoder, or the decoder refused).
  int HasAudio() override { return m_foundAudio ? 1 : 0; }
  int GetTags(TagInfo& tags) override;

 private:
  // Releases FFmpeg state and resets the properties; keeps m_foundAudio.
  void Release();
  // Makes m_frame hold decoded samples; false at the end of the stream.
  bool NextFrame();
  // Sends the next packet of the audio stream, or the end of the stream.
  void FeedDecoder();

  ffmpeg::InputContext m_input;
  ffmpeg::CodecContext m_codec;
  ffmpeg::Packet m_packet;
  ffmpeg::Frame m_frame;
  int m_streamIndex = -1;
  bool m_foundAudio = false;
  bool m_inputEnded = false;    // the end of the stream was sent to the decoder
  bool m_decoderEnded = false;  // the decoder has delivered everything
  int m_frameCursor = 0;        // frames of m_frame already delivered
};

}  // namespace sondrel
