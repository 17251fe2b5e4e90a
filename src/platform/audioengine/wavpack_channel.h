// WavPack (lossless, hybrid with an optional correction file, float and DSD
// as PCM) through libwavpack, delivered as 16-bit samples.
#pragma once

#include <memory>
#include <string>

#include "platform/audioengine/channel.h"

namespace sondrel::audioengine {

std::unique_ptr<Channel> OpenWavPackChannel(const std::string& path, int& error);

}  // namespace sondrel::audioengine
