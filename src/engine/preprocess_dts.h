// DTS carried as the sample data of a WAV file or a CD track: the decoded
// 16-bit samples are written byte for byte into a raw ".dts" temporary file,
// which the conversion then reads as a DTS stream.
#pragma once

#include <string>

#include "engine/frontend.h"
#include "engine/run_context.h"

namespace sondrel {

// Decodes the job's source at 44100 Hz into a new temporary file made
// exclusively in the system's temporary folder. True: the file exists, is not
// empty, and its path is in `tempPath`. False (no audio, nothing read, a
// failed write, Cancel): the temporary file is gone and `tempPath` is empty.
// Shows "[n%] Preprocessing <name>..." with the job's item's file name and
// pumps messages every block. A reader that reports a sample rate of 0 or
// less sets `hasAudio` to 0.
bool PreprocessDts(Frontend& frontend, const ItemJob& job, ProgressWindow& progress, int& hasAudio,
                   std::string& tempPath);

}  // namespace sondrel
