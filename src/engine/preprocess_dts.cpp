#include "engine/preprocess_dts.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "encode/raw_pcm_writer.h"
#include "engine/messages.h"
#include "engine/pass_progress.h"
#include "engine/temp_name.h"
#include "platform/paths.h"

namespace sondrel {

namespace {

constexpr int kDtsRenderRate = 44100;

// Converts the whole source into the open writer. False on Cancel, when
// nothing was read, or when a write failed.
bool CopySamples(Frontend& frontend, Decoder& decoder, Encoder& writer, ProgressWindow& progress,
                 const std::string& name) {
  const bool stereo = decoder.GetOutputChannels() == 2;
  std::vector<int16_t> left(kBlockFrames), right(stereo ? kBlockFrames : 0);
  int16_t* r = stereo ? right.data() : nullptr;
  PassProgress bar(progress, kPreprocessingVerb, FileNameOf(name), decoder.GetLength());
  int n = decoder.Read(left.data(), r);
  if (n <= 0) return false;
  while (n > 0) {
    bar.Update(decoder.GetPosition());
    frontend.PumpMessages();
    if (progress.CancelRequested()) return false;
    // A short write would hand a cut stream to the decoder as if whole.
    if (!writer.Write(left.data(), r, std::min(n, kBlockFrames))) return false;
    n = decoder.Read(left.data(), r);
  }
  bar.Finish();
  return true;
}

}  // namespace

bool PreprocessDts(Frontend& frontend, const ItemJob& job, ProgressWindow& progress, int& hasAudio,
                   std::string& tempPath) {
  tempPath.clear();
  const FileItem& source = *job.source;
  std::unique_ptr<Decoder> decoder = job.opener.OpenSource(
      source.sourcePath, source.sourceType, kDtsRenderRate, OpenPurpose::Conversion, hasAudio);
  if (!decoder) return false;
  if (decoder->GetSampleRate() <= 0) {
    decoder->Close();
    hasAudio = 0;
    return false;
  }

  std::string temp;
  bool result = false;
  if (MakeTempName("", "", ".dts", temp)) {
    RawPcmWriter writer;
    writer.SetChannels(decoder->GetOutputChannels());
    writer.SetOutputPath(temp);
    if (writer.Open()) {
      result = CopySamples(frontend, *decoder, writer, progress, job.item.sourcePath);
    }
    // A file cut at its end would be converted as if it were whole.
    if (!writer.Close()) result = false;
  }
  decoder->Close();
  decoder.reset();

  uint64_t size = 0;
  if (result && (!GetFileSizeOf(temp, size) || size == 0)) result = false;
  std::error_code ec;
  if (!result) {
    if (!temp.empty() && !IsSameFile(temp, source.sourcePath)) std::filesystem::remove(temp, ec);
    return false;
  }
  tempPath = temp;
  return true;
}

}  // namespace sondrel
