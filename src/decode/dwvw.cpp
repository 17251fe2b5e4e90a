#include "decode/dwvw.h"

namespace sondrel {

bool DwvwDecoder::Start(int bitWidth, Source source) {
  *this = DwvwDecoder();  // at the end until started
  if (bitWidth < 8 || bitWidth > 24 || !source) return false;
  m_source = std::move(source);
  m_bitWidth = bitWidth;
  m_maxModifier = bitWidth / 2;
  m_maxDelta = int32_t{1} << (bitWidth - 1);
  m_span = int32_t{1} << bitWidth;
  m_ended = false;
  return true;
}

bool DwvwDecoder::Need(int n) {
  while (m_bitCount < n) {
    if (m_readIndex == m_fill) {
      m_readIndex = 0;
      m_fill = m_source ? m_source(m_buffer, sizeof m_buffer) : 0;
      if (m_fill > sizeof m_buffer) m_fill = 0;
      if (m_fill == 0) return false;
    }
    m_reservoir = (m_reservoir << 8) | m_buffer[m_readIndex++];
    m_bitCount += 8;
  }
  return true;
}

int DwvwDecoder::Take(int n) {
  m_bitCount -= n;
  return static_cast<int>((m_reservoir >> m_bitCount) & ((uint64_t{1} << n) - 1));
}

bool DwvwDecoder::DecodeOne(int16_t& sample) {
  // The change of delta width: zero bits counted up to the largest change,
  // ended by a one bit, then a sign bit when the change is not 0.
  int modifier = 0;
  while (modifier < m_maxModifier) {
    if (!Need(1)) return false;
    if (Take(1)) break;
    ++modifier;
  }
  if (modifier != 0) {
    if (!Need(1)) return false;
    if (Take(1)) modifier = -modifier;
  }
  const int deltaWidth = (m_lastDeltaWidth + modifier + m_bitWidth) % m_bitWidth;
  m_lastDeltaWidth = deltaWidth;

  int32_t delta = 0;
  if (deltaWidth != 0) {
    if (!Need(deltaWidth)) return false;
    delta = Take(deltaWidth - 1) | (int32_t{1} << (deltaWidth - 1));
    const int negative = Take(1);
    if (delta == m_maxDelta - 1) {
      if (!Need(1)) return false;
      delta += Take(1);
    }
    if (negative) delta = -delta;
  }

  m_sample += delta;
  if (m_sample >= m_maxDelta) {
    m_sample -= m_span;
  } else if (m_sample < -m_maxDelta) {
    m_sample += m_span;
  }
  // Left-justify to 32 bits and keep the top 16.
  const uint32_t justified = static_cast<uint32_t>(m_sample) << (32 - m_bitWidth);
  sample = static_cast<int16_t>(static_cast<int32_t>(justified) >> 16);
  return true;
}

size_t DwvwDecoder::Decode(int16_t* out, size_t count) {
  size_t done = 0;
  while (done < count && !m_ended) {
    if (!DecodeOne(out[done])) {
      m_ended = true;
      break;
    }
    ++done;
  }
  return done;
}

}  // namespace sondrel
