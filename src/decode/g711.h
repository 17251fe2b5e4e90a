// G.711 mu-law and A-law expansion to 16-bit linear samples, shared by the
// AIFF-C and AU readers.
#pragma once

#include <cstdint>

namespace sondrel {

// Expands one mu-law byte (G.711, bias 132) to a 16-bit sample.
int16_t MulawToLinear(uint8_t code);
// Expands one A-law byte (G.711, even bits inverted) to a 16-bit sample.
int16_t AlawToLinear(uint8_t code);

}  // namespace sondrel
