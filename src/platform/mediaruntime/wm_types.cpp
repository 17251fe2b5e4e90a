#include "platform/mediaruntime/wm_types.h"

#include "platform/bytes.h"

namespace sondrel {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

void AppendUtf16(std::vector<uint8_t>& out, char16_t u) {
  out.push_back(static_cast<uint8_t>(u & 0xFF));
  out.push_back(static_cast<uint8_t>(u >> 8));
}

// Decodes one code point of UTF-8 at `i`, advancing it; invalid sequences
// give U+FFFD and consume one byte.
char32_t NextCodePoint(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int len = 0;
  char32_t c = 0;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2;
    c = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3;
    c = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4;
    c = b0 & 0x07;
  } else {
    ++i;
    return kReplacement;
  }
  if (i + len > s.size()) {
    ++i;
    return kReplacement;
  }
  for (int k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    c = (c << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += len;
  return c;
}

template <typename T>
std::vector<uint8_t> LittleEndian(T v) {
  std::vector<uint8_t> out(sizeof(T));
  for (size_t i = 0; i < sizeof(T); ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
  return out;
}

}  // namespace

WmSubtype SubtypeOfFormatTag(uint16_t formatTag) {
  switch (formatTag) {
    case kWaveFormatPcm:
      return WmSubtype::kPcm;
    case kWaveFormatWMAudioV8:
      return WmSubtype::kWMAudioV8;
    case kWaveFormatWMAudioV9:
      return WmSubtype::kWMAudioV9;
    default:
      return WmSubtype::kUnknown;
  }
}

uint32_t WmMediaType::FormatSize() const {
  return formatType == WmFormatType::kWaveFormatEx ? 18 + static_cast<uint32_t>(wave.extra.size())
                                                   : 0;
}

WmAttribute WmAttribute::Text(std::string_view utf8, bool withTerminator) {
  WmAttribute a;
  a.type = WmAttrType::kString;
  a.value = Utf8ToUtf16Le(utf8);
  if (withTerminator) a.value.insert(a.value.end(), {0, 0});
  return a;
}

WmAttribute WmAttribute::Dword(uint32_t v) { return {WmAttrType::kDword, LittleEndian(v)}; }
WmAttribute WmAttribute::Qword(uint64_t v) { return {WmAttrType::kQword, LittleEndian(v)}; }
WmAttribute WmAttribute::Word(uint16_t v) { return {WmAttrType::kWord, LittleEndian(v)}; }
WmAttribute WmAttribute::Bool(bool v) {
  return {WmAttrType::kBool, LittleEndian<uint32_t>(v ? 1 : 0)};
}
WmAttribute WmAttribute::Binary(std::vector<uint8_t> bytes) {
  return {WmAttrType::kBinary, std::move(bytes)};
}

std::string WmAttribute::AsText() const {
  if (type != WmAttrType::kString) return {};
  return Utf16LeToUtf8(value.data(), value.size());
}

bool WmAttribute::AsDword(uint32_t& v) const {
  if (type != WmAttrType::kDword || value.size() != 4) return false;
  v = LoadLe32(value.data());
  return true;
}

bool WmAttribute::AsQword(uint64_t& v) const {
  if (type != WmAttrType::kQword || value.size() != 8) return false;
  v = LoadLe64(value.data());
  return true;
}

std::string Utf16LeToUtf8(const uint8_t* data, size_t size) {
  std::string out;
  const size_t units = size / 2;
  for (size_t i = 0; i < units; ++i) {
    const char16_t u = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    if (u == 0) break;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
      const char16_t lo = static_cast<char16_t>(data[2 * i + 2] | (data[2 * i + 3] << 8));
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u - 0xD800) << 10) | (lo - 0xDC00)));
        ++i;
        continue;
      }
    }
    AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : u);
  }
  return out;
}

std::vector<uint8_t> Utf8ToUtf16Le(std::string_view utf8) {
  std::vector<uint8_t> out;
  out.reserve(utf8.size() * 2);
  for (size_t i = 0; i < utf8.size();) {
    const char32_t c = NextCodePoint(utf8, i);
    if (c >= 0x10000) {
      AppendUtf16(out, static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      AppendUtf16(out, static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      AppendUtf16(out, static_cast<char16_t>(c));
    }
  }
  return out;
}

}  // namespace sondrel
