// The abstract writer every output file is written through.
//
// Call order: create; the setters (any order, last value wins; nothing is
// checked until Open); SetOutputPath; Open; Write per block; Close; destroy.
// Open creates the file (replacing an existing one) and writes the header; on
// failure it releases everything, leaves the writer in its initial state and
// returns 0, after which only Close or destruction follow. Close completes a
// partial codec frame with zeros, drains, finishes the file and returns the
// writer to its initial state; it is harmless on a writer never opened. A
// file whose Close (or any Write) failed is damaged: the run discards it.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "platform/cover_picture.h"

namespace sondrel {

struct WmaFormatEntry;

// SetFormat record of FfmpegEncoder: the catalogue row's muxer and the
// stored (old-generation) FFmpeg codec id of the chosen codec entry.
struct FfmpegFormatParams {
  std::string muxerName;
  int codecId = 0;
};

// SetFormat record of AmrEncoder.
struct AmrFormatParams {
  int narrowBand = 1;  // 1 = AMR-NB, 0 = AMR-WB
  int dtx = 0;         // 1 = discontinuous transmission
  int nbMode = 6;      // 0..7
  int wbMode = 6;      // 0..8
};

// The writer-specific record given to SetFormat. WmaEncoder keeps the entry
// pointer; the WMA format list that owns the entry outlives every writer.
using FormatParams =
    std::variant<std::monostate, FfmpegFormatParams, AmrFormatParams, const WmaFormatEntry*>;

class Encoder {
 public:
  // A writer owns its output: it is neither copied nor moved.
  Encoder() = default;
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;
  // 1. Releases whatever the writer still holds; need not finish the file.
  virtual ~Encoder() = default;
  // 2. Texts in this order (genre before year); empty = absent, track <= 0 =
  //    absent. Replaces any tags set before; written at Open.
  virtual void SetTags(const std::string& title, const std::string& artist,
                       const std::string& album, const std::string& genre, const std::string& year,
                       const std::string& comment, const std::string& composer,
                       const std::string& copyright, int track) {
    (void)title, (void)artist, (void)album, (void)genre, (void)year, (void)comment;
    (void)composer, (void)copyright, (void)track;
  }
  // The front cover to store with the tags (null: none). Kept shared, not
  // copied; replaced by the next call; written at Close by writers whose
  // containers hold a picture.
  virtual void SetCover(SharedCover cover) { (void)cover; }
  // 3. The target file; created by Open, not before.
  virtual void SetOutputPath(const std::string& path) = 0;
  // 4 to 7. Stored only.
  virtual void SetSampleRate(int hertz) { (void)hertz; }
  virtual void SetChannels(int count) { (void)count; }
  // Bits per second; for G.726 the bits per code word (2 to 5).
  virtual void SetBitRate(int value) { (void)value; }
  virtual void SetFormat(const FormatParams& params) { (void)params; }
  // 8. Nonzero on success.
  virtual int Open() = 0;
  // 9. Planar 16-bit samples at the configured rate and channels; `right` may
  //    be null for one channel; any frame count from 0 up. Nonzero unless the
  //    codec or the file write failed; the writer stays usable either way.
  virtual int Write(const int16_t* left, const int16_t* right, int frames) = 0;
  // 10. See the header comment. Nonzero when every encode, write, flush,
  //     trailer and the close of the file succeeded (also on a writer never
  //     opened); 0 when the file may be cut short.
  virtual int Close() = 0;
};

}  // namespace sondrel
