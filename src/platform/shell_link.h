// Windows shortcut files (".lnk", the documented MS-SHLLINK binary format):
// the fields that name a shortcut's target, and that target as a path of this
// system. Folder searches and dropped files follow shortcuts through
// ResolveShortcut. No wx here; any thread may call these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sondrel {

// LinkFlags bits that say which parts a shortcut holds.
inline constexpr uint32_t kLinkHasTargetIdList = 0x00000001;
inline constexpr uint32_t kLinkHasLinkInfo = 0x00000002;
inline constexpr uint32_t kLinkHasName = 0x00000004;
inline constexpr uint32_t kLinkHasRelativePath = 0x00000008;
inline constexpr uint32_t kLinkHasWorkingDir = 0x00000010;
inline constexpr uint32_t kLinkHasArguments = 0x00000020;
inline constexpr uint32_t kLinkHasIconLocation = 0x00000040;
inline constexpr uint32_t kLinkIsUnicode = 0x00000080;
inline constexpr uint32_t kLinkForceNoLinkInfo = 0x00000100;

// What a shortcut says about its target. Texts are UTF-8 (UTF-16 converted;
// ANSI texts taken in the locale's charset) with the separators as stored
// ("C:\Music\a.mp3"); a part the shortcut does not hold is empty.
struct ShellLinkRecord {
  uint32_t linkFlags = 0;
  // From LinkInfo (left empty when ForceNoLinkInfo is set): the local path,
  // Unicode form preferred, and the suffix that completes it.
  std::string localBasePath;
  std::string commonPathSuffix;
  // From StringData.
  std::string name;
  std::string relativePath;
  std::string workingDir;
  std::string arguments;
  std::string iconLocation;

  bool operator==(const ShellLinkRecord&) const = default;
};

// Parses shortcut bytes held in memory. No value when they are not a
// shortcut (header size or class id differ) or when any size, count or
// offset of the parts up to StringData points outside the bytes or outside
// its structure. Reads nothing beyond `size`.
std::optional<ShellLinkRecord> ParseShellLink(const uint8_t* data, size_t size);

// The paths a record names, best first, with '/' separators: the local base
// path joined with its suffix ("C:/Music/a.mp3"), then the relative path
// resolved against `linkFolder`, the folder holding the shortcut. Empty when
// the record names neither.
std::vector<std::string> ShellLinkCandidates(const ShellLinkRecord& link,
                                             const std::string& linkFolder);

// The target of the shortcut file at `path`: the first candidate that exists
// on this system, else the first candidate. No value when the file cannot be
// read, is not a shortcut, or names no path. Reads at most the first MiB of
// the file (a shortcut is a few KiB; its target comes before any extra data).
std::optional<std::string> ResolveShortcut(const std::string& path);

}  // namespace sondrel
