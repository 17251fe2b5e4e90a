// The per-file run with several items converted at once, each on a worker
// thread of its own.
//
// Workers never touch the Frontend or the run's progress window: every call
// they make on them is queued and carried out by the calling thread, which
// drains the queue while it pumps the window's messages. A worker's own
// state is its opener (reader choice, FFmpeg-retry flag, note) and the
// readers, writers and passes of its current item; what the items share is
// the run's read-only context and the mutex-guarded target reservation.
#pragma once

#include <memory>
#include <vector>

#include "engine/run_items.h"
#include "engine/settings.h"

namespace sondrel {

// How many items a per-file run converts at once: `jobs` (the Jobs option)
// with 0 or less meaning one per processor core and at most kMaxJobs, never more
// than `items`, at least 1.
int JobCount(int jobs, int items);

// RunItems with up to `workers` items converted at the same time. Each
// worker has an opener of its own over a copy of `setup` whose questions go
// to the calling thread.
//
// The rows get the same texts as in RunItems. The progress window's run
// line names the item started last and its bar counts finished items; the
// file line and bar follow the oldest unfinished item. Cancel stops every
// worker; items not started keep their texts. `reached` counts up to the
// last item started. Call on the user-interface thread.
ItemsResult RunItemsAtOnce(const RunContext& run, const std::shared_ptr<OpenerSetup>& setup,
                           const std::vector<FileItem*>& items, const std::vector<int>& rows,
                           ProgressWindow& progress, const ItemHandler& handler, int workers);

}  // namespace sondrel
