// Tags read back and put into fixtures with TagLib, the way a player or a
// tagging tool would, independent of the program's own tag code.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/cover_picture.h"

namespace sondrel::test {

// TagLib's property map of the file (keys upper case, values UTF-8); empty
// when TagLib cannot read the file.
using TagProperties = std::map<std::string, std::vector<std::string>>;
TagProperties ReadTagProperties(const std::string& path);

// Puts `cover` as the front cover into the file's tag (ID3v2 APIC, MP4
// covr, FLAC PICTURE, Vorbis METADATA_BLOCK_PICTURE, ASF WM/Picture).
bool AddFixtureCover(const std::string& path, const CoverPicture& cover);

// Adds `count` further COMMENT fields to an Ogg Vorbis or FLAC file.
bool AddFixtureComments(const std::string& path, int count);

// Picture bytes that start like a PNG file, `size` bytes in all.
CoverPicture FixtureCover(size_t size, const std::string& mimeType = "image/png");

}  // namespace sondrel::test
