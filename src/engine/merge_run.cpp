#include "engine/merge_run.h"

#include <algorithm>
#include <cstdio>

#include "decode/source_type.h"
#include "encode/wma_formats.h"
#include "engine/encoder_parameters.h"
#include "engine/messages.h"
#include "engine/pass_progress.h"
#include "engine/render_rate.h"
#include "engine/run_steps.h"
#include "engine/target_naming.h"
#include "platform/paths.h"

namespace sondrel {

void ConvertToOne(EngineState& state, const ConvertSettings& settings, const FormatRow* format,
                  const std::vector<FileItem*>& items, const std::vector<int>& rows) {
  Frontend& frontend = state.frontend;
  frontend.SetBusy(true);
  if (!format || !run::CheckMediaRuntime(state, *format)) {
    frontend.SetBusy(false);
    return;
  }

  // The highest probed rate and channel count up to the first MIDI item.
  int maxRate = 0, maxChannels = 0;
  bool midi = false;
  for (const FileItem* item : items) {
    if (item->sourceType == kSourceMidi) {
      midi = true;
      break;
    }
    maxRate = std::max(maxRate, item->sampleRate);
    maxChannels = std::max(maxChannels, item->channels);
  }
  maxChannels = std::min(maxChannels, 2);
  // A run that starts with a MIDI file knows no rate yet: CD quality stereo.
  if (maxRate <= 0) maxRate = kMergeFallbackRate;
  if (maxChannels <= 0) maxChannels = kMergeFallbackChannels;

  if (!run::CheckSoundfont(state, midi)) {
    frontend.SetBusy(false);
    return;
  }

  const std::string path = frontend.AskSaveFile(format->extension);
  if (path.empty()) {
    frontend.SetBusy(false);
    return;
  }
  // Writing into one of the files being read would destroy a source.
  for (const FileItem* item : items) {
    if (IsSameFile(path, item->sourcePath)) {
      frontend.ShowMessage(CreateFailedMessage(path, true), MessageIcon::Exclamation);
      frontend.SetBusy(false);
      return;
    }
  }
  std::unique_ptr<Encoder> encoder =
      OpenMergeEncoder(state, settings, *format, path, maxRate, maxChannels);
  if (!encoder) {
    frontend.ShowMessage(CreateFailedMessage(path, false), MessageIcon::Exclamation);
    frontend.SetBusy(false);
    return;
  }

  std::unique_ptr<ProgressWindow> progress =
      run::OpenRunProgress(state, static_cast<int>(items.size()));
  run::ItemHandler handler;
  handler.lowerName = FileNameOf(path);
  handler.prepare = [&](FileItem& item, std::string&) {
    item.targetPath = path;
    return true;
  };
  handler.convert = [&](FileItem& source, ProgressWindow& window, int& hasAudio) {
    return AppendFile(state, settings, source, *encoder, *format, window, hasAudio);
  };
  const run::ItemsResult result =
      run::RunItems(state, settings, *format, items, rows, *progress, handler);

  encoder->Close();
  encoder.reset();
  // Cancel deletes the output; so does a run in which no item got into it.
  const bool anyConverted = std::any_of(items.begin(), items.begin() + result.reached,
                                        [](const FileItem* i) { return !i->targetPath.empty(); });
  if (result.cancelled || !anyConverted) {
    std::vector<std::string> sources;
    for (const FileItem* item : items) sources.push_back(item->sourcePath);
    run::RemoveOutput(path, sources);
  }
  progress->RequestClose();
  frontend.SetBusy(false);
  if (!result.cancelled) run::BrowseFirstTarget(state, settings, items, result.reached);
}

std::unique_ptr<Encoder> OpenMergeEncoder(EngineState& state, const ConvertSettings& settings,
                                          const FormatRow& format, const std::string& path,
                                          int maxRate, int maxChannels) {
  std::unique_ptr<Encoder> encoder;
  switch (WriterFamilyOf(format.id)) {
    case WriterFamily::Amr: {
      AmrFormatParams params;
      if (format.id == kFormatAmr) {
        params = {settings.AMRType == kAmrNarrowBand ? 1 : 0, settings.AMRDTX, settings.AMRMode,
                  settings.AMRWBMode};
        state.mergeRate = settings.AMRType != kAmrNarrowBand ? 16000 : 8000;
      } else {
        params = {0, settings.AWBDTX, settings.AMRMode, settings.AWBMode};
        state.mergeRate = 16000;
      }
      state.mergeChannels = 1;
      if (state.writers.amr) encoder = state.writers.amr();
      if (encoder) encoder->SetFormat(params);
      break;
    }
    case WriterFamily::Wma: {
      int bitRate = 0;
      if (settings.WMAAutoEncParam) {
        const WmaParameters p = ChooseWmaParameters(maxRate, maxChannels);
        state.mergeRate = p.sampleRate;
        bitRate = p.bitRate;
        state.mergeChannels = maxChannels;
      } else {
        state.mergeRate = settings.WMASampleRate;
        bitRate = settings.WMABitRate;
        state.mergeChannels = settings.WMAChannels;
      }
      const WmaFormatEntry* entry =
          state.wmaFormats->Choose(state.mergeRate, bitRate, state.mergeChannels);
      if (!entry) return nullptr;
      if (state.writers.wma) encoder = state.writers.wma();
      if (encoder) {
        encoder->SetSampleRate(state.mergeRate);
        encoder->SetChannels(state.mergeChannels);
        encoder->SetBitRate(state.wmaFormats->BitRateOf(entry));
        encoder->SetFormat(entry);
      }
      break;
    }
    case WriterFamily::Ffmpeg:
    default: {
      const CodecEntry* entry = FindCodecEntry(format, format.CodecID);
      if (!entry) return nullptr;
      const run::FfmpegParameters p =
          run::ChooseFfmpegParameters(format, *entry, settings, maxRate, maxChannels);
      state.mergeRate = p.plan.targetRate;
      state.mergeChannels = p.plan.channels.targetChannels;
      if (state.writers.ffmpeg) encoder = state.writers.ffmpeg();
      if (encoder) {
        encoder->SetFormat(FfmpegFormatParams{format.muxerName, format.CodecID});
        encoder->SetSampleRate(state.mergeRate);
        encoder->SetChannels(state.mergeChannels);
        encoder->SetBitRate(p.bitRate);
      }
      break;
    }
  }
  if (!encoder) return nullptr;

  if (FormatCarriesTags(format.id) && settings.ID3TagType == kTagCustom) {
    const CustomTagSettings& tag = settings.customTag;
    encoder->SetTags(tag.TitleAsFileName ? std::string() : tag.Title, tag.Artist, tag.Album,
                     tag.Genre, tag.Year, tag.Comment, tag.Composer, tag.Copyright, 0);
  }
  encoder->SetOutputPath(path);
  if (!encoder->Open()) {
    encoder.reset();
    run::RemoveOutput(path, {});
    return nullptr;
  }
  return encoder;
}

bool AppendFile(EngineState& state, const ConvertSettings& settings, FileItem& source,
                Encoder& encoder, const FormatRow& format, ProgressWindow& progress,
                int& hasAudio) {
  const int renderRate = RenderRate(format, settings);
  std::unique_ptr<Decoder> decoder = run::OpenForPass(state, source, renderRate, hasAudio);
  if (!decoder) return false;
  const int srcRate = decoder->GetSampleRate();
  const int srcChannels = decoder->GetOutputChannels() == 2 ? 2 : 1;
  if (run::SkipCoversFile(state, settings, *decoder)) {
    decoder->Close();
    return false;
  }
  const run::StreamPlan plan =
      run::PlanForTarget(settings, srcRate, srcChannels, state.mergeRate, state.mergeChannels);
  const float gain = run::ChooseGain(state, settings);
  const run::PassEnd end =
      run::MoveBlocks(state, settings, *decoder, encoder, plan, gain, source.sourceType, progress);
  decoder->Close();
  if (end == run::PassEnd::WriteFailed) state.opener.SetFfmpegRetry(0);
  return end == run::PassEnd::Done;
}

}  // namespace sondrel
