#include "engine/scan_peaks.h"

#include <algorithm>
#include <vector>

#include "decode/source_type.h"
#include "engine/messages.h"
#include "engine/pass_progress.h"
#include "platform/paths.h"

namespace sondrel {

namespace {

void Peaks(const int16_t* plane, int n, int& lowest, int& highest) {
  int lo = lowest, hi = highest;
  for (int i = 0; i < n; ++i) {
    lo = std::min<int>(lo, plane[i]);
    hi = std::max<int>(hi, plane[i]);
  }
  lowest = lo;
  highest = hi;
}

}  // namespace

bool ScanPeaks(Frontend& frontend, const ItemJob& job, int renderRate, ProgressWindow& progress,
               int& hasAudio, int& lowest, int& highest) {
  lowest = 0;
  highest = 0;
  const FileItem& source = *job.source;
  std::unique_ptr<Decoder> decoder = job.opener.OpenSource(
      source.sourcePath, source.sourceType, renderRate, OpenPurpose::Conversion, hasAudio);
  if (!decoder) return false;
  struct Closer {
    Decoder& d;
    ~Closer() { d.Close(); }
  } closer{*decoder};
  if (decoder->GetSampleRate() <= 0) {
    hasAudio = 0;
    return false;
  }

  const bool stereo = decoder->GetOutputChannels() == 2;
  std::vector<int16_t> left(kBlockFrames), right(stereo ? kBlockFrames : 0);
  int16_t* r = stereo ? right.data() : nullptr;
  PassProgress bar(progress, kNormalizingVerb, FileNameOf(job.item.sourcePath),
                   decoder->GetLength());
  const int64_t total = std::max<int64_t>(1, decoder->GetLength());
  const bool stopAtLength = source.sourceType == kSourceModule || source.sourceType == kSourceMidi;

  int n = decoder->Read(left.data(), r);
  if (n <= 0) return false;
  for (int64_t blocks = 0; n > 0; ++blocks) {
    n = std::min(n, kBlockFrames);
    Peaks(left.data(), n, lowest, highest);
    if (r) Peaks(r, n, lowest, highest);
    if (blocks % 3 == 0) {
      bar.Update(decoder->GetPosition());
      frontend.PumpMessages();
      if (progress.CancelRequested()) return false;
    }
    if (stopAtLength && decoder->GetPosition() >= total) break;
    n = decoder->Read(left.data(), r);
  }
  bar.Finish();
  return true;
}

}  // namespace sondrel
