// A small Windows Media format list made by hand, for the pages and choices
// that show one.
#pragma once

#include "encode/wma_format_list.h"

namespace sondrel::test {

// In list order: 8000 Hz 800 bit/s mono (below 1000 bit/s, never offered),
// 22050 Hz 32000 mono, 44100 Hz 64000 stereo, 44100 Hz 128000 stereo,
// 48000 Hz 192000 stereo.
WmaFormatList SmallWmaList();

}  // namespace sondrel::test
