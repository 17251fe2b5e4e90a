// Facts of the AMR single-channel storage format (RFC 4867, section 5):
// the magic texts, the frame header byte and the size of every frame type.
//
// A file is the magic followed by frames. Each frame is one header byte
// (bit 7 padding, bits 6-3 frame type, bit 2 quality, bits 1-0 padding) and
// the speech bits of its type, padded to whole bytes.
#pragma once

#include <cstdint>
#include <string_view>

namespace sondrel {

enum class AmrBand { kNarrow, kWide };

inline constexpr std::string_view kAmrNbMagic{"#!AMR\n", 6};
inline constexpr std::string_view kAmrWbMagic{"#!AMR-WB\n", 9};

// The longest frame of either band, header included (AMR-WB 23.85 kbit/s).
inline constexpr int kAmrMaxFrameBytes = 61;

// Frame types beyond the speech modes.
inline constexpr int kAmrNbSid = 8;
inline constexpr int kAmrWbSid = 9;
inline constexpr int kAmrWbSpeechLost = 14;
inline constexpr int kAmrNoData = 15;

inline std::string_view AmrMagic(AmrBand band) {
  return band == AmrBand::kNarrow ? kAmrNbMagic : kAmrWbMagic;
}
// 20 ms of samples: 160 at 8000 Hz, 320 at 16000 Hz.
inline int AmrSamplesPerFrame(AmrBand band) { return band == AmrBand::kNarrow ? 160 : 320; }
inline int AmrSampleRate(AmrBand band) { return band == AmrBand::kNarrow ? 8000 : 16000; }
// The highest speech mode: 7 (12.2 kbit/s) narrow band, 8 (23.85) wide band.
inline int AmrMaxMode(AmrBand band) { return band == AmrBand::kNarrow ? 7 : 8; }

inline int AmrFrameType(uint8_t header) { return (header >> 3) & 0x0F; }
inline uint8_t AmrFrameHeader(int frameType) {
  return static_cast<uint8_t>(((frameType & 0x0F) << 3) | 0x04);  // quality bit set
}

// Bytes after the header byte for `frameType`; -1 for the types reserved
// for future use, whose size nobody knows.
int AmrFramePayloadBytes(AmrBand band, int frameType);

}  // namespace sondrel
