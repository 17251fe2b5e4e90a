// The synchronous reader of the Windows Media layer: opens an ASF file
// (.wma, .wmv, .asf ...), lists its streams, and hands out the decoded PCM of
// a stream sample by sample, with presentation times in 100-ns units, and the
// file's header attributes with their types.
//
// Call order: Open; optionally SetStreamsSelected / SetReadStreamSamples;
// GetNextSample until it reports kNoMoreSamples; Close (also done by the
// destructor). Every stream starts selected. Asking for one stream's samples
// drops the samples of the other streams met on the way.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mediaruntime/asf_header.h"
#include "platform/mediaruntime/wm_types.h"

namespace sondrel {

struct WmStreamInfo {
  WmMajorType type = WmMajorType::kUnknown;
  uint16_t number = 0;
};

// A decoded sample: 16-bit interleaved PCM in the stream's output format
// (frames converted by platform/ffmpeg/frame_samples.h; frames of another
// channel count or rate folded and resampled by swresample).
// `data` stays valid until the next GetNextSample or Close.
struct WmSample {
  const uint8_t* data = nullptr;
  uint32_t length = 0;   // bytes
  int64_t time = 0;      // presentation time, 100-ns units
  int64_t duration = 0;  // 100-ns units
};

class WmSyncReader {
 public:
  WmSyncReader();
  ~WmSyncReader();
  WmSyncReader(const WmSyncReader&) = delete;
  WmSyncReader& operator=(const WmSyncReader&) = delete;

  // Opens a local file (UTF-8 path); only ASF content is accepted.
  WmStatus Open(const std::string& path);
  void Close();

  // The streams of the file's profile, in header order.
  uint32_t GetStreamCount() const;
  WmStatus GetStream(uint32_t index, WmStreamInfo& info) const;

  // One output per stream, in the same order. An audio output is 16-bit PCM
  // at the stream's sample rate with at most two channels (more are folded
  // down to stereo).
  uint32_t GetOutputCount() const;
  WmStatus GetOutputProps(uint32_t output, WmMediaType& type) const;

  WmStatus SetStreamsSelected(uint16_t streamNumber, bool selected);
  // Only decoded samples are offered: asking for compressed ones fails.
  WmStatus SetReadStreamSamples(uint16_t streamNumber, bool compressed);
  // The next decoded sample of an audio stream. kNoMoreSamples at the end;
  // kFailed when the stream is not a selected audio stream or its codec
  // cannot be opened. Undecodable packets are skipped by the rule of
  // platform/ffmpeg/ffmpeg_decoding.h.
  WmStatus GetNextSample(uint16_t streamNumber, WmSample& sample);

  // A header attribute. File-level attributes have stream number 0; besides
  // the stored ones these are "Duration" (64-bit, 100-ns units, absent for a
  // broadcast file or one whose header has no play duration) and "Bitrate"
  // (32-bit, bits per second, absent when the header has none). kNotFound
  // when the file has no such attribute.
  WmStatus GetAttributeByName(uint16_t streamNumber, std::string_view name,
                              WmAttribute& attribute) const;

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

// A reader, or null when the runtime is not loaded.
std::unique_ptr<WmSyncReader> CreateWmSyncReader();

}  // namespace sondrel
