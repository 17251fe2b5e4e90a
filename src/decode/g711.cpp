#include "decode/g711.h"

#include <array>

namespace sondrel {
namespace {

constexpr int16_t ExpandMulaw(uint8_t code) {
  const int u = static_cast<uint8_t>(~code);
  const int exponent = (u >> 4) & 7;
  const int mantissa = u & 15;
  const int magnitude = (((mantissa << 3) + 0x84) << exponent) - 0x84;
  return static_cast<int16_t>((u & 0x80) ? -magnitude : magnitude);
}

constexpr int16_t ExpandAlaw(uint8_t code) {
  const int a = code ^ 0x55;
  const int exponent = (a >> 4) & 7;
  const int mantissa = a & 15;
  const int magnitude =
      exponent == 0 ? (mantissa << 4) + 8 : ((mantissa << 4) + 0x108) << (exponent - 1);
  // In A-law a set top bit means a positive sample.
  return static_cast<int16_t>((a & 0x80) ? magnitude : -magnitude);
}

template <int16_t (*Expand)(uint8_t)>
constexpr std::array<int16_t, 256> MakeTable() {
  std::array<int16_t, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = Expand(static_cast<uint8_t>(i));
  return table;
}

constexpr auto kMulaw = MakeTable<ExpandMulaw>();
constexpr auto kAlaw = MakeTable<ExpandAlaw>();

}  // namespace

int16_t MulawToLinear(uint8_t code) { return kMulaw[code]; }
int16_t AlawToLinear(uint8_t code) { return kAlaw[code]; }

}  // namespace sondrel
