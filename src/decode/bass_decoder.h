// The audio-engine reader: MP3, WAV, FLAC, WavPack, AAC, MP4 audio, ADX,
// ALAC, CD tracks, tracker modules and MIDI, through the engine's BASS_* calls
// (platform/audioengine), with tags from TAGS_Read.
//
// Progress is in decoded bytes of the engine's output (all channels, the
// delivered sample width): length from BASS_ChannelGetLength, position from
// BASS_ChannelGetPosition. The engine must be started (StartAudioEngine)
// before a reader opens.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "decode/decoder.h"

namespace sondrel {

// The format given to TAGS_Read: one field per line.
extern const char* const kBassTagFormat;

// Stores the lines of a TAGS_Read text into `tags` in the order track, title,
// artist, album, genre, year, comment, composer, and the rest after the
// eighth line break into copyright. A line is stored only when the break that
// ends it is there; fields beyond the text stay untouched.
void StoreBassTagText(const std::string& text, TagInfo& tags);

class BassDecoder : public Decoder {
 public:
  ~BassDecoder() override;

  void Close() override;
  int Open(const std::string& path, int renderRate) override;
  int Read(int16_t* left, int16_t* right) override;
  int64_t GetPosition() override;
  int GetTags(TagInfo& tags) override;

 private:
  enum class Kind { Stream, Module, Midi };

  int Read16(int16_t* left, int16_t* right);
  int Read8(int16_t* left, int16_t* right);

  bool m_eightBitPath = false;  // the read routine
  uint32_t m_handle = 0;        // channel handle; 0 when closed
  std::vector<int16_t> m_raw;   // the engine's interleaved data (bytes for 8-bit)
  uint32_t m_rawSize = 0;       // bytes: output channels * raw bytes * kBlockFrames
  int m_rawBits = 0;            // 8 or 16
  int m_rawBytes = 0;           // 1 or 2
  Kind m_kind = Kind::Stream;
  std::string m_path;
};

}  // namespace sondrel
