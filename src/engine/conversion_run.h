// The conversion run: every listed file converted to a file of its own in the
// chosen output format, and the entry step shared with the merge run.
//
// The run reaches the window through the state's Frontend only: row texts,
// the progress window, questions and messages, the shell; only the calling
// thread calls it, also while the per-file run converts several items at
// once on worker threads (engine/parallel_items.h). Per-file outcomes go to the rows' Output and Volume
// columns; message boxes are used only for the start checks and questions.
#pragma once

#include <vector>

#include "encode/format_catalogue.h"
#include "engine/engine_state.h"
#include "engine/file_list.h"
#include "engine/run_context.h"
#include "engine/settings.h"

namespace sondrel {

// Which rows a convert command takes.
enum class ItemSelection { All, Selected };
// Where a convert command writes: a file per item, or all items into one.
enum class RunOutput { FilePerItem, OneFile };

// The entry of the four convert commands: collects all rows, or the selected
// rows in list order, and hands them to ConvertEach or ConvertToOne. `format`
// is the selected output format (null: none selected, nothing happens).
void StartConversion(EngineState& state, const ConvertSettings& settings, const FormatRow* format,
                     const FileListView& list, ItemSelection selection, RunOutput output);

// Converts each item to a file of its own, up to JobCount(settings.Jobs)
// items at once; `rows[i]` is the list row of `items[i]`. With one at a time
// the items are converted in order on the calling thread. Results are shown per row; converted items keep their
// `targetPath`, all others have it emptied.
void ConvertEach(EngineState& state, const ConvertSettings& settings, const FormatRow* format,
                 const std::vector<FileItem*>& items, const std::vector<int>& rows);

// Converts the job's source (the item or its preprocessed copy) into its
// `targetPath`. On false nothing is left at the target; `hasAudio` is 0 when
// the failure means that the file holds no audio, and the job's note may
// explain it.
bool ConvertFile(const RunContext& run, const ItemJob& job, ProgressWindow& progress,
                 int& hasAudio);

}  // namespace sondrel
