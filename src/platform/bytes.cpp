#include "platform/bytes.h"

#include <cmath>

namespace sondrel {

double ByteCursor::Extended80Be() {
  if (!Need(10)) return 0.0;
  const uint16_t signAndExponent = Be16();
  const uint64_t mantissa = Be64();
  const bool negative = (signAndExponent & 0x8000) != 0;
  const int exponent = signAndExponent & 0x7FFF;
  double value;
  if (exponent == 0x7FFF) {
    value = HUGE_VAL;
  } else if (exponent == 0 && mantissa == 0) {
    value = 0.0;
  } else {
    value = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
  }
  return negative ? -value : value;
}

size_t MemorySource::ReadAt(uint64_t offset, void* data, size_t size) {
  if (offset >= m_size) return 0;
  const size_t n = size < m_size - offset ? size : static_cast<size_t>(m_size - offset);
  std::memcpy(data, m_data + offset, n);
  return n;
}

}  // namespace sondrel
