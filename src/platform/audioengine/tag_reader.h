// Reading a file's tags through TagLib, and expanding the tags library's
// format strings over them (TAGS_Read).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/audioengine/channel.h"

namespace sondrel::audioengine {

// The tags of `path`, read as the container `source` says; nullopt when the
// file has no tag with any text (or cannot be read).
std::optional<TagFields> ReadFileTags(const std::string& path, TagSource source);

// Expands a format string (see platform/audioengine/tags.h) over `fields`.
std::string FormatTags(std::string_view format, const TagFields& fields);

}  // namespace sondrel::audioengine
