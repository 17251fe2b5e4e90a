#include "decode/dts_frames.h"

#include <optional>
#include <vector>

#include "platform/file.h"

namespace sondrel {

namespace {

constexpr uint32_t kCoreSync = 0x7FFE8001;

// How the bits of a stream sit in its 16-bit words.
struct Form {
  bool little;    // byte order of a word
  bool fourteen;  // only the low 14 bits of a word carry data
};
constexpr Form kForms[] = {{false, false}, {true, false}, {false, true}, {true, true}};

// The bits of a stream from a word-aligned offset on, most significant first.
class StreamBits {
 public:
  StreamBits(const uint8_t* data, size_t size, size_t pos, Form form)
      : m_data(data), m_size(size), m_pos(pos), m_form(form) {}

  // The next `count` (at most 32) bits; nullopt past the end of the data.
  std::optional<uint32_t> Read(int count) {
    uint32_t value = 0;
    while (count > 0) {
      if (m_left == 0 && !NextWord()) return std::nullopt;
      const int take = count < m_left ? count : m_left;
      m_left -= take;
      value = (value << take) | ((m_word >> m_left) & ((1u << take) - 1));
      count -= take;
    }
    return value;
  }

 private:
  bool NextWord() {
    if (m_pos + 2 > m_size) return false;
    const uint8_t a = m_data[m_pos];
    const uint8_t b = m_data[m_pos + 1];
    m_pos += 2;
    m_word = m_form.little ? (uint32_t{b} << 8) | a : (uint32_t{a} << 8) | b;
    m_left = 16;
    if (m_form.fourteen) {
      m_word &= 0x3FFF;
      m_left = 14;
    }
    return true;
  }

  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos;
  Form m_form;
  uint32_t m_word = 0;
  int m_left = 0;
};

// The sample rates a core header can name (by its 4-bit code).
bool ValidRateCode(uint32_t code) {
  switch (code) {
    case 1:
    case 2:
    case 3:
    case 6:
    case 7:
    case 8:
    case 11:
    case 12:
    case 13:
      return true;
    default:
      return false;
  }
}

// The length in stream bytes of the core frame whose header starts at `pos`,
// or 0 when no valid header starts there.
size_t FrameBytesAt(const uint8_t* data, size_t size, size_t pos, Form form) {
  StreamBits bits(data, size, pos, form);
  const std::optional<uint32_t> sync = bits.Read(32);
  if (!sync || *sync != kCoreSync) return 0;
  const std::optional<uint32_t> head = bits.Read(28);  // type 1, short 5, crc 1, blocks 7, size 14
  const std::optional<uint32_t> tail = bits.Read(10);  // channel arrangement 6, rate 4
  if (!head || !tail) return 0;
  const uint32_t blocks = ((*head >> 14) & 0x7F) + 1;
  const uint32_t frameSize = (*head & 0x3FFF) + 1;
  if (blocks < 6 || frameSize < 96 || !ValidRateCode(*tail & 0xF)) return 0;
  // 14-bit words carry 7 bytes of the frame in every 8 stream bytes.
  size_t bytes = form.fourteen ? (static_cast<size_t>(frameSize) * 8 + 6) / 7 : frameSize;
  return bytes + (bytes & 1);
}

// Whether a run of frames starts at `pos`.
bool RunStartsAt(const uint8_t* data, size_t size, size_t pos, Form form) {
  size_t length = FrameBytesAt(data, size, pos, form);
  if (length == 0) return false;
  for (int found = 1; found < kDtsFrameRun; ++found) {
    // The next frame: where this one ends, or a little later after padding.
    const size_t from = pos + length;
    const size_t to = from + length;
    size_t next = 0;
    for (size_t at = from; at <= to && at + 2 <= size; at += 2) {
      next = FrameBytesAt(data, size, at, form);
      if (next != 0) {
        pos = at;
        break;
      }
    }
    if (next == 0) return false;
    length = next;
  }
  return true;
}

}  // namespace

bool HoldsDtsFrames(const uint8_t* data, size_t size) {
  if (data == nullptr) return false;
  for (size_t pos = 0; pos + 2 <= size; pos += 2) {
    for (const Form& form : kForms) {
      // A quick look at the first word before the header is read.
      const uint8_t lead = form.little ? data[pos + 1] : data[pos];
      if (lead != (form.fourteen ? 0x1F : 0x7F)) continue;
      if (RunStartsAt(data, size, pos, form)) return true;
    }
  }
  return false;
}

bool FileHoldsDtsFrames(const std::string& path) {
  const std::optional<std::vector<uint8_t>> head = ReadFileHead(path, kDtsScanBytes);
  return head && HoldsDtsFrames(head->data(), head->size());
}

}  // namespace sondrel
