// Stream configurations, profiles and the codec-format enumeration of the
// Windows Media layer.
//
// A profile describes the streams a writer produces. The enumeration lists
// the audio codec formats the layer can write: each format is a stream
// configuration (media type and bit rate) with a description.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/mediaruntime/wm_types.h"

namespace sondrel {

class WmStreamConfig {
 public:
  WmStreamConfig() = default;
  explicit WmStreamConfig(WmMajorType type) : m_type(type) {}

  WmMajorType GetStreamType() const { return m_type; }
  // The media type must be of the stream's major type.
  WmStatus SetMediaType(const WmMediaType& mediaType);
  const WmMediaType& GetMediaType() const { return m_mediaType; }
  bool HasMediaType() const { return m_hasMediaType; }

  void SetStreamName(std::string name) { m_streamName = std::move(name); }
  void SetConnectionName(std::string name) { m_connectionName = std::move(name); }
  // 1..127 are valid ASF stream numbers.
  WmStatus SetStreamNumber(uint16_t number);
  void SetBitrate(uint32_t bitsPerSecond) { m_bitrate = bitsPerSecond; }
  void SetBufferWindow(uint32_t milliseconds) { m_bufferWindow = milliseconds; }

  const std::string& GetStreamName() const { return m_streamName; }
  const std::string& GetConnectionName() const { return m_connectionName; }
  uint16_t GetStreamNumber() const { return m_number; }
  uint32_t GetBitrate() const { return m_bitrate; }
  uint32_t GetBufferWindow() const { return m_bufferWindow; }

 private:
  WmMajorType m_type = WmMajorType::kUnknown;
  WmMediaType m_mediaType;
  bool m_hasMediaType = false;
  std::string m_streamName;
  std::string m_connectionName;
  uint16_t m_number = 0;
  uint32_t m_bitrate = 0;
  uint32_t m_bufferWindow = 0;
};

inline constexpr int kWmProfileVersion9 = 0x00090000;

class WmProfile {
 public:
  explicit WmProfile(int version = kWmProfileVersion9) : m_version(version) {}

  int GetVersion() const { return m_version; }
  // A new configuration of the given type, not yet part of the profile.
  WmStatus CreateNewStream(WmMajorType type, WmStreamConfig& config) const;
  // Adds a copy; fails without a media type or with a stream number that is
  // missing or already used.
  WmStatus AddStream(const WmStreamConfig& config);
  const std::vector<WmStreamConfig>& Streams() const { return m_streams; }

 private:
  int m_version;
  std::vector<WmStreamConfig> m_streams;
};

// The codec-format enumeration. Codecs and formats are numbered from 0.
class WmCodecInfo {
 public:
  virtual ~WmCodecInfo() = default;
  virtual WmStatus GetCodecInfoCount(WmMajorType type, uint32_t& count) = 0;
  virtual WmStatus GetCodecFormatCount(WmMajorType type, uint32_t codec, uint32_t& count) = 0;
  // The format's stream configuration (media type and bit rate) and a
  // description such as "128 kbps, 44 kHz, stereo CBR".
  virtual WmStatus GetCodecFormatDesc(WmMajorType type, uint32_t codec, uint32_t format,
                                      WmStreamConfig& config, std::string& description) = 0;
};

}  // namespace sondrel
