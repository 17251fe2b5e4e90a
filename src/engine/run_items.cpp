#include "engine/run_items.h"

#include "decode/source_type.h"
#include "engine/gain.h"
#include "engine/item_outcome.h"
#include "engine/item_passes.h"
#include "engine/messages.h"
#include "platform/paths.h"

namespace sondrel {

namespace {

// The texts of an item's turn: its row shown and emptied, the run's line
// and bar, and the file line.
void ShowTurn(const RunContext& run, const ItemJob& job, int row, int count,
              const std::string& lowerName, ProgressWindow& progress) {
  run.frontend.EnsureRowVisible(row);
  run.frontend.SetRowText(row, ListColumn::Volume, std::string());
  progress.SetText(ProgressPart::Lower, RunLineText(job.position, count, lowerName));
  progress.Step(ProgressPart::Lower);
  progress.SetText(ProgressPart::Upper, StartingText(FileNameOf(job.item.sourcePath)));
  progress.SetPosition(ProgressPart::Upper, 0);
}

// One item's turn up to its outcome: true when it was converted; otherwise
// `status` holds the reason (empty when Cancel ended the turn).
bool ConvertItem(const RunContext& run, ItemJob& job, FileItem& item, int row, int count,
                 ProgressWindow& progress, const ItemHandler& handler, std::string& status) {
  if (item.sourceType == kSourceMidi && !run.soundFont) {
    status = kSoundfontMissingStatus;
    return false;
  }
  ShowTurn(run, job, row, count, handler.lowerName, progress);
  // Declared before the copy's remover: a failed item's temporary output
  // and reservation go last.
  std::unique_ptr<ReservedTarget> target;
  if (!handler.prepare(item, target, status)) return false;
  job.target = target.get();

  FileItem copy;
  if (PreprocessItem(run, job, row, progress, copy)) job.source = &copy;
  // The preprocessed copy is a temporary file, gone when the turn ends; the
  // job reads the item again.
  struct CopyRemover {
    ItemJob& job;
    ~CopyRemover() {
      if (job.source != &job.item) RemoveOutput(job.source->sourcePath, {job.item.sourcePath});
      job.source = &job.item;
    }
  } remover{job};

  float normalizeGain = -1.0f;
  if (progress.CancelRequested() || !NormalizeItem(run, job, row, progress, normalizeGain)) {
    return false;
  }
  job.gain = ChooseGain(run.settings, normalizeGain);
  run.frontend.SetRowText(row, ListColumn::Output, kConvertingStatus);
  int hasAudio = 1;
  job.opener.SetFfmpegRetry(0);
  bool converted = handler.convert(run, job, progress, hasAudio);
  if (!converted && !progress.CancelRequested() && job.opener.FfmpegRetry()) {
    converted = handler.convert(run, job, progress, hasAudio);
  }
  if (!converted && !progress.CancelRequested()) {
    status = FailureStatus(run.frontend, hasAudio, job.opener.Note());
  }
  return converted;
}

}  // namespace

bool TakeTurn(const RunContext& run, SourceOpener& opener, FileItem& item, int row, int position,
              int count, ProgressWindow& progress, const ItemHandler& handler) {
  ItemJob job(opener, item, position);
  opener.SetNote(std::string());
  std::string status;
  if (ConvertItem(run, job, item, row, count, progress, handler, status)) {
    ShowConverted(run.frontend, row, item, job.gain);
    return true;
  }
  item.targetPath.clear();
  run.frontend.SetRowText(row, ListColumn::Output,
                          progress.CancelRequested() ? kCancelledStatus : status);
  return false;
}

ItemsResult RunItems(const RunContext& run, SourceOpener& opener,
                     const std::vector<FileItem*>& items, const std::vector<int>& rows,
                     ProgressWindow& progress, const ItemHandler& handler) {
  ItemsResult result;
  const int count = static_cast<int>(items.size());
  for (int i = 0; i < count; ++i) {
    result.reached = i + 1;
    if (TakeTurn(run, opener, *items[static_cast<size_t>(i)], rows[static_cast<size_t>(i)], i + 1,
                 count, progress, handler)) {
      run.frontend.PumpMessages();
    }
    if (progress.CancelRequested()) {
      result.cancelled = true;
      break;
    }
  }
  return result;
}

std::unique_ptr<ProgressWindow> OpenRunProgress(Frontend& frontend, int count) {
  std::unique_ptr<ProgressWindow> progress = frontend.CreateConvertProgress();
  progress->SetRange(ProgressPart::Lower, count);
  progress->SetPosition(ProgressPart::Lower, 0);
  frontend.PumpMessages();
  return progress;
}

}  // namespace sondrel
