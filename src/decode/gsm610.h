// GSM 06.10 full-rate frames (33 bytes each) decoded to 160 16-bit samples
// through FFmpeg's GSM decoder, opened and owned with the pipeline's owners
// (platform/ffmpeg).
#pragma once

#include <cstdint>

#include "platform/ffmpeg/ffmpeg_handles.h"

namespace sondrel {

inline constexpr int kGsmFrameBytes = 33;
inline constexpr int kGsmFrameSamples = 160;

class Gsm610Decoder {
 public:
  Gsm610Decoder();
  ~Gsm610Decoder();
  Gsm610Decoder(const Gsm610Decoder&) = delete;
  Gsm610Decoder& operator=(const Gsm610Decoder&) = delete;

  // Creates the decoder; false when FFmpeg has no GSM decoder or it fails.
  bool Open();
  void Close();

  // Decodes one kGsmFrameBytes frame into kGsmFrameSamples samples. False on a
  // decode error.
  bool DecodeFrame(const uint8_t* frame, int16_t* out);

 private:
  ffmpeg::CodecContext m_context;
  ffmpeg::Packet m_packet;
  ffmpeg::Frame m_frame;
};

}  // namespace sondrel
