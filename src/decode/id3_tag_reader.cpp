#include "decode/id3_tag_reader.h"

#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevector.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tpropertymap.h>

#include <limits>

#include "platform/taglib_fields.h"

namespace sondrel {

int ReadId3v2Tag(const uint8_t* data, size_t size, TagInfo& tags) {
  if (!data || size < 10 || size > std::numeric_limits<unsigned int>::max()) return 0;
  const TagLib::ByteVector bytes(reinterpret_cast<const char*>(data),
                                 static_cast<unsigned int>(size));
  TagLib::ByteVectorStream stream(bytes);
  // The tag is read as the head of an MP3 stream; no audio properties are read.
  TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
  if (!file.isValid()) return 0;
  TagLib::ID3v2::Tag* tag = file.ID3v2Tag(false);
  if (!tag) return 0;

  const TagLib::PropertyMap map = tag->properties();
  TagInfo read;
  ReadCommonProperties(map, read, FirstProperty);
  if (read == TagInfo{}) return 0;
  tags = std::move(read);
  return 1;
}

}  // namespace sondrel
