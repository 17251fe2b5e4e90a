#include "engine/conversion_run.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "decode/source_type.h"
#include "decode/wav_info_tags.h"
#include "encode/wma_formats.h"
#include "engine/encoder_parameters.h"
#include "engine/merge_run.h"
#include "engine/messages.h"
#include "engine/pass_progress.h"
#include "engine/render_rate.h"
#include "engine/run_steps.h"
#include "engine/target_naming.h"
#include "platform/paths.h"

namespace sondrel {

void StartConversion(EngineState& state, const ConvertSettings& settings, const FormatRow* format,
                     const FileListView& list, bool selectedOnly, bool merge) {
  std::vector<FileItem*> items;
  std::vector<int> rows;
  if (selectedOnly) {
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
  if (merge) {
    ConvertToOne(state, settings, format, items, rows);
  } else {
    ConvertEach(state, settings, format, items, rows);
  }
}

void ConvertEach(EngineState& state, const ConvertSettings& settings, const FormatRow* format,
                 const std::vector<FileItem*>& items, const std::vector<int>& rows) {
  Frontend& frontend = state.frontend;
  frontend.SetBusy(true);
  const bool midi = std::any_of(items.begin(), items.end(),
                                [](const FileItem* i) { return i->sourceType == kSourceMidi; });
  if (!format || !run::CheckMediaRuntime(state, *format) || !run::CheckSoundfont(state, midi)) {
    frontend.SetBusy(false);
    return;
  }

  std::unique_ptr<ProgressWindow> progress =
      run::OpenRunProgress(state, static_cast<int>(items.size()));
  run::ItemHandler handler;
  handler.lowerName = run::FormatName(*format);
  handler.prepare = [&](FileItem& item, std::string& status) {
    return PrepareTarget(state, item, *format, settings, status);
  };
  handler.convert = [&](FileItem& source, ProgressWindow& window, int& hasAudio) {
    return ConvertFile(state, settings, source, *format, window, hasAudio);
  };
  const run::ItemsResult result =
      run::RunItems(state, settings, *format, items, rows, *progress, handler);

  progress->RequestClose();
  frontend.SetBusy(false);
  if (!result.cancelled) run::BrowseFirstTarget(state, settings, items, result.reached);
}

namespace {

// The title of a custom tag taken from the file name: the current item's
// name without its extension.
std::string TitleFromFileName(const FileItem* item) {
  std::string name = FileNameOf(item ? item->sourcePath : std::string());
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

// A track text as a number: its leading decimal digits, 0 when none.
int TrackNumber(const std::string& text) {
  return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

void SetFileTags(EngineState& state, const ConvertSettings& settings, const FileItem& source,
                 const FormatRow& format, Decoder& decoder, Encoder& encoder) {
  if (!FormatCarriesTags(format.id)) return;
  if (settings.ID3TagType == kTagCustom) {
    const CustomTagSettings& tag = settings.customTag;
    const std::string title =
        tag.TitleAsFileName ? TitleFromFileName(state.currentItem) : tag.Title;
    int track = 0;
    if (tag.TrackNumType == kTrackSequence) track = state.sequenceNumber;
    if (tag.TrackNumType == kTrackCustom) track = tag.CustomTrackNum;
    encoder.SetTags(title, tag.Artist, tag.Album, tag.Genre, tag.Year, tag.Comment, tag.Composer,
                    tag.Copyright, track);
  } else if (settings.ID3TagType == kTagTransfer) {
    TagInfo tags;
    bool found = decoder.GetTags(tags) != 0;
    if (!found && source.sourceType == kSourceWav) {
      tags = TagInfo{};
      found = ReadWavInfoTags(source.sourcePath, tags) != 0;
    }
    if (found) {
      encoder.SetTags(tags.title, tags.artist, tags.album, tags.genre, tags.year, tags.comment,
                      tags.composer, tags.copyright, TrackNumber(tags.track));
    }
  }
}

// Creates and configures the writer of the format's family for a source of
// (srcRate, srcChannels). Null when no codec entry or Windows Media format
// fits, or when the family's writer is not built in.
std::unique_ptr<Encoder> MakeFileEncoder(EngineState& state, const ConvertSettings& settings,
                                         const FormatRow& format, int renderRate, int srcRate,
                                         int srcChannels, run::StreamPlan& plan) {
  std::unique_ptr<Encoder> encoder;
  switch (WriterFamilyOf(format.id)) {
    case WriterFamily::Amr: {
      AmrFormatParams params;
      if (format.id == kFormatAmr) {
        params = {settings.AMRType == kAmrNarrowBand ? 1 : 0, settings.AMRDTX, settings.AMRMode,
                  settings.AMRWBMode};
      } else {
        params = {0, settings.AWBDTX, settings.AMRMode, settings.AWBMode};
      }
      plan = run::PlanForTarget(settings, srcRate, srcChannels, renderRate, 1);
      if (state.writers.amr) encoder = state.writers.amr();
      if (encoder) encoder->SetFormat(params);
      return encoder;
    }
    case WriterFamily::Wma: {
      int rate = 0, bitRate = 0, channels = 0;
      bool pick = false;
      if (settings.WMAAutoEncParam) {
        const WmaParameters p = ChooseWmaParameters(srcRate, srcChannels);
        rate = p.sampleRate;
        bitRate = p.bitRate;
        channels = srcChannels;
      } else {
        rate = settings.WMASampleRate;
        bitRate = settings.WMABitRate;
        channels = settings.WMAChannels;
        pick = settings.WMAChannels < srcChannels && settings.MonoType > 0;
      }
      const WmaFormatEntry* entry = state.wmaFormats->Choose(rate, bitRate, channels);
      if (!entry) return nullptr;
      // The writer is fed at the source's own rate; it converts itself.
      plan.srcRate = plan.targetRate = srcRate;
      plan.channels.resample = false;
      plan.channels.pickOneChannel = pick;
      plan.channels.monoType = settings.MonoType;
      plan.channels.sourceChannels = srcChannels;
      plan.channels.targetChannels = channels;
      const int fed = pick ? 1 : srcChannels;
      if (state.writers.wma) encoder = state.writers.wma();
      if (encoder) {
        encoder->SetSampleRate(srcRate);
        encoder->SetChannels(fed < channels ? 2 : fed);
        encoder->SetBitRate(state.wmaFormats->BitRateOf(entry));
        encoder->SetFormat(entry);
      }
      return encoder;
    }
    case WriterFamily::Ffmpeg:
    default: {
      const CodecEntry* entry = FindCodecEntry(format, format.CodecID);
      if (!entry) return nullptr;
      const run::FfmpegParameters p =
          run::ChooseFfmpegParameters(format, *entry, settings, srcRate, srcChannels);
      plan = p.plan;
      if (state.writers.ffmpeg) encoder = state.writers.ffmpeg();
      if (encoder) {
        encoder->SetFormat(FfmpegFormatParams{format.muxerName, format.CodecID});
        encoder->SetSampleRate(p.plan.targetRate);
        encoder->SetChannels(p.encoderChannels);
        encoder->SetBitRate(p.bitRate);
      }
      return encoder;
    }
  }
}

}  // namespace

bool ConvertFile(EngineState& state, const ConvertSettings& settings, FileItem& source,
                 const FormatRow& format, ProgressWindow& progress, int& hasAudio) {
  const int renderRate = RenderRate(format, settings);
  std::unique_ptr<Decoder> decoder = run::OpenForPass(state, source, renderRate, hasAudio);
  if (!decoder) return false;
  const int srcRate = decoder->GetSampleRate();
  const int srcChannels = decoder->GetOutputChannels() == 2 ? 2 : 1;
  if (run::SkipCoversFile(state, settings, *decoder)) {
    decoder->Close();
    return false;
  }

  // Never delete the item's own source, nor the preprocessed copy it reads.
  const std::vector<std::string> sources = {
      source.sourcePath, state.currentItem ? state.currentItem->sourcePath : std::string()};
  const std::string target = source.targetPath;

  run::StreamPlan plan;
  std::unique_ptr<Encoder> encoder =
      MakeFileEncoder(state, settings, format, renderRate, srcRate, srcChannels, plan);
  if (!encoder) {
    decoder->Close();
    run::RemoveOutput(target, sources);
    state.opener.SetFfmpegRetry(0);
    return false;
  }
  SetFileTags(state, settings, source, format, *decoder, *encoder);
  encoder->SetOutputPath(target);
  if (!encoder->Open()) {
    decoder->Close();
    encoder.reset();
    run::RemoveOutput(target, sources);
    state.opener.SetFfmpegRetry(0);
    return false;
  }

  const float gain = run::ChooseGain(state, settings);
  const run::PassEnd end =
      run::MoveBlocks(state, settings, *decoder, *encoder, plan, gain, source.sourceType, progress);
  decoder->Close();
  encoder->Close();
  encoder.reset();

  bool result = end == run::PassEnd::Done;
  // A write failure is the target's fault, not the reader's: no retry.
  if (end == run::PassEnd::WriteFailed) state.opener.SetFfmpegRetry(0);
  if (result) {
    uint64_t size = 0;
    if (!GetFileSizeOf(target, size) || size == 0) result = false;
  }
  if (!result) run::RemoveOutput(target, sources);
  return result;
}

}  // namespace sondrel
