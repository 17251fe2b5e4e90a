// The MS-SHLLINK reader: ShellLinkHeader, LinkTargetIDList (skipped by its
// size), LinkInfo (local base path and common path suffix) and StringData.
// ExtraData blocks after StringData are not needed for the target.
#include "platform/shell_link.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/bytes.h"
#include "platform/file.h"
#include "platform/mediaruntime/wm_types.h"
#include "platform/text.h"

namespace sondrel {
namespace fs = std::filesystem;
namespace {

constexpr uint32_t kHeaderSize = 0x4C;
// 00021401-0000-0000-C000-000000000046 as stored (GUID byte order).
constexpr std::array<uint8_t, 16> kLinkClsid = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
// LinkInfo: the header without and with the two Unicode offsets.
constexpr uint32_t kLinkInfoHeaderMin = 0x1C;
constexpr uint32_t kLinkInfoHeaderUnicode = 0x24;
constexpr uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr size_t kMaxShortcutBytes = size_t{1} << 20;

using Cursor = ByteCursor;

std::string FromAnsi(const uint8_t* data, size_t size) {
  return AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(data), size)).value_or("");
}

// A null-terminated string at `offset` inside a structure of `size` bytes at
// `base`: one-byte ANSI characters, or UTF-16LE units when `wide`. No value
// when the offset lies outside the structure or no terminator comes before
// its end.
std::optional<std::string> TerminatedString(const uint8_t* base, size_t size, size_t offset,
                                            bool wide) {
  if (offset >= size) return std::nullopt;
  const uint8_t* p = base + offset;
  const size_t left = size - offset;
  if (!wide) {
    const void* nul = std::memchr(p, 0, left);
    if (!nul) return std::nullopt;
    return FromAnsi(p, static_cast<size_t>(static_cast<const uint8_t*>(nul) - p));
  }
  for (size_t i = 0; i + 1 < left; i += 2) {
    if (p[i] == 0 && p[i + 1] == 0) return Utf16LeToUtf8(p, i);
  }
  return std::nullopt;
}

// LinkInfo: LinkInfoSize covers the whole structure, every offset is from its
// start and every string must end inside it.
bool ReadLinkInfo(Cursor& in, ShellLinkRecord& link) {
  Cursor peek = in;
  const uint32_t size = peek.Le32();
  if (!peek.Ok() || size < kLinkInfoHeaderMin) return false;
  const uint8_t* base = in.Bytes(size);
  if (!base) return false;
  Cursor sizes(base + 4, size - 4);
  const uint32_t headerSize = sizes.Le32();
  if (headerSize < kLinkInfoHeaderMin || headerSize > size) return false;
  Cursor header(base + 8, headerSize - 8);
  const uint32_t flags = header.Le32();
  header.Le32();  // VolumeIDOffset
  const uint32_t localBasePathOffset = header.Le32();
  header.Le32();  // CommonNetworkRelativeLinkOffset
  const uint32_t commonPathSuffixOffset = header.Le32();
  uint32_t localBasePathOffsetUnicode = 0;
  uint32_t commonPathSuffixOffsetUnicode = 0;
  if (headerSize >= kLinkInfoHeaderUnicode) {
    localBasePathOffsetUnicode = header.Le32();
    commonPathSuffixOffsetUnicode = header.Le32();
  }
  if (!header.Ok()) return false;

  std::optional<std::string> basePath;
  if (flags & kVolumeIdAndLocalBasePath) {
    basePath = localBasePathOffsetUnicode != 0
                   ? TerminatedString(base, size, localBasePathOffsetUnicode, true)
                   : TerminatedString(base, size, localBasePathOffset, false);
    if (!basePath) return false;
  }
  std::optional<std::string> suffix;
  if (commonPathSuffixOffsetUnicode != 0) {
    suffix = TerminatedString(base, size, commonPathSuffixOffsetUnicode, true);
  } else if (commonPathSuffixOffset != 0) {
    suffix = TerminatedString(base, size, commonPathSuffixOffset, false);
  } else {
    suffix = std::string();
  }
  if (!suffix) return false;
  if (!(link.linkFlags & kLinkForceNoLinkInfo)) {
    link.localBasePath = basePath.value_or("");
    link.commonPathSuffix = *suffix;
  }
  return true;
}

