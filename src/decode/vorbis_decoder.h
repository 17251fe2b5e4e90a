// The Ogg Vorbis reader, on libvorbisfile.
//
// Delivers 16-bit samples at the stream's rate; more than two channels are
// mixed to two from the Vorbis channel order. In a chained file, a link at
// another rate than the first is resampled to the first link's rate, so the
// whole file plays at one rate and keeps its length. Vorbis comments map onto the
// tag record by key (compared without regard to case, the last one wins),
// converted to the locale's charset.
// Length and position are compressed bytes in the file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "decode/decoder.h"
#include "platform/ffmpeg/rate_converter.h"

struct OggVorbis_File;

namespace sondrel {

class VorbisDecoder : public Decoder {
 public:
  void Close() override;
  int Open(const std::string& path, int renderRate) override;
  int Read(int16_t* left, int16_t* right) override;
  int64_t GetPosition() override;
  int GetTags(TagInfo& tags) override;

  // Consecutive failed ov_read calls after which Read gives the stream up.
  static constexpr int kMaxReadErrors = 100;
  // Longest comment kept, in bytes.
  static constexpr size_t kMaxCommentBytes = 1000;

 private:
  struct FileClear {
    void operator()(OggVorbis_File* vf) const;
  };

  // Looks up `key` (with its '=') in the comments; the last match wins.
  std::string Lookup(const char* key) const;
  // Decodes the next piece of one link into m_mixed (output channels,
  // interleaved); its frames, 0 at the end or when the stream is given up.
  int DecodePiece(long& rate);
  // Appends m_mixed's `frames` frames at `rate` to m_pending at the first
  // link's rate. False when the rate cannot be converted.
  bool QueuePiece(int frames, long rate);

  std::unique_ptr<OggVorbis_File, FileClear> m_file;
  std::vector<std::string> m_comments;
  std::string m_vendor;
  int m_streamVersion = 0;
  // Interleaved samples of one ov_read, and the same mixed to the output
  // channels.
  std::vector<int16_t> m_work;
  std::vector<int16_t> m_mixed;
  // Output samples (interleaved) not yet delivered, from m_pendingPos on.
  std::vector<int16_t> m_pending;
  size_t m_pendingPos = 0;
  // For the links at another rate than the first.
  ffmpeg::RateConverter m_converter;
};

}  // namespace sondrel
