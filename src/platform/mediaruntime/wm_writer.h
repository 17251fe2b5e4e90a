// The writer of the Windows Media layer: one audio stream of a chosen WMA
// codec format in an ASF file, fed with 16-bit PCM at any rate and channel
// count (the layer converts it to the format), with typed header attributes.
//
// Call order: SetProfile (one audio stream whose media type is one of the
// enumerated WMA formats); optionally GetInputProps/SetInputProps to describe
// the PCM fed in (default: the format's own rate and channels); AddAttribute;
// SetOutputFilename; BeginWriting; AllocateSample/WriteSample per block, in
// time order; EndWriting. Samples are taken as one contiguous signal in the
// order given: their times are not used to insert or drop audio.
//
// Of a stream configuration the writer uses the media type and the bit rate;
// its name, connection name, number and buffer window are kept in the
// profile only (FFmpeg's muxer numbers the stream 1 and fixes the preroll).
// A writer destroyed while writing removes its unfinished file (its header
// is only complete after EndWriting).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/mediaruntime/asf_header.h"
#include "platform/mediaruntime/wm_profile.h"
#include "platform/mediaruntime/wm_types.h"

namespace sondrel {

// A sample buffer from AllocateSample.
class WmBuffer {
 public:
  explicit WmBuffer(uint32_t maxLength) : m_bytes(maxLength) {}
  uint8_t* GetBuffer() { return m_bytes.data(); }
  const uint8_t* GetBuffer() const { return m_bytes.data(); }
  uint32_t GetMaxLength() const { return static_cast<uint32_t>(m_bytes.size()); }
  uint32_t GetLength() const { return m_length; }
  WmStatus SetLength(uint32_t length);

 private:
  std::vector<uint8_t> m_bytes;
  uint32_t m_length = 0;
};

class WmWriter {
 public:
  WmWriter();
  ~WmWriter();
  WmWriter(const WmWriter&) = delete;
  WmWriter& operator=(const WmWriter&) = delete;

  WmStatus SetProfile(const WmProfile& profile);
  WmStatus GetInputCount(uint32_t& count) const;
  // The media type the input currently expects (major type audio).
  WmStatus GetInputProps(uint32_t input, WmMediaType& type) const;
  // PCM, 16 bits, 1 to 8 channels, 1000 to 384000 Hz.
  WmStatus SetInputProps(uint32_t input, const WmMediaType& type);
  // File-level attributes only (stream 0); a value that the header cannot
  // hold (a GUID, more than 65535 bytes) is refused.
  WmStatus AddAttribute(uint16_t streamNumber, const std::string& name, const WmAttribute& value);
  WmStatus SetOutputFilename(const std::string& path);

  // Creates the file and writes the header. On failure nothing is left on
  // disk and the writer can be given another try.
  WmStatus BeginWriting();
  WmStatus AllocateSample(uint32_t size, std::unique_ptr<WmBuffer>& buffer);
  // `time` is in 100-ns units; flags are not used.
  WmStatus WriteSample(uint32_t input, int64_t time, uint32_t flags, const WmBuffer& sample);
  // Completes the last codec frame with silence, drains the encoder, writes
  // the final header and closes the file. On failure the unfinished file is
  // removed.
  WmStatus EndWriting();

 private:
  struct Session;
  WmProfile m_profile;
  bool m_hasProfile = false;
  WmMediaType m_codecType;
  uint32_t m_codecBitrate = 0;
  WmMediaType m_inputType;
  std::vector<AsfNamedAttribute> m_attributes;
  std::string m_path;
  std::unique_ptr<Session> m_session;
};

// A writer, or null when the runtime is not loaded.
std::unique_ptr<WmWriter> CreateWmWriter();

}  // namespace sondrel
