// The per-item loop both runs share: for each item the soundfont check, the
// progress texts, the target, DTS preprocessing, normalising, the conversion
// with its single retry through FFmpeg, and the row texts of the outcome.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/frontend.h"
#include "engine/run_context.h"
#include "engine/target_reservation.h"

namespace sondrel {

// The per-item part that differs between the two runs.
struct ItemHandler {
  // Name in the lower progress text ("to %s").
  std::string lowerName;
  // Gives the item its target (and, in the per-file run, its reservation);
  // false with the reason in `status`.
  std::function<bool(FileItem& item, std::unique_ptr<ReservedTarget>& target, std::string& status)>
      prepare;
  // One conversion attempt of the job's source (the item or its
  // preprocessed copy) into its targetPath, within `run` (whose frontend is
  // the one of the calling thread).
  std::function<bool(const RunContext& run, const ItemJob& job, ProgressWindow& progress,
                     int& hasAudio)>
      convert;
};

struct ItemsResult {
  int reached = 0;  // items whose turn came
  bool cancelled = false;
};

// One item's turn, from its texts to its outcome in the row (its Output and
// Volume texts; "Cancelled" when Cancel ended it). True when it was
// converted; otherwise its targetPath is emptied. `position` is 1-based.
bool TakeTurn(const RunContext& run, SourceOpener& opener, FileItem& item, int row, int position,
              int count, ProgressWindow& progress, const ItemHandler& handler);

// Runs every item through `opener`, one after the other; `rows[i]` is the list row of `items[i]`.
// Converted items keep their targetPath, all others have it emptied.
ItemsResult RunItems(const RunContext& run, SourceOpener& opener,
                     const std::vector<FileItem*>& items, const std::vector<int>& rows,
                     ProgressWindow& progress, const ItemHandler& handler);

// The window of a run: overall bar 0..count, shown and pumped.
std::unique_ptr<ProgressWindow> OpenRunProgress(Frontend& frontend, int count);

}  // namespace sondrel
