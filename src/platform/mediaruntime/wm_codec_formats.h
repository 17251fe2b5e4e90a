// The audio codec formats the layer offers: what FFmpeg's wmav2 encoder
// really produces at 8000 to 48000 Hz, mono and stereo.
//
// The candidates follow the sample rates and channel counts of the common
// WMA 9 format table, with bit rates from 24 kbit/s (the encoder's floor)
// upward. Each candidate is proved once per process by opening the encoder
// and encoding full-scale noise with it; a candidate the encoder refuses or
// fails on is left out.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/mediaruntime/wm_profile.h"

namespace sondrel {

// The single audio codec of the enumeration.
inline constexpr const char* kWmaCodecName = "Windows Media Audio V8";

// The enumeration over the proved formats, or null when the runtime is not
// loaded. One codec; formats ordered by sample rate, channels, bit rate.
std::unique_ptr<WmCodecInfo> CreateWmCodecInfo();

// The proved formats (built at the first call).
struct WmCodecFormat {
  WmStreamConfig config;
  std::string description;
};
const std::vector<WmCodecFormat>& WmaCodecFormats();

}  // namespace sondrel
