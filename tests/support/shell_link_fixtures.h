// Windows shortcut (.lnk) files built byte by byte, with the exact fields a
// test needs: the header, an ID list of any size, LinkInfo with ANSI and
// Unicode paths, and StringData entries.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sondrel::test {

// UTF-16LE bytes of a text, without a terminator.
std::string Utf16Bytes(std::u16string_view text);

// The 76-byte ShellLinkHeader with the shortcut class id.
std::string LinkHeader(uint32_t flags);
// LinkTargetIDList: its size and that many filler bytes.
std::string LinkIdList(uint16_t size);
// LinkInfo holding a volume id, the ANSI base path and suffix and, when
// either Unicode text is given, the 0x24-byte header with both Unicode forms.
std::string LinkInfo(const std::string& base, const std::string& suffix,
                     std::u16string_view wideBase = {}, std::u16string_view wideSuffix = {});
// StringData entries: a character count, then the characters.
std::string CountedAnsi(const std::string& text);
std::string CountedWide(std::u16string_view text);

// Writes a shortcut file at `path` whose local base path is `target` (an
// absolute path of this system).
void WriteShortcut(const std::string& path, const std::string& target);

// Overwrites four bytes of `bytes` at `at` with a little-endian number.
void PatchLe32(std::string& bytes, size_t at, uint32_t value);

}  // namespace sondrel::test
