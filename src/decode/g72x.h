// ITU-T G.721 (32 kbit/s, 4-bit codes) and G.723 (24 kbit/s 3-bit and
// 40 kbit/s 5-bit codes) ADPCM decoding to linear samples, as used by AU files.
//
// One decoder keeps the adaptive state of one stream of codes: the quantizer
// scale factor, the speed control and the pole/zero predictor with its delay
// lines. It follows the decoder of the ADPCM standard block by block; the
// reconstructed signal is a 14-bit linear value, delivered shifted left by 2.
#pragma once

#include <cstdint>

namespace sondrel {

class G72xDecoder {
 public:
  // Code width in bits: 3 (G.723 24 kbit/s), 4 (G.721) or 5 (G.723 40 kbit/s).
  // False for any other width. Starts from the standard's reset state.
  bool Start(int codeBits);
  void Reset();

  int CodeBits() const { return m_codeBits; }

  // Decodes one code (its low CodeBits() bits) to a 16-bit sample.
  int16_t Decode(int code);

 private:
  // A value in the standard's floating form: sign, 4-bit exponent, 6-bit
  // mantissa.
  struct Float {
    int sign = 0;
    int exponent = 0;
    int mantissa = 32;
  };

  static Float ToFloat(int sign, int magnitude);
  static int Multiply(int coefficient, const Float& value);

  int m_codeBits = 0;
  // Quantizer scale factor: unlocked (yu) and locked (yl) parts.
  int m_yu = 544;
  int m_yl = 34816;
  // Speed control: short- and long-term averages, the speed, tone detected.
  int m_dms = 0;
  int m_dml = 0;
  int m_ap = 0;
  int m_td = 0;
  // Predictor: two pole and six zero coefficients.
  int m_a[2] = {};
  int m_b[6] = {};
  // Delay lines: quantized differences, reconstructed signal, signs of the
  // partial signal estimate.
  Float m_dq[6];
  Float m_sr[2];
  int m_pk[2] = {};
};

}  // namespace sondrel
