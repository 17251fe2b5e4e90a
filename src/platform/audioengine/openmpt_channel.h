// Tracker modules (.mod .xm .it .s3m .mtm .umx .mo3 and the other formats
// libopenmpt knows) rendered as 16-bit stereo at the requested rate, played
// once. With a prescan the length is the module's duration at that rate.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/audioengine/channel.h"

namespace sondrel::audioengine {

std::unique_ptr<Channel> OpenModuleChannel(const std::string& path, uint32_t rate, bool prescan,
                                           int& error);

}  // namespace sondrel::audioengine
