#include "platform/audioengine/channel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/audioengine/bass.h"
#include "platform/audioengine/tag_reader.h"
#include "platform/file.h"

namespace sondrel::audioengine {

bool TagFields::Empty() const {
  return title.empty() && artist.empty() && album.empty() && genre.empty() && year.empty() &&
         comment.empty() && track.empty() && composer.empty() && copyright.empty() &&
         subtitle.empty() && albumArtist.empty() && disc.empty();
}

int16_t FloatToInt16(float x) {
  if (!(x == x)) return 0;
  const float scaled = x * 32768.0f;
  if (scaled >= 32767.0f) return 32767;
  if (scaled <= -32768.0f) return -32768;
  return static_cast<int16_t>(std::lrintf(scaled));
}

void Channel::SetFormat(uint32_t rate, uint32_t channels, bool eightBit, uint32_t ctype,
                        uint32_t originalBits) {
  m_rate = rate;
  m_channels = channels;
  m_eightBit = eightBit;
  m_ctype = ctype;
  m_originalBits = originalBits;
}

std::optional<std::vector<uint8_t>> ReadRenderSource(const std::string& path, uint32_t rate,
                                                     uint32_t minRate, uint32_t maxRate,
                                                     uint64_t maxBytes, int& error) {
  if (rate < minRate || rate > maxRate) {
    error = BASS_ERROR_FORMAT;
    return std::nullopt;
  }
  std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path, maxBytes);
  if (!bytes) error = BASS_ERROR_FILEFORM;
  return bytes;
}

void Channel::SetSourceFile(const std::string& path, TagSource tags) {
  std::error_code ec;
  const uint64_t size = std::filesystem::file_size(path, ec);
  if (!ec) SetFileBytes(size);
  SetSource(path, tags);
}

std::optional<uint32_t> Channel::GetData(void* buffer, uint32_t bytes) {
  const uint32_t frameBytes = FrameBytes();
  if (frameBytes == 0 || buffer == nullptr) return std::nullopt;
  uint64_t want = bytes / frameBytes;
  uint64_t remaining = UINT64_MAX;
  if (m_lengthFrames) {
    remaining = *m_lengthFrames - std::min(*m_lengthFrames, m_positionFrames);
    if (remaining == 0) return std::nullopt;
    want = std::min(want, remaining);
  }
  if (want == 0) return 0;

  auto* out = static_cast<uint8_t*>(buffer);
  uint64_t done = 0;
  while (done < want && !m_backendEnded) {
    const size_t n = Decode(out + done * frameBytes, static_cast<size_t>(want - done));
    if (n == 0) {
      m_backendEnded = true;
      break;
    }
    done += n;
  }
  if (done < want && m_backendEnded && m_lengthFrames &&
      static_cast<double>(remaining - done) <= kMaxSilentTailSeconds * m_rate) {
    // Unsigned 8-bit silence is 0x80.
    std::memset(out + done * frameBytes, m_eightBit ? 0x80 : 0, (want - done) * frameBytes);
    done = want;
  }
  if (done == 0) return std::nullopt;
  m_positionFrames += done;
  return static_cast<uint32_t>(done * frameBytes);
}

std::optional<TagFields> Channel::ReadTags() { return ReadFileTags(m_path, m_tagSource); }

}  // namespace sondrel::audioengine
