// The base of every decoding backend of the audio engine.
//
// A backend opens its source in its own Open function, then sets the format
// (rate, channels, 8- or 16-bit) and, when it knows it, the exact length in
// frames. `GetData` does the byte accounting that the engine's calls report:
// it delivers whole frames, stops at the length, and fills a short tail with
// silence so that the position reaches the length (see kMaxSilentTailSeconds).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sondrel::audioengine {

// Where TAGS_Read finds a channel's tags.
enum class TagSource { None, Mpeg, Wav, Aiff, Flac, OggVorbis, WavPack, Mp4, Adts, Module };

// The fields that the tags library's format string can name. Empty: absent.
struct TagFields {
  std::string title, artist, album, genre, year, comment, track, composer, copyright;
  std::string subtitle, albumArtist, disc;

  bool Empty() const;
};

// A backend that ends earlier than its announced length by at most this much
// is padded with silence (decoders and module players may differ from their
// own prescan by a few frames); a larger shortfall is a damaged or truncated
// source, whose data then simply ends.
inline constexpr double kMaxSilentTailSeconds = 1.0;

// Synthesised sources (tracker modules, MIDI files) longer than this are
// refused: no real piece lasts six hours, and a damaged file that claims to
// would keep a conversion busy for hours.
inline constexpr double kMaxRenderSeconds = 6 * 3600.0;

// A float sample (full scale +-1.0) as 16 bits: scaled by 32768, rounded and
// clipped; NaN becomes 0.
int16_t FloatToInt16(float x);

// The whole file of a synthesised source (a MIDI file, a tracker module) to
// be rendered at `rate`. Nullopt with `error` set when the rate is outside
// [minRate, maxRate] (BASS_ERROR_FORMAT) or the file cannot be read whole
// within `maxBytes` (BASS_ERROR_FILEFORM).
std::optional<std::vector<uint8_t>> ReadRenderSource(const std::string& path, uint32_t rate,
                                                     uint32_t minRate, uint32_t maxRate,
                                                     uint64_t maxBytes, int& error);

class Channel {
 public:
  virtual ~Channel() = default;
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  uint32_t Rate() const { return m_rate; }
  uint32_t Channels() const { return m_channels; }
  bool EightBit() const { return m_eightBit; }
  uint32_t ChannelType() const { return m_ctype; }
  uint32_t OriginalBits() const { return m_originalBits; }
  uint32_t FrameBytes() const { return m_channels * (m_eightBit ? 1u : 2u); }

  bool LengthKnown() const { return m_lengthFrames.has_value(); }
  uint64_t LengthBytes() const { return m_lengthFrames.value_or(0) * FrameBytes(); }
  uint64_t PositionBytes() const { return m_positionFrames * FrameBytes(); }

  // The size of the source file in bytes, when the channel has one.
  std::optional<uint64_t> FileBytes() const { return m_fileBytes; }

  // Interleaved samples into `buffer`, at most `bytes` (rounded down to whole
  // frames). Returns the bytes written, or nullopt at the end or on an error.
  std::optional<uint32_t> GetData(void* buffer, uint32_t bytes);

  // The tags for TAGS_Read; nullopt when the source has none.
  virtual std::optional<TagFields> ReadTags();

  const std::string& Path() const { return m_path; }

 protected:
  Channel() = default;

  // Writes up to `frames` whole frames; 0 at the end of the data or on an
  // error. Called only after the format is set.
  virtual size_t Decode(void* out, size_t frames) = 0;

  void SetFormat(uint32_t rate, uint32_t channels, bool eightBit, uint32_t ctype,
                 uint32_t originalBits);
  void SetLengthFrames(uint64_t frames) { m_lengthFrames = frames; }
  void SetFileBytes(uint64_t bytes) { m_fileBytes = bytes; }
  void SetSource(std::string path, TagSource tags) {
    m_path = std::move(path);
    m_tagSource = tags;
  }
  // SetSource for a channel read from the file at `path`, with the file's
  // size when it can be read.
  void SetSourceFile(const std::string& path, TagSource tags);

 private:
  uint32_t m_rate = 0;
  uint32_t m_channels = 0;
  bool m_eightBit = false;
  uint32_t m_ctype = 0;
  uint32_t m_originalBits = 0;
  std::optional<uint64_t> m_lengthFrames;
  std::optional<uint64_t> m_fileBytes;
  uint64_t m_positionFrames = 0;
  bool m_backendEnded = false;
  std::string m_path;
  TagSource m_tagSource = TagSource::None;
};

}  // namespace sondrel::audioengine
