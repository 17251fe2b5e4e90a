#include "engine/merge_run.h"

#include <algorithm>

#include "decode/source_type.h"
#include "engine/item_outcome.h"
#include "engine/item_passes.h"
#include "engine/messages.h"
#include "engine/run_items.h"
#include "engine/start_checks.h"
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
  // Writing into one of the files being read would destroy a source.
  for (const FileItem* item : items) {
    if (IsSameFile(path, item->sourcePath)) {
      frontend.ShowMessage(CreateFailedMessage(path, true), MessageIcon::Exclamation);
      return std::string();
    }
  }
  return path;
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
    EncoderChoice merge = OpenMergeEncoder(run, path, maxRate, maxChannels);
    if (!merge.encoder) {
      frontend.ShowMessage(CreateFailedMessage(path, false), MessageIcon::Exclamation);
      return;
    }

    std::unique_ptr<ProgressWindow> progress =
        OpenRunProgress(frontend, static_cast<int>(items.size()));
    ItemHandler handler;
    handler.lowerName = FileNameOf(path);
    handler.prepare = [&](FileItem& item, std::string&) {
      item.targetPath = path;
      return true;
    };
    handler.convert = [&](const ItemJob& job, ProgressWindow& window, int& hasAudio) {
      return AppendFile(run, job, merge, window, hasAudio);
    };
    result = RunItems(run, state.opener, items, rows, *progress, handler);

    merge.encoder->Close();
    merge.encoder.reset();
    // Cancel deletes the output; so does a run in which no item got into it.
    const bool anyConverted = std::any_of(items.begin(), items.begin() + result.reached,
                                          [](const FileItem* i) { return !i->targetPath.empty(); });
    if (result.cancelled || !anyConverted) {
      std::vector<std::string> sources;
      for (const FileItem* item : items) sources.push_back(item->sourcePath);
      RemoveOutput(path, sources);
    }
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
  if (!merge.encoder->Open()) {
    merge.encoder.reset();
    RemoveOutput(path, {});
  }
  return merge;
}

bool AppendFile(const RunContext& run, const ItemJob& job, const EncoderChoice& merge,
                ProgressWindow& progress, int& hasAudio) {
  std::unique_ptr<Decoder> decoder = OpenForPass(run, job, hasAudio);
  if (!decoder) return false;
  const StreamPlan plan = PlanForTarget(run.settings, decoder->GetSampleRate(),
                                        PassChannels(*decoder), merge.rate, merge.channels);
  const PassEnd end = MoveBlocks(run, job, *decoder, *merge.encoder, plan, progress);
  decoder->Close();
  if (end == PassEnd::WriteFailed) job.opener.SetFfmpegRetry(0);
  return end == PassEnd::Done;
}

}  // namespace sondrel
