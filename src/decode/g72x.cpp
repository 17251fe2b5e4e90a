#include "decode/g72x.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <iterator>

namespace sondrel {
namespace {

// Per code width, indexed by the code's magnitude (the code itself for a
// positive sign, its ones' complement within the width for a negative one):
// the log of the quantized difference (RECONST, 2^-7 units, -2048 for none),
// the scale-factor multiplier (FUNCTW, 2^-4 units) and the speed-control
// weight (FUNCTF).
struct CodeTables {
  const int* dqln;
  const int* w;
  const int* f;
};

constexpr int kDqln24[4] = {-2048, 135, 273, 373};
constexpr int kW24[4] = {-4, 30, 137, 582};
constexpr int kF24[4] = {0, 1, 2, 7};

constexpr int kDqln32[8] = {-2048, 4, 135, 213, 273, 323, 373, 425};
constexpr int kW32[8] = {-12, 18, 41, 64, 112, 198, 355, 1122};
constexpr int kF32[8] = {0, 0, 0, 1, 1, 1, 3, 7};

constexpr int kDqln40[16] = {-2048, -66, 28,  104, 169, 224, 274, 318,
                             358,   395, 429, 459, 488, 514, 539, 566};
constexpr int kW40[16] = {14, 14, 24, 39, 40, 41, 58, 100, 141, 179, 219, 280, 358, 440, 529, 696};
constexpr int kF40[16] = {0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 3, 4, 5, 6, 6};

CodeTables TablesFor(int codeBits) {
  switch (codeBits) {
    case 3:
      return {kDqln24, kW24, kF24};
    case 5:
      return {kDqln40, kW40, kF40};
    default:
      return {kDqln32, kW32, kF32};
  }
}

// The standard's 16-bit two's complement arithmetic wraps.
int Wrap16(int x) { return static_cast<int16_t>(x); }

int BitLength(int magnitude) { return std::bit_width(static_cast<unsigned>(magnitude)); }

}  // namespace

bool G72xDecoder::Start(int codeBits) {
  if (codeBits < 3 || codeBits > 5) {
    m_codeBits = 0;
    return false;
  }
  m_codeBits = codeBits;
  Reset();
  return true;
}

void G72xDecoder::Reset() {
  // The members' initial values are the standard's reset state.
  const int codeBits = m_codeBits;
  *this = G72xDecoder();
  m_codeBits = codeBits;
}

G72xDecoder::Float G72xDecoder::ToFloat(int sign, int magnitude) {
  Float f;
  f.sign = sign;
  f.exponent = BitLength(magnitude);
  f.mantissa = magnitude == 0 ? 32 : (magnitude << 6) >> f.exponent;
  return f;
}

// FMULT: a predictor coefficient (16-bit) times a value in floating form, as
// a 16-bit two's complement product.
int G72xDecoder::Multiply(int coefficient, const Float& value) {
  const int sign = coefficient < 0 ? 1 : 0;
  const int magnitude = sign ? (-(coefficient >> 2)) & 8191 : coefficient >> 2;
  const int exponent = BitLength(magnitude);
  const int mantissa = magnitude == 0 ? 32 : (magnitude << 6) >> exponent;
  const int productMantissa = (value.mantissa * mantissa + 48) >> 4;
  const int productExponent = value.exponent + exponent;
  const int productMagnitude = productExponent > 26
                                   ? ((productMantissa << 7) << (productExponent - 26)) & 32767
                                   : (productMantissa << 7) >> (26 - productExponent);
  return (value.sign ^ sign) ? -productMagnitude : productMagnitude;
}

int16_t G72xDecoder::Decode(int code) {
  if (m_codeBits == 0) return 0;
  const CodeTables tables = TablesFor(m_codeBits);
  const int mask = (1 << m_codeBits) - 1;
  code &= mask;
  const int dqSign = (code >> (m_codeBits - 1)) & 1;
  const int index = dqSign ? mask - code : code;

  // ACCUM: the signal estimate from the zero and pole sections.
  int zeros = 0;
  for (int n = 0; n < 6; ++n) zeros += Multiply(m_b[n], m_dq[n]);
  zeros = Wrap16(zeros);
  const int all = Wrap16(zeros + Multiply(m_a[0], m_sr[0]) + Multiply(m_a[1], m_sr[1]));
  const int sez = zeros >> 1;
  const int se = all >> 1;

  // LIMA, MIX: the scale factor, between the unlocked and locked ones by the
  // adaptation speed; the product is truncated toward zero.
  const int al = m_ap >= 256 ? 64 : m_ap >> 2;
  const int ylShort = m_yl >> 6;
  const int product = (m_yu - ylShort) * al;
  const int y = ylShort + (product >= 0 ? product >> 6 : -((-product) >> 6));

  // RECONST, ADDA, ANTILOG: the quantized difference.
  const int dql = tables.dqln[index] + (y >> 2);
  int dqMagnitude = 0;
  if (dql >= 0) {
    const int exponent = std::min((dql >> 7) & 15, 14);
    dqMagnitude = ((128 + (dql & 127)) << 7) >> (14 - exponent);
  }
  const int dq = dqSign ? -dqMagnitude : dqMagnitude;

  // ADDB, ADDC: the reconstructed signal and the partial signal estimate.
  const int sr = Wrap16(se + dq);
  const int dqsez = Wrap16(dq + sez);
  const int pk0 = dqsez < 0 ? 1 : 0;
  const bool sigpk = dqsez == 0;

  // TRANS: a large difference while a tone was detected is a transition.
  int tr = 0;
  if (m_td) {
    const int ylInt = m_yl >> 15;
    const int ylFrac = (m_yl >> 10) & 31;
    const int thr1 = (32 + ylFrac) << std::min(ylInt, 15);
    const int thr2 = ylInt > 9 ? 31 << 10 : thr1;
    const int dqThr = (thr2 + (thr2 >> 1)) >> 1;
    tr = dqMagnitude > dqThr ? 1 : 0;
  }

  // FUNCTW, FILTD, LIMB, FILTE: the scale factors.
  const int wi = tables.w[index] << 5;
  m_yu = std::clamp(y + ((wi - y) >> 5), 544, 5120);
  m_yl = m_yl + m_yu + ((-m_yl) >> 6);

  // UPA2, LIMC, UPA1, LIMD, UPB, TRIGB: the predictor coefficients.
  int a2 = 0;
  if (tr) {
    std::fill(std::begin(m_a), std::end(m_a), 0);
    std::fill(std::begin(m_b), std::end(m_b), 0);
  } else {
    const int pks1 = pk0 ^ m_pk[0];
    const int pks2 = pk0 ^ m_pk[1];
    a2 = m_a[1] - (m_a[1] >> 7);
    if (!sigpk) {
      const int fa1 = std::clamp(m_a[0], -8191, 8191) * 4;
      const int gradient = (pks2 ? -16384 : 16384) + (pks1 ? fa1 : -fa1);
      a2 += gradient >> 7;
    }
    a2 = std::clamp(a2, -12288, 12288);

    int a1 = m_a[0] - (m_a[0] >> 8);
    if (!sigpk) a1 += pks1 ? -192 : 192;
    const int a1Limit = 15360 - a2;
    a1 = std::clamp(a1, -a1Limit, a1Limit);

    const int leak = m_codeBits == 5 ? 9 : 8;
    for (int n = 0; n < 6; ++n) {
      int bn = m_b[n] - (m_b[n] >> leak);
      if (dqMagnitude != 0) bn += (dqSign ^ m_dq[n].sign) ? -128 : 128;
      m_b[n] = Wrap16(bn);
    }
    m_a[0] = a1;
    m_a[1] = a2;
  }

  // TONE: a strongly negative second pole means a tone.
  m_td = (!tr && a2 < -11776) ? 1 : 0;

  // FUNCTF, FILTA, FILTB, SUBTC, FILTC, TRIGA: the adaptation speed.
  const int fi = tables.f[index];
  m_dms += ((fi << 9) - m_dms) >> 5;
  m_dml += ((fi << 11) - m_dml) >> 7;
  if (tr) {
    m_ap = 256;
  } else {
    const bool fast = y < 1536 || m_td || std::abs((m_dms << 2) - m_dml) >= (m_dml >> 3);
    m_ap += ((fast ? 512 : 0) - m_ap) >> 4;
  }

  // The delay lines.
  for (int n = 5; n > 0; --n) m_dq[n] = m_dq[n - 1];
  m_dq[0] = ToFloat(dqSign, dqMagnitude);
  m_sr[1] = m_sr[0];
  m_sr[0] = sr < 0 ? ToFloat(1, (-sr) & 32767) : ToFloat(0, sr);
  m_pk[1] = m_pk[0];
  m_pk[0] = pk0;

  return static_cast<int16_t>(std::clamp(sr * 4, -32768, 32767));
}

}  // namespace sondrel
