// The texts of the file list's property columns, as a row shows them.
#pragma once

#include <string>

namespace sondrel {

// "" for 0, "%d:%02d:%02d" from one hour on, else "%02d:%02d".
std::string DurationText(int seconds);
// "" for 0, else "%d kbps".
std::string BitRateText(int kbps);
// "" for 0, else "%d Hz".
std::string SampleRateText(int hertz);
// "Mono", "Stereo", "2.1" ... "7.1", or the number.
std::string ChannelsText(int channels);

}  // namespace sondrel
