// The FFmpeg reader: demuxes any container FFmpeg knows and decodes its first
// audio stream (with a known codec) to 16-bit planes.
//
// Progress is in bytes: length is the input's size, position the input's
// byte offset after the last Read. Samples that a decoded frame holds beyond
// one block wait for the next Read. Packets go through the pipeline's decode
// loop (platform/ffmpeg/ffmpeg_decoding.h: bad packets are skipped, the
// decoder is drained at the end) and frames through its converter.
#pragma once

#include <string>

#include "decode/decoder.h"
#include "decode/ffmpeg_samples.h"
#include "platform/ffmpeg/ffmpeg_decoding.h"

namespace sondrel {

class FfmpegDecoder : public Decoder {
 public:
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

  ffmpeg::InputContext m_input;
  ffmpeg::PacketReader m_packets;
  ffmpeg::StreamDecoder m_decoder;
  const AVFrame* m_frame = nullptr;  // the decoder's frame being delivered
  int m_streamIndex = -1;
  bool m_foundAudio = false;
  bool m_ended = false;   // everything was delivered
  int m_frameCursor = 0;  // frames of m_frame already delivered
};

}  // namespace sondrel
