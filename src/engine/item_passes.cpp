#include "engine/item_passes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "decode/dts_frames.h"
#include "decode/source_type.h"
#include "engine/gain.h"
#include "engine/messages.h"
#include "engine/pass_progress.h"
#include "engine/preprocess_dts.h"
#include "engine/resampler.h"
#include "engine/scan_peaks.h"
#include "engine/trim_window.h"
#include "platform/paths.h"

namespace sondrel {

namespace {

// Whether a file begins with "RIFF" (DTS carried in a WAV container).
bool BeginsWithRiff(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char magic[4] = {};
  return in.read(magic, 4) && std::equal(magic, magic + 4, "RIFF");
}

// True when the skip set at the options is not shorter than the file.
bool SkipCoversFile(const ConvertSettings& settings, Decoder& decoder) {
  return settings.EnableSkipLength && settings.SkipLength != 0 &&
         static_cast<int64_t>(settings.SkipLength) >=
             static_cast<int64_t>(decoder.GetDuration()) * 1000;
}

}  // namespace

std::unique_ptr<Decoder> OpenForPass(const RunContext& run, const ItemJob& job, int& hasAudio) {
  const FileItem& source = *job.source;
  std::unique_ptr<Decoder> decoder = job.opener.OpenSource(
      source.sourcePath, source.sourceType, run.renderRate, OpenPurpose::Conversion, hasAudio);
  if (!decoder) {
    // The opener's note asks for the file to be sent in; for a file that is
    // simply gone that would mislead.
    if (!FileExists(source.sourcePath)) job.opener.SetNote(kSourceMissingNote);
    return nullptr;
  }
  if (decoder->GetSampleRate() <= 0) {
    decoder->Close();
    hasAudio = 0;
    return nullptr;
  }
  if (SkipCoversFile(run.settings, *decoder)) {
    decoder->Close();
    job.opener.SetFfmpegRetry(0);
    job.opener.SetNote(kSkipTooLongNote);
    return nullptr;
  }
  return decoder;
}

PassEnd MoveBlocks(const RunContext& run, const ItemJob& job, Decoder& decoder, Encoder& encoder,
                   const StreamPlan& plan, ProgressWindow& progress) {
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
  trim.Setup(decoder, run.settings);

  const int64_t total = std::max<int64_t>(1, decoder.GetLength());
  PassProgress bar(progress, kConvertingVerb, FileNameOf(job.item.sourcePath), decoder.GetLength());
  const int sourceType = job.source->sourceType;
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
    run.frontend.PumpMessages();
    if (progress.CancelRequested()) return PassEnd::Cancelled;
    if (!trim.SkipStep(decL.data(), pDecR, n)) continue;
    if (!trim.LimitStep(n)) break;
    if (wiring.resample) {
      int produced = 0;
      resampler.ResamplerProcess(planes.resampleLeft, planes.resampleRight, n, planes.encodeLeft,
                                 planes.encodeRight, produced);
      n = produced;
    }
    if (job.gain > 0) ApplyGain(planes.encodeLeft, planes.encodeRight, n, gainChannels, job.gain);
    if (!encoder.Write(planes.encodeLeft, planes.encodeRight, n)) {
      // A full disk or a codec error: what follows would be a cut file.
      job.opener.SetNote(kWriteFailedNote);
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

bool PreprocessItem(const RunContext& run, const ItemJob& job, int row, ProgressWindow& progress,
                    FileItem& copy) {
  const FileItem& item = job.item;
  const bool dtsInWav = item.sourceType == kSourceDts && BeginsWithRiff(item.sourcePath);
  const bool dtsCd = item.sourceType == kSourceCdTrack && run.settings.EnableDTSForCDA;
  if (!dtsInWav && !dtsCd) return false;
  run.frontend.SetRowText(row, ListColumn::Output, kPreprocessingStatus);
  int hasAudio = 1;
  job.opener.SetFfmpegRetry(0);
  std::string temp;
  if (!PreprocessDts(run.frontend, job, progress, hasAudio, temp)) return false;
  // PCM without DTS frames (a WAV file named .dts, an audio CD) is converted
  // as the audio it is, not decoded as a DTS stream into noise.
  if (!FileHoldsDtsFrames(temp)) {
    std::error_code ec;
    std::filesystem::remove(temp, ec);
    return false;
  }
  copy = FileItem{};
  copy.sourcePath = temp;
  copy.sourceType = kSourceRawDts;
  copy.targetPath = item.targetPath;
  return true;
}

bool NormalizeItem(const RunContext& run, const ItemJob& job, int row, ProgressWindow& progress,
                   float& normalizeGain) {
  normalizeGain = -1.0f;
  if (run.settings.VolumeType != kVolumeNormalize) return true;
  run.frontend.SetRowText(row, ListColumn::Output, kNormalizingStatus);
  int hasAudio = 1;
  job.opener.SetFfmpegRetry(0);
  int lowest = 0, highest = 0;
  bool ok = ScanPeaks(run.frontend, job, run.renderRate, progress, hasAudio, lowest, highest);
  if (!ok) {
    if (progress.CancelRequested()) return false;
    if (job.opener.FfmpegRetry())
      ok = ScanPeaks(run.frontend, job, run.renderRate, progress, hasAudio, lowest, highest);
    if (!ok) return !progress.CancelRequested();
  }
  normalizeGain = NormalizeGainFor(lowest, highest);
  return !progress.CancelRequested();
}

}  // namespace sondrel
