// The abstract reader every source file is decoded through.
//
// Call order: Open, then Read until it returns 0 (reading GetPosition and
// GetLength for progress), then Close. Open on an open reader closes it first;
// a failed Open leaves the reader closed with every property 0. Read delivers
// at most kBlockFrames frames of signed 16-bit native-order samples into two
// caller-owned planes; with one output channel only `left` is written and
// `right` may be null. Readers never resample and mix more than two channels
// to two (DownmixToStereo).
#pragma once

#include <cstdint>
#include <string>

#include "platform/cover_picture.h"

namespace sondrel {

// Frames per Read call, and the size of the caller's planes.
inline constexpr int kBlockFrames = 1152;

// Nine tag texts, always in this order, and the front cover. UTF-8 inside
// the program.
struct TagInfo {
  std::string title;
  std::string artist;
  std::string album;
  std::string year;
  std::string genre;
  std::string comment;
  std::string track;
  std::string composer;
  std::string copyright;
  // Shared with every writer that stores it; null when the source has none.
  SharedCover cover;

  bool operator==(const TagInfo& o) const {
    return title == o.title && artist == o.artist && album == o.album && year == o.year &&
           genre == o.genre && comment == o.comment && track == o.track && composer == o.composer &&
           copyright == o.copyright && SameCover(cover, o.cover);
  }
};

class Decoder {
 public:
  // A reader owns a file and library handles: it is neither copied nor moved.
  Decoder() = default;
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
  // A reader keeps its handles in owners, so that destruction releases them;
  // one holding a bare handle calls its own Close from its destructor (a
  // base destructor cannot).
  virtual ~Decoder() = default;

  // 1. Releases the file, every library handle and the buffers; resets the
  //    properties. Safe when nothing is open.
  virtual void Close() = 0;
  // 2. Nonzero on success. `renderRate` is the rate in Hz at which MIDI and
  //    tracker modules are synthesised (0: the engine's choice).
  virtual int Open(const std::string& path, int renderRate) = 0;
  // 3. Frames written (at most kBlockFrames); 0 at the end or on an error.
  virtual int Read(int16_t* left, int16_t* right) = 0;
  // 4. Whether the source has an audio stream at all; read after a failed Open.
  virtual int HasAudio() { return 1; }
  // 5, 6. Progress in a unit of the reader's own; position reaches length.
  virtual int64_t GetLength() { return m_length; }
  virtual int64_t GetPosition() { return m_position; }
  // 7 to 12. Plain accessors of the stored properties.
  virtual int GetDuration() { return m_duration; }
  virtual int GetChannels() { return m_channels; }
  virtual int GetOutputChannels() { return m_outputChannels; }
  virtual int GetSampleRate() { return m_sampleRate; }
  virtual int GetBitsPerSample() { return m_bitsPerSample; }
  virtual int GetBitRate() { return m_bitRate; }
  // 13. Nonzero when the source carried tags; fills `tags`. Default: none,
  //     leaving `tags` untouched.
  virtual int GetTags(TagInfo& tags) {
    (void)tags;
    return 0;
  }

 protected:
  // Every property back to 0, as after Close or a failed Open.
  void ResetProperties();
  // Sets channels and the derived output channel count, 16-bit sample size.
  void SetChannelProperties(int channels);

  int64_t m_length = 0;      // progress total
  int64_t m_position = 0;    // progress so far
  int m_duration = 0;        // whole seconds, truncated
  int m_sampleRate = 0;      // Hz
  int m_channels = 0;        // of the source
  int m_outputChannels = 0;  // 1 or 2
  int m_bitsPerSample = 0;   // 16 once open
  int m_bytesPerSample = 0;  // 2 once open
  int m_bitRate = 0;         // kbit/s
};

}  // namespace sondrel
