#include "engine/conversion_run.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "decode/source_tags.h"
#include "decode/source_type.h"
#include "engine/encoder_choice.h"
#include "engine/item_outcome.h"
#include "engine/item_passes.h"
#include "engine/merge_run.h"
#include "engine/messages.h"
#include "engine/parallel_items.h"
#include "engine/run_items.h"
#include "engine/start_checks.h"
#include "engine/target_naming.h"
#include "platform/paths.h"

namespace sondrel {

void StartConversion(EngineState& state, const ConvertSettings& settings, const FormatRow* format,
                     const FileListView& list, ItemSelection selection, RunOutput output) {
  std::vector<FileItem*> items;
  std::vector<int> rows;
  if (selection == ItemSelection::Selected) {
    int row = list.NextSelected(-1);
    if (row < 0) {
      state.frontend.ShowMessage(kNoSelectionMessage, MessageIcon::Information);
      return;
    }
    for (; row >= 0; row = list.NextSelected(row)) {
      items.push_back(list.ItemAt(row));
      rows.push_back(row);
    }
  } else {
    if (list.RowCount() == 0) {
      state.frontend.ShowMessage(kEmptyListMessage, MessageIcon::Information);
      return;
    }
    for (int row = 0; row < list.RowCount(); ++row) {
      items.push_back(list.ItemAt(row));
      rows.push_back(row);
    }
  }
  if (output == RunOutput::OneFile) {
    ConvertToOne(state, settings, format, items, rows);
  } else {
    ConvertEach(state, settings, format, items, rows);
  }
}

void ConvertEach(EngineState& state, const ConvertSettings& settings, const FormatRow* format,
                 const std::vector<FileItem*>& items, const std::vector<int>& rows) {
  ItemsResult result;
  {
    BusyScope busy(state.frontend);
    const bool midi = std::any_of(items.begin(), items.end(),
                                  [](const FileItem* i) { return i->sourceType == kSourceMidi; });
    if (!format || !CheckMediaRuntime(state, *format) || !CheckSoundfont(state, midi)) return;

    const RunContext run = MakeRunContext(state, settings, *format);
    std::unique_ptr<ProgressWindow> progress =
        OpenRunProgress(state.frontend, static_cast<int>(items.size()));
    RunTargets targets(items);
    ItemHandler handler;
    handler.lowerName = FormatName(*format);
    handler.prepare = [&](FileItem& item, std::unique_ptr<ReservedTarget>& target,
                          std::string& status) {
      return PrepareTarget(state, item, *format, settings, targets, target, status);
    };
    handler.convert = ConvertFile;
    const int jobs = JobCount(settings.Jobs, static_cast<int>(items.size()));
    result = jobs > 1
                 ? RunItemsAtOnce(run, state.openerSetup, items, rows, *progress, handler, jobs)
                 : RunItems(run, state.opener, items, rows, *progress, handler);
    progress->RequestClose();
  }
  if (!result.cancelled) BrowseFirstTarget(state.frontend, settings, items, result.reached);
}

namespace {

// The title of a custom tag taken from the file name: the item's name
// without its extension.
std::string TitleFromFileName(const FileItem& item) {
  std::string name = FileNameOf(item.sourcePath);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

// A track text as a number: its leading decimal digits, 0 when none.
int TrackNumber(const std::string& text) {
  return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

void SetFileTags(const RunContext& run, const ItemJob& job, Decoder& decoder, Encoder& encoder) {
  const ConvertSettings& settings = run.settings;
  if (!FormatCarriesTags(run.format.id)) return;
  if (settings.ID3TagType == kTagCustom) {
    const CustomTagSettings& tag = settings.customTag;
    const std::string title = tag.TitleAsFileName ? TitleFromFileName(job.item) : tag.Title;
    int track = 0;
    if (tag.TrackNumType == kTrackSequence) track = job.position;
    if (tag.TrackNumType == kTrackCustom) track = tag.CustomTrackNum;
    encoder.SetTags(title, tag.Artist, tag.Album, tag.Genre, tag.Year, tag.Comment, tag.Composer,
                    tag.Copyright, track);
  } else if (settings.ID3TagType == kTagTransfer) {
    const FileItem& source = *job.source;
    TagInfo tags;
    if (ReadSourceTags(decoder, source.sourcePath, source.sourceType, tags)) {
      encoder.SetTags(tags.title, tags.artist, tags.album, tags.genre, tags.year, tags.comment,
                      tags.composer, tags.copyright, TrackNumber(tags.track));
      encoder.SetCover(tags.cover);
    }
  }
}

}  // namespace

bool ConvertFile(const RunContext& run, const ItemJob& job, ProgressWindow& progress,
                 int& hasAudio) {
  ReservedTarget* target = job.target;
  if (!target) return false;
  std::unique_ptr<Decoder> decoder = OpenForPass(run, job, hasAudio);
  if (!decoder) return false;
  const int srcRate = decoder->GetSampleRate();
  const int srcChannels = PassChannels(*decoder);

  EncoderChoice choice = ChooseEncoder(run, srcRate, srcChannels);
  const StreamPlan plan = FeedPlan(run, choice, srcRate, srcChannels);
  std::unique_ptr<Encoder>& encoder = choice.encoder;
  // The writer fills the hidden temporary; the target keeps what it has
  // until the file is complete.
  if (!encoder || !target->Restart()) {
    decoder->Close();
    job.opener.SetFfmpegRetry(0);
    return false;
  }
  SetFileTags(run, job, *decoder, *encoder);
  encoder->SetOutputPath(target->TempPath());
  if (!encoder->Open()) {
    decoder->Close();
    job.opener.SetFfmpegRetry(0);
    return false;
  }

  PassEnd end = MoveBlocks(run, job, *decoder, *encoder, plan, progress);
  decoder->Close();
  const bool closed = encoder->Close() != 0;
  encoder.reset();
  if (end == PassEnd::Done && !closed) {
    job.opener.SetNote(kWriteFailedNote);
    end = PassEnd::WriteFailed;
  }
  // A write failure is the target's fault, not the reader's: no retry.
  if (end == PassEnd::WriteFailed) job.opener.SetFfmpegRetry(0);
  if (end != PassEnd::Done) return false;
  uint64_t size = 0;
  if (!GetFileSizeOf(target->TempPath(), size) || size == 0) return false;
  if (!target->Commit()) {
    job.opener.SetFfmpegRetry(0);
    job.opener.SetNote(errno == EEXIST ? kTargetAppearedNote : kWriteFailedNote);
    return false;
  }
  return true;
}

}  // namespace sondrel
