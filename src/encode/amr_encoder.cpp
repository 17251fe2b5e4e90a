#include "encode/amr_encoder.h"

#include <algorithm>

namespace sondrel {

AmrEncoder::~AmrEncoder() { Close(); }

void AmrEncoder::SetFormat(const FormatParams& params) {
  const auto* amr = std::get_if<AmrFormatParams>(&params);
  if (!amr) return;
  m_format = *amr;
  if (m_format.narrowBand) {
    m_frameSize = 160;
    m_encode = amrnbenc_encode;
  } else {
    m_frameSize = 320;
    m_encode = amrwbenc_encode;
  }
}

int AmrEncoder::Open() {
  if (Handle() || !m_encode) return 0;
  if (m_format.narrowBand) {
    m_nb.reset(amrnbenc_init(m_path, m_format.dtx, m_format.nbMode));
  } else {
    m_wb.reset(amrwbenc_init(m_path, m_format.dtx, m_format.wbMode));
  }
  m_held = 0;
  return Handle() ? 1 : 0;
}

bool AmrEncoder::EncodeFrame(const int16_t* frame) { return m_encode(Handle(), frame) > 0; }

int AmrEncoder::Write(const int16_t* left, const int16_t* right, int frames) {
  (void)right;
  if (frames <= 0) return 1;
  if (!Handle() || !left) return 0;
  const int f = m_frameSize;
  bool ok = true;
  if (m_held + frames < f) {
    std::copy(left, left + frames, m_staging + m_held);
    m_held += frames;
    return 1;
  }
  int i = 0;
  if (m_held > 0) {
    i = f - m_held;
    std::copy(left, left + i, m_staging + m_held);
    ok = EncodeFrame(m_staging) && ok;
    m_held = 0;
  }
  // Whole frames straight from the caller's samples.
  for (; frames - i >= f; i += f) ok = EncodeFrame(left + i) && ok;
  std::copy(left + i, left + frames, m_staging);
  m_held = frames - i;
  return ok ? 1 : 0;
}

int AmrEncoder::Close() {
  bool ok = true;
  if (Handle() && m_held > 0) {
    std::fill(m_staging + m_held, m_staging + m_frameSize, int16_t{0});
    ok = EncodeFrame(m_staging);
  }
  if (Handle()) ok = AmrEncodeFinish(Handle()) && ok;
  m_nb.reset();
  m_wb.reset();
  m_path.clear();
  m_format = {};
  m_frameSize = 0;
  m_encode = nullptr;
  m_held = 0;
  return ok ? 1 : 0;
}

}  // namespace sondrel
