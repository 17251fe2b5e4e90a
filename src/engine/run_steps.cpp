#include "engine/run_steps.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

#include "decode/messages.h"
#include "decode/source_type.h"
#include "engine/conversion_run.h"
#include "engine/encoder_parameters.h"
#include "engine/gain.h"
#include "engine/messages.h"
#include "engine/pass_progress.h"
#include "engine/preprocess_dts.h"
#include "engine/render_rate.h"
#include "engine/resampler.h"
#include "engine/scan_peaks.h"
#include "engine/target_naming.h"
#include "engine/trim_window.h"
#include "platform/paths.h"
#include "platform/product.h"
#include "platform/text.h"

namespace sondrel::run {

namespace {

bool IsWindowsMediaFormat(int id) {
  return id == kFormatWma || id == kFormatWmv || id == kFormatAsf;
}

// Whether a file begins with "RIFF" (DTS carried in a WAV container).
bool BeginsWithRiff(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char magic[4] = {};
  return in.read(magic, 4) && std::equal(magic, magic + 4, "RIFF");
}

// Fits a channel count to an entry's channel bits (and to 1..2).
int FitChannels(int channels, int channelBits) {
  channels = std::clamp(channels, 1, 2);
  if (channels == 2 && !(channelBits & kChannelsStereo)) return 1;
  if (channels == 1 && !(channelBits & kChannelsMono)) return 2;
  return channels;
}

}  // namespace

std::string FormatName(const FormatRow& format) {
  return format.displayName.empty() ? AsciiUpper(format.extension) : format.displayName;
}

bool CheckMediaRuntime(EngineState& state, const FormatRow& format) {
  if (!IsWindowsMediaFormat(format.id)) return true;
  if (!(state.isMediaRuntimeLoaded && state.isMediaRuntimeLoaded())) {
    if (!(state.loadMediaRuntime && state.loadMediaRuntime())) {
      if (state.frontend.AskYesNo(kMediaRuntimeQuestion)) {
        state.frontend.OpenDocument(kMediaRuntimeDownloadUrl);
      }
      return false;
    }
  }
  state.wmaFormats->Build();
  return true;
}

bool CheckSoundfont(EngineState& state, bool midiFound) {
  if (!midiFound || state.soundFont) return true;
  if (state.loadDefaultSoundfont) state.soundFont = state.loadDefaultSoundfont();
  if (state.soundFont) return true;
  const std::string folder = ProgramFolder();
  if (state.frontend.AskYesNo(SoundfontQuestion(folder))) {
    state.frontend.OpenDocument(folder);
    state.frontend.OpenDocument(kSoundfontDownloadUrl);
    return false;
  }
  return true;
}

std::unique_ptr<Decoder> OpenForPass(EngineState& state, const FileItem& source, int renderRate,
                                     int& hasAudio) {
  std::unique_ptr<Decoder> decoder =
      state.opener.OpenSource(source.sourcePath, source.sourceType, renderRate, 1, hasAudio);
  if (!decoder) {
    // The opener's note asks for the file to be sent in; for a file that is
    // simply gone that would mislead.
    if (!FileExists(source.sourcePath)) state.opener.SetNote(kSourceMissingNote);
    return nullptr;
  }
  if (decoder->GetSampleRate() <= 0) {
    decoder->Close();
    hasAudio = 0;
    return nullptr;
  }
  return decoder;
}

bool SkipCoversFile(EngineState& state, const ConvertSettings& settings, Decoder& decoder) {
  if (!settings.EnableSkipLength || settings.SkipLength == 0) return false;
  if (static_cast<int64_t>(settings.SkipLength) <
      static_cast<int64_t>(decoder.GetDuration()) * 1000) {
    return false;
  }
  state.opener.SetFfmpegRetry(0);
  state.opener.SetNote(kSkipTooLongNote);
  return true;
}

StreamPlan PlanForTarget(const ConvertSettings& settings, int srcRate, int srcChannels,
                         int targetRate, int targetChannels) {
  StreamPlan plan;
  plan.srcRate = srcRate;
  plan.targetRate = targetRate;
  plan.channels.monoType = settings.MonoType;
  plan.channels.sourceChannels = srcChannels;
  plan.channels.targetChannels = targetChannels;
  const bool fewer = targetChannels < srcChannels;
  plan.channels.resample = targetRate != srcRate || (fewer && settings.MonoType == kMonoMix);
  plan.channels.pickOneChannel = fewer && settings.MonoType > 0;
  return plan;
}

FfmpegParameters ChooseFfmpegParameters(const FormatRow& format, const CodecEntry& entry,
                                        const ConvertSettings& settings, int srcRate,
                                        int srcChannels) {
  int rate = 0, channels = 0, bitRate = 0;
  if (format.AutoEncParam) {
    channels = FitChannels(srcChannels, entry.channelBits);
    rate = NearestValue(srcRate, entry.sampleRates);
    bitRate = entry.bitRates ? NearestValue(DefaultBitRate(rate, channels), entry.bitRates) : 0;
  } else {
    rate = NearestValue(format.SampleRate != 0 ? format.SampleRate : srcRate, entry.sampleRates);
    channels = FitChannels(format.Channels != 0 ? format.Channels : srcChannels, entry.channelBits);
    bitRate = format.BitRate;
    if (bitRate == 0) bitRate = entry.bitRates ? DefaultBitRate(rate, channels) : 0;
    bitRate = NearestValue(bitRate, entry.bitRates);
  }
  FfmpegParameters p;
  p.plan = PlanForTarget(settings, srcRate, srcChannels, rate, channels);
  const int fedChannels = p.plan.channels.pickOneChannel ? 1 : srcChannels;
  p.encoderChannels = fedChannels < channels ? 2 : channels;
  p.bitRate = bitRate;
  return p;
}

float ChooseGain(EngineState& state, const ConvertSettings& settings) {
  float gain = 0.0f;
  if (settings.VolumeType == kVolumeNormalize) {
    if (state.normalizeGain > 0) gain = state.normalizeGain;
  } else if (settings.VolumeType == kVolumeManual) {
    if (settings.Volume != 100) gain = static_cast<float>(settings.Volume * 0.01);
  }
  state.appliedGain = gain > 0 ? gain : 1.0f;
  return gain;
}

PassEnd MoveBlocks(EngineState& state, const ConvertSettings& settings, Decoder& decoder,
                   Encoder& encoder, const StreamPlan& plan, float gain, int sourceType,
                   ProgressWindow& progress) {
  const ChannelPlan& wiring = plan.channels;
  // Planes for the whole file, allocated before the first block.
  std::vector<int16_t> decL(kBlockFrames),
      decR(decoder.GetOutputChannels() == 2 ? kBlockFrames : 0);
  std::vector<int16_t> outL, outR;
  Resampler resampler;
  if (wiring.resample) {
    const size_t capacity =
        static_cast<size_t>(Resampler::OutputCapacity(plan.srcRate, plan.targetRate, kBlockFrames));
    outL.resize(capacity);
    if (wiring.targetChannels == 2) outR.resize(capacity);
  }
  int16_t* pDecR = decR.empty() ? nullptr : decR.data();
  const PlaneWiring planes =
      WirePlanes(wiring, decL.data(), pDecR, outL.empty() ? nullptr : outL.data(),
                 outR.empty() ? nullptr : outR.data());
  if (wiring.resample) {
    resampler.SetInput(planes.resampleInputChannels, plan.srcRate, 16);
    resampler.SetOutput(wiring.targetChannels, plan.targetRate, 16);
    resampler.ResamplerSetup();
  }

  TrimWindow trim;
  trim.Setup(decoder, settings);

  const std::string name =
      FileNameOf(state.currentItem ? state.currentItem->sourcePath : std::string());
  const int64_t total = std::max<int64_t>(1, decoder.GetLength());
  PassProgress bar(progress, kConvertingVerb, name, decoder.GetLength());
  const bool stopAtLength = sourceType == kSourceModule || sourceType == kSourceMidi;
  // The gain touches each written plane once; one plane written twice counts once.
  const int gainChannels = planes.encodeRight && planes.encodeRight != planes.encodeLeft ? 2 : 1;

  int n = decoder.Read(decL.data(), pDecR);
  if (n <= 0) return PassEnd::Empty;
  PassEnd end = PassEnd::Done;
  for (; n > 0; n = decoder.Read(decL.data(), pDecR)) {
    n = std::min(n, kBlockFrames);
    const int64_t pos = decoder.GetPosition();
    bar.Update(pos);
    state.frontend.PumpMessages();
    if (progress.CancelRequested()) return PassEnd::Cancelled;
    if (!trim.SkipStep(decL.data(), pDecR, n)) continue;
    if (!trim.LimitStep(n)) break;
    if (wiring.resample) {
      int produced = 0;
      resampler.ResamplerProcess(planes.resampleLeft, planes.resampleRight, n, planes.encodeLeft,
                                 planes.encodeRight, produced);
      n = produced;
    }
    if (gain > 0) ApplyGain(planes.encodeLeft, planes.encodeRight, n, gainChannels, gain);
    if (!encoder.Write(planes.encodeLeft, planes.encodeRight, n)) {
      // A full disk or a codec error: what follows would be a cut file.
      state.opener.SetNote(kWriteFailedNote);
      end = PassEnd::WriteFailed;
      break;
    }
    if (stopAtLength && pos >= total) break;
  }
  if (end == PassEnd::Done) bar.Finish();
  return end;
}

void RemoveOutput(const std::string& target, const std::vector<std::string>& sources) {
  if (target.empty()) return;
  for (const std::string& source : sources) {
    if (!source.empty() && IsSameFile(target, source)) return;
  }
  struct stat st;
  if (lstat(target.c_str(), &st) != 0) return;
  if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) unlink(target.c_str());
}

