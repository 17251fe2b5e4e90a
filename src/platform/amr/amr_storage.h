// Reads the frames of an AMR single-channel storage file, one at a time,
// from a ByteSource (a file, or memory).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/amr/amr_frame.h"
#include "platform/bytes.h"

namespace sondrel {

// The band whose magic `head` starts with (narrow band is tried first);
// nullopt for neither.
std::optional<AmrBand> AmrStorageBand(const uint8_t* head, size_t size);

class AmrStorageReader {
 public:
  enum class Next {
    kFrame,         // a whole frame of a known type
    kEnd,           // no more bytes after the last frame
    kTruncated,     // the file ends inside a frame
    kReservedType,  // a frame type without a known size: nothing after it can be found
  };

  // Takes the source and checks that it starts with the magic of `band`.
  // Null when it does not (or the source is null).
  static std::unique_ptr<AmrStorageReader> Open(std::unique_ptr<ByteSource> source, AmrBand band);

  // Reads the next frame into `frame` (kAmrMaxFrameBytes bytes: the header
  // byte, the speech bits, then zeros). After anything but kFrame the
  // reader stays at its end.
  Next ReadFrame(uint8_t* frame);

  AmrBand Band() const { return m_band; }
  // Bytes of the file read so far, magic included.
  int64_t Offset() const { return m_offset; }

 private:
  AmrStorageReader(std::unique_ptr<ByteSource> source, AmrBand band, int64_t offset)
      : m_source(std::move(source)), m_band(band), m_offset(offset) {}

  std::unique_ptr<ByteSource> m_source;
  AmrBand m_band;
  int64_t m_offset;
  bool m_done = false;
};

}  // namespace sondrel
