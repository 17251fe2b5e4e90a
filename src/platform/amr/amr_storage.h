// Reads the frames of an AMR single-channel storage file, one at a time,
// from a stdio stream (a file, or memory through fmemopen).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/amr/amr_frame.h"

namespace sondrel {

struct AmrFileClose {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using AmrFile = std::unique_ptr<std::FILE, AmrFileClose>;

class AmrStorageReader {
 public:
  enum class Next {
    kFrame,         // a whole frame of a known type
    kEnd,           // no more bytes after the last frame
    kTruncated,     // the file ends inside a frame
    kReservedType,  // a frame type without a known size: nothing after it can be found
  };

  // Takes the stream and checks that it starts with the magic of `band`.
  // Null when it does not (or the stream is null).
  static std::unique_ptr<AmrStorageReader> Open(AmrFile file, AmrBand band);

  // Reads the next frame into `frame` (kAmrMaxFrameBytes bytes: the header
  // byte, the speech bits, then zeros). After anything but kFrame the
  // reader stays at its end.
  Next ReadFrame(uint8_t* frame);

  AmrBand Band() const { return m_band; }
  // Bytes of the file read so far, magic included.
  int64_t Offset() const { return m_offset; }

 private:
  AmrStorageReader(AmrFile file, AmrBand band, int64_t offset)
      : m_file(std::move(file)), m_band(band), m_offset(offset) {}

  AmrFile m_file;
  AmrBand m_band;
  int64_t m_offset;
  bool m_done = false;
};

}  // namespace sondrel
