// MPEG audio layers I, II and III through libmpg123, as 16-bit samples with
// gapless trimming (encoder delay and padding removed) and an exact length
// from a scan of the whole stream.
#pragma once

#include <memory>
#include <string>

#include "platform/audioengine/channel.h"

namespace sondrel::audioengine {

std::unique_ptr<Channel> OpenMpg123Channel(const std::string& path, int& error);

}  // namespace sondrel::audioengine
