// One 20 ms frame at a time through the AMR speech codecs: opencore-amrnb
// (narrow band, both ways), opencore-amrwb (wide-band decoding) and
// vo-amrwbenc (wide-band encoding). Frames are in the storage format's
// layout: the header byte, then the speech bits.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/amr/amr_frame.h"

namespace sondrel {

// A codec library's state with the library's own release function.
using AmrLibraryState = std::unique_ptr<void, void (*)(void*)>;

class AmrFrameEncoder {
 public:
  // `mode` is 0..7 narrow band, 0..8 wide band; with `dtx` silent stretches
  // become SID and NO_DATA frames. Null for a mode out of range or when the
  // library gives no encoder.
  static std::unique_ptr<AmrFrameEncoder> Create(AmrBand band, int mode, bool dtx);
  AmrFrameEncoder(const AmrFrameEncoder&) = delete;
  AmrFrameEncoder& operator=(const AmrFrameEncoder&) = delete;

  AmrBand Band() const { return m_band; }
  // Encodes AmrSamplesPerFrame samples into `out`, which has room for
  // kAmrMaxFrameBytes. Returns the frame's bytes (1 or more), or -1.
  int Encode(const int16_t* samples, uint8_t* out);

 private:
  AmrFrameEncoder(AmrBand band, int mode, bool dtx, AmrLibraryState state)
      : m_band(band), m_mode(mode), m_dtx(dtx), m_state(std::move(state)) {}

  AmrBand m_band;
  int m_mode;
  bool m_dtx;
  AmrLibraryState m_state;
};

class AmrFrameDecoder {
 public:
  // Null when the library gives no decoder.
  static std::unique_ptr<AmrFrameDecoder> Create(AmrBand band);
  AmrFrameDecoder(const AmrFrameDecoder&) = delete;
  AmrFrameDecoder& operator=(const AmrFrameDecoder&) = delete;

  AmrBand Band() const { return m_band; }
  // Decodes one frame whose type has a known size. `frame` holds
  // kAmrMaxFrameBytes bytes (the frame, then zeros). Writes
  // AmrSamplesPerFrame samples: speech, comfort noise or concealment.
  void Decode(const uint8_t* frame, int16_t* samples);

 private:
  AmrFrameDecoder(AmrBand band, AmrLibraryState state) : m_band(band), m_state(std::move(state)) {}

  AmrBand m_band;
  AmrLibraryState m_state;
};

}  // namespace sondrel
