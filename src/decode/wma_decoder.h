// The reader of Windows Media files (.wma, .wmv, .asf, ...): the decoded PCM
// of the first audio stream and the file's header attributes, through the
// Windows Media layer's sync reader.
//
// Length and position are in 100-ns units: length is the "Duration"
// attribute, position the presentation time of the last sample fetched. The
// layer delivers at most two channels. The opener loads the runtime before
// it creates this reader.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "decode/decoder.h"

namespace sondrel {

class WmSyncReader;

class WmaDecoder : public Decoder {
 public:
  WmaDecoder();
  ~WmaDecoder() override;

  void Close() override;
  int Open(const std::string& path, int renderRate) override;
  int Read(int16_t* left, int16_t* right) override;
  int HasAudio() override { return m_streamNumber != 0 ? 1 : 0; }
  int GetTags(TagInfo& tags) override;

  // The capacity a sample of `length` bytes makes the buffer grow to: the
  // length and an eighth more, rounded down to a multiple of 4, plus 4.
  static uint32_t GrownCapacity(uint32_t length);
  // Bytes the sample buffer holds now (102400 at first).
  uint32_t BufferCapacity() const { return static_cast<uint32_t>(m_buffer.size()); }

 private:
  int Deliver(int16_t* left, int16_t* right, int delivered);
  void ReadAttributes(bool& failed);

  std::unique_ptr<WmSyncReader> m_reader;
  bool m_readerOpened = false;
  uint16_t m_streamNumber = 0;
  std::vector<uint8_t> m_buffer;
  size_t m_cursor = 0;        // next 16-bit value in m_buffer
  uint32_t m_framesLeft = 0;  // frames of m_buffer not yet delivered

  std::string m_title, m_artist, m_comment, m_album, m_genre, m_year, m_copyright, m_composer;
  int m_track = 0;
};

}  // namespace sondrel
