// Delta Word Variable Width (DWVW) decoding, as stored in AIFF-C "DWVW" data.
//
// Each sample is coded as a change of the delta width (a unary count of zero
// bits ended by a one bit, plus a sign bit) followed by the delta itself. The
// decoder pulls the sound bytes through a caller-supplied source, 256 bytes at
// a time, and stops at the last complete sample code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace sondrel {

class DwvwDecoder {
 public:
  // Copies up to `size` sound bytes to `data`; returns the count, 0 at the end.
  using Source = std::function<size_t(uint8_t* data, size_t size)>;

  // Starts a stream of samples of `bitWidth` bits (8..24). False when the width
  // is outside that range.
  bool Start(int bitWidth, Source source);

  // Decodes up to `count` samples, each kept as its top 16 bits. Returns the
  // number decoded: fewer than `count` only at the end of the data.
  size_t Decode(int16_t* out, size_t count);

  bool AtEnd() const { return m_ended; }

 private:
  // Makes sure `n` bits are held; false when the data ends first.
  bool Need(int n);
  int Take(int n);
  // One sample, false at the end of the data.
  bool DecodeOne(int16_t& sample);

  Source m_source;
  int m_bitWidth = 0;
  int m_maxModifier = 0;
  int32_t m_maxDelta = 0;
  int32_t m_span = 0;
  uint64_t m_reservoir = 0;
  int m_bitCount = 0;
  int m_lastDeltaWidth = 0;
  int32_t m_sample = 0;
  bool m_ended = true;
  uint8_t m_buffer[256] = {};
  size_t m_readIndex = 0;
  size_t m_fill = 0;
};

}  // namespace sondrel
