#include "engine/merge_run.h"

#include <algorithm>

#include "decode/source_type.h"
#include "engine/item_outcome.h"
#include "engine/item_passes.h"
#include "engine/messages.h"
#include "engine/run_items.h"
#include "engine/start_checks.h"
#include "engine/target_reservation.h"
#include "platform/atomic_output.h"
#include "platform/paths.h"

namespace sondrel {

namespace {

// The highest probed rate and channel count up to the first MIDI item; a
// run that starts with a MIDI file knows no rate yet: CD quality stereo.
void MergeStream(const std::vector<FileItem*>& items, int& maxRate, int& maxChannels, bool& midi) {
  maxRate = 0;
  maxChannels = 0;
  midi = false;
  for (const FileItem* item : items) {
    if (item->sourceType == kSourceMidi) {
      midi = true;
      break;
    }
    maxRate = std::max(maxRate, item->sampleRate);
    maxChannels = std::max(maxChannels, item->channels);
  }
  maxChannels = std::min(maxChannels, 2);
  if (maxRate <= 0) maxRate = kMergeFallbackRate;
  if (maxChannels <= 0) maxChannels = kMergeFallbackChannels;
}

// The merge's output, asked for and checked; empty when the run ends here.
std::string AskOutput(Frontend& frontend, const FormatRow& format,
                      const std::vector<FileItem*>& items) {
  const std::string path = frontend.AskSaveFile(format.extension);
  if (path.empty()) return path;
  // Never any path named as a source, whether it could be read or not, nor
  // one of those files under another name.
  if (RunTargets(items).IsSource(path)) {
    frontend.ShowMessage(CreateFailedMessage(path, true), MessageIcon::Exclamation);
    return std::string();
  }
  return path;
}

// The items that went into an output that is then lost: failed after all.
void ShowOutputLost(Frontend& frontend, const std::vector<FileItem*>& items,
                    const std::vector<int>& rows, int reached, const std::string& note) {
  for (int i = 0; i < reached; ++i) {
    FileItem& item = *items[static_cast<size_t>(i)];
    if (item.targetPath.empty()) continue;
    item.targetPath.clear();
    const int row = rows[static_cast<size_t>(i)];
    frontend.SetRowText(row, ListColumn::Volume, std::string());
    frontend.SetRowText(row, ListColumn::Output, FailureStatus(frontend, 1, note));
  }
}

}  // namespace

void ConvertToOne(EngineState& state, const ConvertSettings& settings, const FormatRow* format,
                  const std::vector<FileItem*>& items, const std::vector<int>& rows) {
  Frontend& frontend = state.frontend;
  ItemsResult result;
  {
    BusyScope busy(frontend);
    if (!format || !CheckMediaRuntime(state, *format)) return;
    int maxRate = 0, maxChannels = 0;
    bool midi = false;
    MergeStream(items, maxRate, maxChannels, midi);
    if (!CheckSoundfont(state, midi)) return;
    const std::string path = AskOutput(frontend, *format, items);
    if (path.empty()) return;

    const RunContext run = MakeRunContext(state, settings, *format);
    // The items are written into a hidden temporary beside the output, which
    // replaces the output (a link there included, not written through) only
    // when the run wrote it completely.
    std::unique_ptr<AtomicOutput> output =
        AtomicOutput::Create(path, AtomicOutput::Replace::Allowed);
    EncoderChoice merge;
    if (output) merge = OpenMergeEncoder(run, output->TempPath(), maxRate, maxChannels);
    if (!merge.encoder) {
      frontend.ShowMessage(CreateFailedMessage(path, false), MessageIcon::Exclamation);
      return;
    }

    std::unique_ptr<ProgressWindow> progress =
        OpenRunProgress(frontend, static_cast<int>(items.size()));
    ItemHandler handler;
    handler.lowerName = FileNameOf(path);
    handler.prepare = [&](FileItem& item, std::unique_ptr<ReservedTarget>&, std::string&) {
      item.targetPath = path;
      return true;
    };
    // After a failed write the output is damaged: the items that follow are
    // not decoded into it.
    bool writeFailed = false;
    handler.convert = [&](const RunContext& itemRun, const ItemJob& job, ProgressWindow& window,
                          int& hasAudio) {
      if (writeFailed) {
        job.opener.SetFfmpegRetry(0);
        job.opener.SetNote(kWriteFailedNote);
        return false;
      }
      return AppendFile(itemRun, job, merge, window, hasAudio, writeFailed);
    };
    result = RunItems(run, state.opener, items, rows, *progress, handler);

    const bool closed = merge.encoder->Close() != 0;
    merge.encoder.reset();
    // Cancel deletes the output; so does a run in which no item got into it.
    const bool anyConverted = std::any_of(items.begin(), items.begin() + result.reached,
                                          [](const FileItem* i) { return !i->targetPath.empty(); });
    if (!result.cancelled && anyConverted) {
      if (writeFailed || !closed || !output->Commit()) {
        ShowOutputLost(frontend, items, rows, result.reached, kWriteFailedNote);
      }
    }
    output.reset();
    progress->RequestClose();
  }
  if (!result.cancelled) BrowseFirstTarget(frontend, settings, items, result.reached);
}

EncoderChoice OpenMergeEncoder(const RunContext& run, const std::string& path, int maxRate,
                               int maxChannels) {
  EncoderChoice merge = ChooseEncoder(run, maxRate, maxChannels);
  if (!merge.encoder) return merge;
  const ConvertSettings& settings = run.settings;
  if (FormatCarriesTags(run.format.id) && settings.ID3TagType == kTagCustom) {
    const CustomTagSettings& tag = settings.customTag;
    merge.encoder->SetTags(tag.TitleAsFileName ? std::string() : tag.Title, tag.Artist, tag.Album,
                           tag.Genre, tag.Year, tag.Comment, tag.Composer, tag.Copyright, 0);
  }
  merge.encoder->SetOutputPath(path);
  if (!merge.encoder->Open()) merge.encoder.reset();
  return merge;
}

bool AppendFile(const RunContext& run, const ItemJob& job, const EncoderChoice& merge,
                ProgressWindow& progress, int& hasAudio, bool& writeFailed) {
  std::unique_ptr<Decoder> decoder = OpenForPass(run, job, hasAudio);
  if (!decoder) return false;
  const StreamPlan plan = PlanForTarget(run.settings, decoder->GetSampleRate(),
                                        PassChannels(*decoder), merge.rate, merge.channels);
  const PassEnd end = MoveBlocks(run, job, *decoder, *merge.encoder, plan, progress);
  decoder->Close();
  if (end == PassEnd::WriteFailed) {
    job.opener.SetFfmpegRetry(0);
    writeFailed = true;
  }
  return end == PassEnd::Done;
}

}  // namespace sondrel
