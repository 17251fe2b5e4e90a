// GSM 06.10 full-rate frames (33 bytes each) decoded to 160 16-bit samples
// through FFmpeg's GSM decoder. The decoder context is owned here and freed on
// every path.
#pragma once

#include <cstdint>
#include <memory>

struct AVCodecContext;
struct AVPacket;
struct AVFrame;

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
  struct ContextFree {
    void operator()(AVCodecContext* c) const;
  };
  struct PacketFree {
    void operator()(AVPacket* p) const;
  };
  struct FrameFree {
    void operator()(AVFrame* f) const;
  };
  std::unique_ptr<AVCodecContext, ContextFree> m_context;
  std::unique_ptr<AVPacket, PacketFree> m_packet;
  std::unique_ptr<AVFrame, FrameFree> m_frame;
};

}  // namespace sondrel
