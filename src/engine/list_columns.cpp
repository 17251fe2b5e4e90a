#include "engine/list_columns.h"

#include <cstdio>

namespace sondrel {

std::string DurationText(int seconds) {
  if (seconds == 0) return {};
  char text[48];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
  } else {
    std::snprintf(text, sizeof text, "%02d:%02d", seconds / 60, seconds % 60);
  }
  return text;
}

std::string BitRateText(int kbps) {
  return kbps == 0 ? std::string() : std::to_string(kbps) + " kbps";
}

std::string SampleRateText(int hertz) {
  return hertz == 0 ? std::string() : std::to_string(hertz) + " Hz";
}

std::string ChannelsText(int channels) {
  switch (channels) {
    case 0:
    case 1:
      return "Mono";
    case 2:
      return "Stereo";
    case 3:
      return "2.1";
    case 4:
      return "4.0";
    case 5:
      return "5.0";
    case 6:
      return "5.1";
    case 7:
      return "6.1";
    case 8:
      return "7.1";
    default:
      return std::to_string(channels);
  }
}

}  // namespace sondrel
