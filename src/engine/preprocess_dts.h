// DTS carried as the sample data of a WAV file or a CD track: the decoded
// 16-bit samples are written byte for byte into a raw ".dts" temporary file,
// which the conversion then reads as a DTS stream.
#pragma once

#include "engine/engine_state.h"
#include "engine/frontend.h"

namespace sondrel {

// Decodes `copy` at 44100 Hz into a new temporary file made exclusively in
// the system's temporary folder. True: the file exists, is not empty, and
// its path is in `copy.targetPath`. False (no audio, nothing read, a failed
// write, Cancel): the temporary file is gone and `copy.targetPath` is empty.
// Shows "[n%] Preprocessing <name>..." with the current item's file name and
// pumps messages every block. A reader that reports a sample rate of 0 or
// less sets `hasAudio` to 0.
bool PreprocessDts(EngineState& state, FileItem& copy, ProgressWindow& progress, int& hasAudio);

}  // namespace sondrel
