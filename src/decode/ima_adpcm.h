// IMA ADPCM: the step and index tables and the decoding of one 4-bit code,
// plus the 34-byte block of AIFF-C "ima4" data.
#pragma once

#include <cstdint>

namespace sondrel {

// Bytes of one channel's "ima4" block: a 2-byte header and 32 code bytes.
inline constexpr int kIma4BlockBytes = 34;
// Samples one block yields.
inline constexpr int kIma4BlockSamples = 64;

// The running state of one channel.
struct ImaAdpcmState {
  int predictor = 0;  // -32768..32767
  int stepIndex = 0;  // 0..88
};

// Decodes one 4-bit code and advances the state; returns the new sample.
int16_t ImaAdpcmDecode(ImaAdpcmState& state, int code);

// Decodes one channel's "ima4" block (kIma4BlockBytes bytes) into
// kIma4BlockSamples samples. The header gives the starting predictor (its top
// nine bits) and step index; codes are taken low nibble first.
void DecodeIma4Block(const uint8_t* block, int16_t* out);

}  // namespace sondrel
