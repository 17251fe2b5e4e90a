// AiffDecoder: reads AIFF and AIFF-C files itself.
//
// Open walks the chunks with ParseAiffChunks (COMM and SSND in any order, pad
// bytes, "ID3 " chunks for the tags), reads the tags and picks a read routine
// for the coding: PCM of 1 to 32 bits in either byte order, 32- and 64-bit
// floating point, mu-law, A-law, 8-bit offset binary, IMA4 ADPCM (stereo
// only), GSM 06.10 and DWVW of 8 to 24 bits. More than two channels are mixed
// to two from the first eight.
//
// Progress is in file bytes: length is the file size, position the offset of
// the next byte to read (it reaches length when the sound data ends).
#pragma once

#include <memory>
#include <string>

#include "decode/aiff_chunks.h"
#include "decode/decoder.h"
#include "decode/dwvw.h"
#include "decode/gsm610.h"
#include "platform/file.h"

namespace sondrel {

class AiffDecoder : public Decoder {
 public:
  // The work buffer for chunk headers, COMM and the sound data of one call.
  static constexpr size_t kWorkBufferSize = 8u << 20;
  // The most of an "ID3 " chunk that is read.
  static constexpr size_t kMaxId3Size = 10u << 20;

  AiffDecoder();

  void Close() override;
  int Open(const std::string& path, int renderRate) override;
  int Read(int16_t* left, int16_t* right) override;
  // 0 when the file carried no tag text; else 1 with all nine fields.
  int GetTags(TagInfo& tags) override;

 private:
  enum class Coding { Pcm, Float32, Float64, Mulaw, Alaw, Ima4, Raw, Gsm, Dwvw };

  void ReadId3Chunk(const AiffSpan& chunk);
  bool ChooseCoding();

  int ReadSamples(int16_t* left, int16_t* right);
  int ReadIma4(int16_t* left, int16_t* right);
  int ReadGsm(int16_t* left, int16_t* right);
  int ReadDwvw(int16_t* left, int16_t* right);
  // Reads up to `size` sound bytes into the work buffer; advances position.
  size_t ReadData(uint8_t* data, size_t size);
  // Adds one decoded sample of the interleaved stream to the frame being
  // built; true when it completed an output frame at `frames`.
  bool PutSample(int16_t sample, int16_t* left, int16_t* right, int& frames);
  // Marks the end of the data, so that position reaches length.
  int Finish();

  std::unique_ptr<uint8_t[]> m_work;
  File m_file;
  Gsm610Decoder m_gsm;
  // What one open file sets; Close puts back these values.
  struct OpenFile {
    TagInfo tags;

    AiffComm comm;
    // From SSND.
    int64_t dataStart = 0;
    int64_t dataLength = 0;

    Coding coding = Coding::Pcm;
    bool littleEndian = false;
    int sampleSize = 0;  // bits per stored sample
    int container = 0;   // bytes per stored sample (PCM-like codings)
    int64_t frames = 0;
    int64_t dataRemaining = 0;
    int channelsUsed = 0;
    bool ended = false;

    DwvwDecoder dwvw;
    int64_t dwvwFramesLeft = -1;  // -1: no limit from COMM
    // The output frame being assembled from an interleaved sample stream.
    int16_t pending[8] = {};
    int pendingChannel = 0;
  };
  OpenFile m_open;
};

}  // namespace sondrel
