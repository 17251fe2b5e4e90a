// The AMR writer: AMR-NB (8000 Hz) or AMR-WB (16000 Hz) speech files of the
// single-channel storage format, always mono, through the platform's AMR
// calls.
//
// SetFormat (AmrFormatParams) picks the band, the mode and DTX; the sample
// rate, channel and bit-rate setters are not used. Write cuts the samples
// into 20 ms frames (160 or 320 samples) and keeps a partial frame for the
// next call; Close completes it with zeros, encodes it and finishes the
// file. Destroying an open writer finishes its file too.
#pragma once

#include <string>

#include "encode/encoder.h"
#include "platform/amr/amr.h"

namespace sondrel {

class AmrEncoder : public Encoder {
 public:
  ~AmrEncoder() override;

  void SetFormat(const FormatParams& params) override;
  void SetOutputPath(const std::string& path) override { m_path = path; }
  int Open() override;
  // Nonzero unless a frame could not be encoded or written.
  int Write(const int16_t* left, const int16_t* right, int frames) override;
  int Close() override;

 private:
  using EncodeRoutine = int (*)(AmrEncodeHandle*, const int16_t*);

  bool EncodeFrame(const int16_t* frame);
  AmrEncodeHandle* Handle() const { return m_format.narrowBand ? m_nb.get() : m_wb.get(); }

  std::string m_path;
  AmrFormatParams m_format;
  int m_frameSize = 0;
  EncodeRoutine m_encode = nullptr;
  AmrNbEncodePtr m_nb;  // the handle of the band in use
  AmrWbEncodePtr m_wb;
  int16_t m_staging[1024] = {};
  int m_held = 0;
};

}  // namespace sondrel
