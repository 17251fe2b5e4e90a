// Every text the decode layer shows to its user, in one place: the audio
// engine's start-up error, the offer of the Windows Media runtime and the
// note left when no reader opens a file.
#pragma once

#include <string>

#include "platform/product.h"

namespace sondrel {

// The error shown when the audio engine cannot be initialised.
inline constexpr const char* kEngineInitFailedMessage =
    "Failed to initialize the software (0x0002020).";
// The question asked when WMA needs the Windows Media runtime.
inline constexpr const char* kMediaRuntimeQuestion =
    "Dear user, WMA file requires Windows Media Format 9 Series Runtime.\n"
    "Unfortunately, the component isn't available on your computer.\n\n"
    "Do you want to download and install it now?";
// The note left when no reader opens a file for conversion.
inline std::string SupportNote() {
  return std::string("Please send this file to ") + kSupportAddress +
         " so that a future version can read it";
}

}  // namespace sondrel
