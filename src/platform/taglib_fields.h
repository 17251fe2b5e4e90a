// Reading TagLib's property map into the readers' tag records (TagInfo,
// TagFields): the property names of the nine fields they share, in one place.
#pragma once

#include <taglib/tpropertymap.h>

#include <string>

namespace sondrel {

// The first value of `key` as UTF-8, whole (a date or a "3/12" track keeps
// its full text); empty when the map has none.
inline std::string FirstProperty(const TagLib::PropertyMap& map, const char* key) {
  const auto it = map.find(key);
  if (it == map.end() || it->second.isEmpty()) return {};
  return it->second.front().to8Bit(true);
}

// Sets the title, artist, album, genre, year, comment, track, composer and
// copyright of `record` to `value(map, property name)`.
template <class Record, class Value>
void ReadCommonProperties(const TagLib::PropertyMap& map, Record& record, Value value) {
  record.title = value(map, "TITLE");
  record.artist = value(map, "ARTIST");
  record.album = value(map, "ALBUM");
  record.genre = value(map, "GENRE");
  record.year = value(map, "DATE");
  record.comment = value(map, "COMMENT");
  record.track = value(map, "TRACKNUMBER");
  record.composer = value(map, "COMPOSER");
  record.copyright = value(map, "COPYRIGHT");
}

}  // namespace sondrel
