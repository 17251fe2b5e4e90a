// The AMR reader: narrow-band (".amr", 8000 Hz) and wide-band (".awb",
// 16000 Hz) files of the single-channel storage format, told apart by their
// magic text and decoded through the platform's AMR calls.
//
// Read delivers 1152 samples a call: whole frames of 160 or 320 samples,
// and the part of the last frame that did not fit is carried over to the
// next call. Duration and bit rate are not measured (both 0). Length is the
// file's size and position the file offset the decoder has read to.
#pragma once

#include <string>

#include "decode/decoder.h"
#include "platform/amr/amr.h"

namespace sondrel {

class AmrDecoder : public Decoder {
 public:
  void Close() override;
  int Open(const std::string& path, int renderRate) override;
  int Read(int16_t* left, int16_t* right) override;

 private:
  // Samples of the next frame of the decoder in use; 0 or less at the end.
  int DecodeFrame(const int16_t** samples, int64_t* offset);

  AmrNbDecodePtr m_nb;
  AmrWbDecodePtr m_wb;
  int m_narrowBand = 1;
  int16_t m_carry[1024] = {};
  int m_carryCount = 0;
};

}  // namespace sondrel
