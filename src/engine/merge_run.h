// The merge run: every listed file, in run order, into one output file
// written by one encoder that stays open for the whole run.
#pragma once

#include <string>
#include <vector>

#include "encode/format_catalogue.h"
#include "engine/encoder_choice.h"
#include "engine/engine_state.h"
#include "engine/run_context.h"
#include "engine/settings.h"

namespace sondrel {

// The rate and channels of the merge encoder when the scan of the items
// finds none (the first item is a MIDI file, rendered only at conversion).
inline constexpr int kMergeFallbackRate = 44100;
inline constexpr int kMergeFallbackChannels = 2;

// Asks for the output file and converts the items into it; `rows[i]` is the
// list row of `items[i]`. The output appears only when the run wrote it
// whole: Cancel, a run in which no item got in, and any failed write, flush
// or close leave what was there before (a failed write fails every item).
void ConvertToOne(EngineState& state, const ConvertSettings& settings, const FormatRow* format,
                  const std::vector<FileItem*>& items, const std::vector<int>& rows);

// Creates, configures and opens the one encoder for `path` (the run's
// temporary), fitting its parameters to the highest probed rate and channel
// count; the result tells the rate and channels every item is fed at. A null
// encoder when no codec or Windows Media format fits or the encoder does not
// open.
EncoderChoice OpenMergeEncoder(const RunContext& run, const std::string& path, int maxRate,
                               int maxChannels);

// Decodes the job's source into the open merge encoder at the rate and
// channels of `merge`. What it wrote stays in the output, also when reading
// fails; a failed write sets `writeFailed` (the output is damaged).
bool AppendFile(const RunContext& run, const ItemJob& job, const EncoderChoice& merge,
                ProgressWindow& progress, int& hasAudio, bool& writeFailed);

}  // namespace sondrel
