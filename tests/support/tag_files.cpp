#include "support/tag_files.h"

#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>

namespace sondrel::test {

namespace {

TagLib::ByteVector Bytes(const CoverPicture& c) {
  return TagLib::ByteVector(reinterpret_cast<const char*>(c.data.data()),
                            static_cast<unsigned>(c.data.size()));
}

TagLib::FLAC::Picture* FlacPicture(const CoverPicture& c) {
  auto* p = new TagLib::FLAC::Picture;
  p->setType(TagLib::FLAC::Picture::FrontCover);
  p->setMimeType(c.mimeType);
  p->setData(Bytes(c));
  return p;
}

}  // namespace

TagProperties ReadTagProperties(const std::string& path) {
  TagProperties out;
  TagLib::FileRef ref(path.c_str(), false);
  if (ref.isNull()) return out;
  const TagLib::PropertyMap map = ref.file()->properties();
  for (const auto& [key, values] : map) {
    std::vector<std::string>& list = out[key.to8Bit(true)];
    for (const TagLib::String& v : values) list.push_back(v.to8Bit(true));
  }
  return out;
}

bool AddFixtureCover(const std::string& path, const CoverPicture& cover) {
  TagLib::FileRef ref(path.c_str(), false);
  if (ref.isNull()) return false;
  TagLib::File* file = ref.file();
  if (auto* f = dynamic_cast<TagLib::MPEG::File*>(file)) {
    auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
    frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    frame->setMimeType(cover.mimeType);
    frame->setPicture(Bytes(cover));
    f->ID3v2Tag(true)->addFrame(frame);
  } else if (auto* f = dynamic_cast<TagLib::MP4::File*>(file)) {
    TagLib::MP4::CoverArtList list;
    list.append(TagLib::MP4::CoverArt(
        cover.mimeType == "image/png" ? TagLib::MP4::CoverArt::PNG : TagLib::MP4::CoverArt::JPEG,
        Bytes(cover)));
    f->tag()->setItem("covr", list);
  } else if (auto* f = dynamic_cast<TagLib::FLAC::File*>(file)) {
    f->addPicture(FlacPicture(cover));
  } else if (auto* f = dynamic_cast<TagLib::Ogg::Vorbis::File*>(file)) {
    f->tag()->addPicture(FlacPicture(cover));
  } else if (auto* f = dynamic_cast<TagLib::ASF::File*>(file)) {
    TagLib::ASF::Picture p;
    p.setType(TagLib::ASF::Picture::FrontCover);
    p.setMimeType(cover.mimeType);
    p.setPicture(Bytes(cover));
    f->tag()->addAttribute("WM/Picture", TagLib::ASF::Attribute(p));
  } else {
    return false;
  }
  return file->save();
}

bool AddFixtureComments(const std::string& path, int count) {
  TagLib::FileRef ref(path.c_str(), false);
  if (ref.isNull()) return false;
  TagLib::Ogg::XiphComment* tag = nullptr;
  if (auto* f = dynamic_cast<TagLib::FLAC::File*>(ref.file())) tag = f->xiphComment(true);
  if (auto* f = dynamic_cast<TagLib::Ogg::Vorbis::File*>(ref.file())) tag = f->tag();
  if (!tag) return false;
  for (int i = 0; i < count; ++i) tag->addField("COMMENT", "more " + std::to_string(i), false);
  return ref.file()->save();
}

CoverPicture FixtureCover(size_t size, const std::string& mimeType) {
  CoverPicture c;
  c.mimeType = mimeType;
  c.data.resize(size);
  const uint8_t png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  uint32_t x = 12345;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    c.data[i] = i < sizeof png ? png[i] : static_cast<uint8_t>(x >> 16);
  }
  return c;
}

}  // namespace sondrel::test