// One StringData entry: a count of characters, then that many ANSI bytes or
// UTF-16LE units, without a terminator.
bool ReadCountedString(Cursor& in, bool wide, std::string& out) {
  const uint16_t count = in.Le16();
  const size_t bytes = wide ? size_t{count} * 2 : count;
  const uint8_t* p = in.Bytes(bytes);
  if (!p) return false;
  out = wide ? Utf16LeToUtf8(p, bytes) : FromAnsi(p, bytes);
  return true;
}

std::string WithSlashes(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace

std::optional<ShellLinkRecord> ParseShellLink(const uint8_t* data, size_t size) {
  Cursor in(data, size);
  const uint32_t headerSize = in.Le32();
  const uint8_t* clsid = in.Bytes(kLinkClsid.size());
  ShellLinkRecord link;
  link.linkFlags = in.Le32();
  // FileAttributes, three FILETIMEs, FileSize, IconIndex, ShowCommand,
  // HotKey and three reserved fields: 52 bytes up to 0x4C.
  in.Skip(kHeaderSize - 24);
  if (!in.Ok() || headerSize != kHeaderSize ||
      !std::equal(kLinkClsid.begin(), kLinkClsid.end(), clsid)) {
    return std::nullopt;
  }
  if (link.linkFlags & kLinkHasTargetIdList) {
    const uint16_t idListSize = in.Le16();
    if (!in.Skip(idListSize)) return std::nullopt;
  }
  if ((link.linkFlags & kLinkHasLinkInfo) && !ReadLinkInfo(in, link)) return std::nullopt;

  const bool wide = link.linkFlags & kLinkIsUnicode;
  const std::pair<uint32_t, std::string*> strings[] = {
      {kLinkHasName, &link.name},
      {kLinkHasRelativePath, &link.relativePath},
      {kLinkHasWorkingDir, &link.workingDir},
      {kLinkHasArguments, &link.arguments},
      {kLinkHasIconLocation, &link.iconLocation},
  };
  for (const auto& [flag, text] : strings) {
    if ((link.linkFlags & flag) && !ReadCountedString(in, wide, *text)) return std::nullopt;
  }
  return link;
}

std::vector<std::string> ShellLinkCandidates(const ShellLinkRecord& link,
                                             const std::string& linkFolder) {
  std::vector<std::string> candidates;
  if (!link.localBasePath.empty()) {
    std::string full = link.localBasePath;
    if (!link.commonPathSuffix.empty() && full.back() != '\\') full += '\\';
    candidates.push_back(WithSlashes(full + link.commonPathSuffix));
  }
  if (!link.relativePath.empty()) {
    const std::string relative = WithSlashes(link.relativePath);
    fs::path resolved = relative[0] == '/' ? fs::path(relative) : fs::path(linkFolder) / relative;
    candidates.push_back(resolved.lexically_normal().string());
  }
  return candidates;
}

std::optional<std::string> ResolveShortcut(const std::string& path) {
  // Regular files only: a named pipe given a .lnk name must not block.
  const std::optional<std::vector<uint8_t>> bytes = ReadFileHead(path, kMaxShortcutBytes);
  if (!bytes) return std::nullopt;
  const std::optional<ShellLinkRecord> link = ParseShellLink(bytes->data(), bytes->size());
  if (!link) return std::nullopt;
  const std::vector<std::string> candidates =
      ShellLinkCandidates(*link, fs::path(path).parent_path().string());
  if (candidates.empty()) return std::nullopt;
  for (const std::string& candidate : candidates) {
    std::error_code error;
    if (fs::exists(candidate, error)) return candidate;
  }
  return candidates.front();
}

}  // namespace sondrel
