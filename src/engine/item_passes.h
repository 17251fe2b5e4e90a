// The passes over one item of a run: opening its source for a pass, the
// skip check, the block loop from decoder to encoder, the DTS preprocessing
// and normalising steps, and the removal of a failed output.
//
// Every step gets the run's context and the item's job and returns what it
// found; the opener of the job is the only thing it changes (the
// FFmpeg-retry flag and the note).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "decode/decoder.h"
#include "encode/encoder.h"
#include "engine/encoder_choice.h"
#include "engine/run_context.h"

namespace sondrel {

// Opens the job's source for a conversion pass at the run's render rate.
// Null when no reader opens it (the note says so when the source is gone),
// when it reports no sample rate (then hasAudio is 0), or when the skip set
// at the options is not shorter than the file (then the FFmpeg-retry flag is
// cleared and the note says so).
std::unique_ptr<Decoder> OpenForPass(const RunContext& run, const ItemJob& job, int& hasAudio);

// The channels a decoder delivers, as the passes feed them: 1 or 2.
inline int PassChannels(Decoder& decoder) { return decoder.GetOutputChannels() == 2 ? 2 : 1; }

// How a block loop ended.
enum class PassEnd { Done, Empty, Cancelled, WriteFailed };

// Reads every block of `decoder` and writes it through trim, resampling,
// channel mapping and the job's gain into `encoder`, with the progress texts
// "[%d%%] Converting %s..." of the job's item. A failed write leaves the
// write-failure note.
PassEnd MoveBlocks(const RunContext& run, const ItemJob& job, Decoder& decoder, Encoder& encoder,
                   const StreamPlan& plan, ProgressWindow& progress);

// Deletes a partial or failed output, never a source: nothing happens when
// `target` is empty, names one of `sources` (by path or as the same file), or
// is not a regular file or link.
void RemoveOutput(const std::string& target, const std::vector<std::string>& sources);

// The DTS preprocessing step of the job's item (DTS in a WAV file, or a CD
// track with the option set): true when `copy` became the raw temporary
// file to convert instead (with the item's targetPath). False when the step
// does not apply, on Cancel or on failure.
bool PreprocessItem(const RunContext& run, const ItemJob& job, int row, ProgressWindow& progress,
                    FileItem& copy);

// The normalising step: `normalizeGain` is the gain that makes the job's
// source peak at full scale (-1: none, also when normalising is off or the
// scan failed). False when Cancel was pressed.
bool NormalizeItem(const RunContext& run, const ItemJob& job, int row, ProgressWindow& progress,
                   float& normalizeGain);

}  // namespace sondrel
