#include "decode/id3_tag_reader.h"

#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevector.h>
#include <taglib/tbytevectorstream.h>

#include <limits>

namespace sondrel {
namespace {

std::string Utf8(const TagLib::String& s) { return s.to8Bit(true); }

std::string Number(unsigned int n) { return n == 0 ? std::string() : std::to_string(n); }

std::string FirstFrameText(const TagLib::ID3v2::Tag& tag, const char* id) {
  const TagLib::ID3v2::FrameList& frames = tag.frameListMap()[id];
  return frames.isEmpty() ? std::string() : Utf8(frames.front()->toString());
}

}  // namespace

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

  TagInfo read;
  read.title = Utf8(tag->title());
  read.artist = Utf8(tag->artist());
  read.album = Utf8(tag->album());
  read.year = Number(tag->year());
  read.genre = Utf8(tag->genre());
  read.comment = Utf8(tag->comment());
  read.track = Number(tag->track());
  read.composer = FirstFrameText(*tag, "TCOM");
  read.copyright = FirstFrameText(*tag, "TCOP");
  if (read == TagInfo{}) return 0;
  tags = std::move(read);
  return 1;
}

}  // namespace sondrel
