// AuDecoder: reads Sun/NeXT audio files (".au", ".snd") itself.
//
// The header is ParseAuHeader's: either byte order (".snd" or "dns." magic,
// and their zero-ended forms). Linear PCM of 8 to 32 bits, 32- and 64-bit floating point, mu-law,
// A-law, and G.721 / G.723 (3- and 5-bit) ADPCM. More than two channels are mixed to two from the
// first eight; ADPCM codes alternate left and right through one decoder state.
//
// Progress is in data bytes: length is the size of the sound data, position
// the bytes consumed so far.
#pragma once

#include <memory>
#include <string>

#include "decode/au_header.h"
#include "decode/decoder.h"
#include "decode/g72x.h"
#include "platform/file.h"

namespace sondrel {

class AuDecoder : public Decoder {
 public:
  // The read buffer for the sound data of one call.
  static constexpr size_t kReadBufferSize = 8u << 20;

  AuDecoder();

  void Close() override;
  int Open(const std::string& path, int renderRate) override;
  int Read(int16_t* left, int16_t* right) override;

 private:
  int ReadAdpcm(const uint8_t* data, size_t size, int16_t* left, int16_t* right);
  int16_t SampleAt(const uint8_t* p) const;

  // What one open file sets; Close puts back these values.
  struct OpenFile {
    bool bigEndian = true;
    uint32_t encoding = 0;
    int bits = 0;         // bits per stored sample or code
    int sampleBytes = 0;  // bytes per stored sample (not ADPCM)
    int64_t dataOffset = 0;
    int channelsUsed = 0;
    G72xDecoder g72x;
    uint32_t reservoir = 0;
    int bitCount = 0;
    bool nextIsRight = false;
  };

  std::unique_ptr<uint8_t[]> m_buffer;
  File m_file;
  OpenFile m_open;
};

}  // namespace sondrel
