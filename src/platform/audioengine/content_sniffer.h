// Recognises what a file holds from its first bytes, so that the engine picks
// a decoder by content and a misnamed file still opens.
//
// Leading ID3v2 tags are skipped. MPEG audio and ADTS AAC, which have no
// magic number, are recognised by a chain of consecutive valid frame headers:
// two at the start of the data (or one frame that is the whole file), three
// when the first frame is found further into the first 64 KiB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/bytes.h"

namespace sondrel::audioengine {

enum class ContentKind {
  Unknown,
  Wav,        // RIFF/RF64 WAVE, Wave64
  Aiff,       // FORM AIFF/AIFC
  Flac,       // fLaC
  Ogg,        // OggS
  MpegAudio,  // MPEG-1/2/2.5 layer I, II, III
  Adts,       // ADTS or ADIF AAC
  Mp4,        // ISO base media / QuickTime
  Adx,        // CRI ADX
  WavPack,    // wvpk
  CdTrack,    // RIFF CDDA track file
  Midi,       // MThd or RIFF RMID
};

struct SniffResult {
  ContentKind kind = ContentKind::Unknown;
  uint64_t dataOffset = 0;  // where the recognised data starts (after ID3v2 tags)

  bool operator==(const SniffResult&) const = default;
};

// Reads the first 64 KiB after the ID3v2 tags, and the frame headers of a chain.
SniffResult SniffContent(ByteSource& file);
// Sniffs a file; Unknown when it cannot be read.
SniffResult SniffFile(const std::string& path);

// One MPEG audio frame header (4 bytes).
struct MpegFrameHeader {
  int version = 0;  // 1 MPEG-1, 2 MPEG-2, 25 MPEG-2.5
  int layer = 0;    // 1, 2 or 3
  int sampleRate = 0;
  int bitRate = 0;  // kbit/s
  uint32_t frameBytes = 0;

  bool operator==(const MpegFrameHeader&) const = default;
};
std::optional<MpegFrameHeader> ParseMpegFrameHeader(const uint8_t* bytes, size_t size);
// The length of the ADTS frame whose header is at `bytes`, or nullopt.
std::optional<uint32_t> ParseAdtsFrameLength(const uint8_t* bytes, size_t size);
// The total size (header included) of the ID3v2 tag at `bytes`, or nullopt.
std::optional<uint64_t> Id3v2TagSize(const uint8_t* bytes, size_t size);

}  // namespace sondrel::audioengine
