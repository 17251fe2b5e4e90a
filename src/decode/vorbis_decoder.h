// The Ogg Vorbis reader, on libvorbisfile.
//
// Delivers 16-bit samples at the stream's rate; more than two channels are
// mixed to two from the Vorbis channel order. Vorbis comments map onto the
// tag record by key (compared without regard to case, the last one wins),
// converted to the locale's charset.
// Length and position are compressed bytes in the file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "decode/decoder.h"

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

  std::unique_ptr<OggVorbis_File, FileClear> m_file;
  std::vector<std::string> m_comments;
  std::string m_vendor;
  int m_streamVersion = 0;
  // Interleaved samples of one ov_read.
  std::vector<int16_t> m_work;
  // Bytes asked of one ov_read: a block of mono samples when any link of the
  // file is mono, else the whole work buffer.
  int m_readBytes = 0;
};

}  // namespace sondrel