std::unique_ptr<ProgressWindow> OpenRunProgress(EngineState& state, int count) {
  std::unique_ptr<ProgressWindow> progress = state.frontend.CreateConvertProgress();
  progress->SetRange(ProgressPart::Lower, count);
  progress->SetPosition(ProgressPart::Lower, 0);
  state.frontend.PumpMessages();
  return progress;
}

namespace {

// The DTS preprocessing step: true when `source` became the temporary copy.
// False on Cancel or failure (then the item itself stays the source).
bool Preprocess(EngineState& state, const ConvertSettings& settings, FileItem& item, int row,
                ProgressWindow& progress, FileItem& copy) {
  const bool dtsInWav = item.sourceType == kSourceDts && BeginsWithRiff(item.sourcePath);
  const bool dtsCd = item.sourceType == kSourceCdTrack && settings.EnableDTSForCDA;
  if (!dtsInWav && !dtsCd) return false;
  state.frontend.SetRowText(row, ListColumn::Output, kPreprocessingStatus);
  int hasAudio = 1;
  state.opener.SetFfmpegRetry(0);
  copy = FileItem{};
  copy.sourcePath = item.sourcePath;
  copy.sourceType = item.sourceType;
  if (!PreprocessDts(state, copy, progress, hasAudio)) return false;
  const std::string temp = copy.targetPath;
  copy.sourcePath = temp;
  copy.sourceType = kSourceDts;
  copy.targetPath = item.targetPath;
  return true;
}

// The normalising step. False when Cancel was pressed.
bool Normalize(EngineState& state, const ConvertSettings& settings, const FormatRow& format,
               const FileItem& source, int row, ProgressWindow& progress) {
  if (settings.VolumeType != kVolumeNormalize) return true;
  state.frontend.SetRowText(row, ListColumn::Output, kNormalizingStatus);
  state.normalizeGain = -1.0f;
  int hasAudio = 1;
  state.opener.SetFfmpegRetry(0);
  const int renderRate = RenderRate(format, settings);
  int lowest = 0, highest = 0;
  bool ok = ScanPeaks(state, source, renderRate, progress, hasAudio, lowest, highest);
  if (!ok) {
    if (progress.CancelRequested()) return false;
    if (state.opener.FfmpegRetry())
      ok = ScanPeaks(state, source, renderRate, progress, hasAudio, lowest, highest);
    if (!ok) return !progress.CancelRequested();
  }
  ComputeNormalizeGain(state, lowest, highest);
  return !progress.CancelRequested();
}

std::string PercentText(float gain) {
  char text[64];
  std::snprintf(text, sizeof text, "%.02f%%", static_cast<double>(gain) * 100.0);
  return text;
}

}  // namespace

