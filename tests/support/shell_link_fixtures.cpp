#include "support/shell_link_fixtures.h"

#include "decode/byte_fixtures.h"
#include "platform/shell_link.h"
#include "support/temp_dir.h"

namespace sondrel::test {

std::string Utf16Bytes(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out += Le16(c);
  return out;
}

std::string LinkHeader(uint32_t flags) {
  static const char kClsid[] = "\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46";
  return Le32(0x4C) + std::string(kClsid, 16) + Le32(flags) + std::string(52, '\0');
}

std::string LinkIdList(uint16_t size) { return Le16(size) + std::string(size, '\x5A'); }

std::string LinkInfo(const std::string& base, const std::string& suffix,
                     std::u16string_view wideBase, std::u16string_view wideSuffix) {
  const bool wide = !wideBase.empty() || !wideSuffix.empty();
  const uint32_t headerSize = wide ? 0x24 : 0x1C;
  // VolumeID: size, drive type 3 (fixed), serial, label offset, empty label.
  const std::string volume = Le32(17) + Le32(3) + Le32(0x1234) + Le32(16) + '\0';
  const std::string ansiBase = base + '\0';
  const std::string ansiSuffix = suffix + '\0';
  const std::string unicodeBase = Utf16Bytes(wideBase) + std::string(2, '\0');
  const std::string unicodeSuffix = Utf16Bytes(wideSuffix) + std::string(2, '\0');
  const uint32_t volumeAt = headerSize;
  const uint32_t baseAt = volumeAt + uint32_t(volume.size());
  const uint32_t suffixAt = baseAt + uint32_t(ansiBase.size());
  const uint32_t wideBaseAt = suffixAt + uint32_t(ansiSuffix.size());
  const uint32_t wideSuffixAt = wideBaseAt + uint32_t(unicodeBase.size());
  std::string body = volume + ansiBase + ansiSuffix;
  std::string header = Le32(1) + Le32(volumeAt) + Le32(baseAt) + Le32(0) + Le32(suffixAt);
  if (wide) {
    header += Le32(wideBaseAt) + Le32(wideSuffixAt);
    body += unicodeBase + unicodeSuffix;
  }
  const uint32_t size = headerSize + uint32_t(body.size());
  return Le32(size) + Le32(headerSize) + header + body;
}

std::string CountedAnsi(const std::string& text) { return Le16(uint16_t(text.size())) + text; }

std::string CountedWide(std::u16string_view text) {
  return Le16(uint16_t(text.size())) + Utf16Bytes(text);
}

void PatchLe32(std::string& bytes, size_t at, uint32_t value) { bytes.replace(at, 4, Le32(value)); }

void WriteShortcut(const std::string& path, const std::string& target) {
  WriteFileBytes(path, LinkHeader(kLinkHasLinkInfo) + LinkInfo(target, ""));
}

}  // namespace sondrel::test