ItemsResult RunItems(EngineState& state, const ConvertSettings& settings, const FormatRow& format,
                     const std::vector<FileItem*>& items, const std::vector<int>& rows,
                     ProgressWindow& progress, const ItemHandler& handler) {
  ItemsResult result;
  const int count = static_cast<int>(items.size());
  for (int i = 0; i < count; ++i) {
    FileItem& item = *items[static_cast<size_t>(i)];
    const int row = rows[static_cast<size_t>(i)];
    result.reached = i + 1;
    state.sequenceNumber = i + 1;
    state.currentItem = &item;
    std::string status;
    std::string tempFile;
    state.opener.SetNote(std::string());

    bool converted = false;
    if (item.sourceType == kSourceMidi && !state.soundFont) {
      status = kSoundfontMissingStatus;
    } else {
      state.frontend.EnsureRowVisible(row);
      state.frontend.SetRowText(row, ListColumn::Volume, std::string());
      progress.SetText(ProgressPart::Lower, RunLineText(i + 1, count, handler.lowerName));
      progress.Step(ProgressPart::Lower);
      progress.SetText(ProgressPart::Upper, StartingText(FileNameOf(item.sourcePath)));
      progress.SetPosition(ProgressPart::Upper, 0);

      FileItem copy;
      FileItem* source = &item;
      if (handler.prepare(item, status)) {
        if (Preprocess(state, settings, item, row, progress, copy)) {
          source = &copy;
          tempFile = copy.sourcePath;
        }
        state.appliedGain = 1.0f;
        const bool goOn = !progress.CancelRequested() &&
                          Normalize(state, settings, format, *source, row, progress);
        if (goOn) {
          state.frontend.SetRowText(row, ListColumn::Output, kConvertingStatus);
          int hasAudio = 1;
          state.opener.SetFfmpegRetry(0);
          converted = handler.convert(*source, progress, hasAudio);
          if (!converted && !progress.CancelRequested() && state.opener.FfmpegRetry()) {
            converted = handler.convert(*source, progress, hasAudio);
          }
          if (!converted && !progress.CancelRequested()) {
            if (hasAudio) {
              status = kConversionFailureStatus;
              if (!state.opener.Note().empty()) {
                status += " (" + state.opener.Note() + ")";
                if (state.frontend.OutputColumnWidth() < 500)
                  state.frontend.SetOutputColumnWidth(500);
              }
            } else {
              status = kNoAudioStatus;
            }
          }
        }
      }
    }

    if (!tempFile.empty()) RemoveOutput(tempFile, {item.sourcePath});
    if (converted) {
      state.frontend.SetRowText(row, ListColumn::Volume, PercentText(state.appliedGain));
      state.frontend.SetRowText(row, ListColumn::Output, FileNameOf(item.targetPath));
      state.frontend.PumpMessages();
      if (progress.CancelRequested()) {
        result.cancelled = true;
        break;
      }
      continue;
    }
    item.targetPath.clear();
    if (progress.CancelRequested()) {
      state.frontend.SetRowText(row, ListColumn::Output, kCancelledStatus);
      result.cancelled = true;
      break;
    }
    state.frontend.SetRowText(row, ListColumn::Output, status);
  }
  state.currentItem = nullptr;
  return result;
}

void BrowseFirstTarget(EngineState& state, const ConvertSettings& settings,
                       const std::vector<FileItem*>& items, int reached) {
  if (!settings.BrowseOutputFolder) return;
  for (int i = 0; i < reached && i < static_cast<int>(items.size()); ++i) {
    const std::string& target = items[static_cast<size_t>(i)]->targetPath;
    if (!target.empty() && FileExists(target)) {
      state.frontend.ShowInFolder(target);
      return;
    }
  }
}

}  // namespace sondrel::run
