#include "platform/file_tags.h"

#include <taglib/aifffile.h>
#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfilestream.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>

#include <array>
#include <type_traits>
#include <utility>

namespace sondrel {

namespace {

using TagLib::ByteVector;
using TagLib::String;

String Utf8(const std::string& text) { return String(text, String::UTF8); }

ByteVector Bytes(const CoverPicture& cover) {
  return ByteVector(reinterpret_cast<const char*>(cover.data.data()),
                    static_cast<unsigned int>(cover.data.size()));
}

SharedCover MakeCover(const String& mime, const ByteVector& data) {
  if (data.isEmpty() || data.size() > kMaxCoverBytes) return nullptr;
  auto cover = std::make_shared<CoverPicture>();
  cover->mimeType = mime.to8Bit(true);
  cover->data.assign(data.begin(), data.end());
  return cover;
}

// MP4 stores a picture kind instead of a MIME type.
constexpr std::array<std::pair<TagLib::MP4::CoverArt::Format, const char*>, 4> kMp4Kinds{{
    {TagLib::MP4::CoverArt::JPEG, "image/jpeg"},
    {TagLib::MP4::CoverArt::PNG, "image/png"},
    {TagLib::MP4::CoverArt::BMP, "image/bmp"},
    {TagLib::MP4::CoverArt::GIF, "image/gif"},
}};

TagLib::MP4::CoverArt::Format Mp4Kind(const std::string& mime) {
  for (const auto& [kind, name] : kMp4Kinds) {
    if (mime == name) return kind;
  }
  return TagLib::MP4::CoverArt::Unknown;
}

const char* Mp4Mime(TagLib::MP4::CoverArt::Format format) {
  for (const auto& [kind, name] : kMp4Kinds) {
    if (format == kind) return name;
  }
  return "";
}

// The front cover, else the first picture, of a list of pictures that have
// type(), mimeType() and data()/picture().
template <typename List, typename Data>
SharedCover PickCover(const List& pictures, Data data) {
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& p : pictures) {
      if (pass == 1 || p->type() == std::remove_cvref_t<decltype(*p)>::FrontCover) {
        return MakeCover(p->mimeType(), data(*p));
      }
    }
  }
  return nullptr;
}

// The standard field of each text in the containers written here.
struct StandardKey {
  std::string FileTagFields::*text;
  const char* id3;   // ID3v2.4 frame
  const char* mp4;   // "ilst" atom
  const char* xiph;  // Vorbis comment
};
constexpr StandardKey kStandardKeys[] = {
    {&FileTagFields::title, "TIT2", "\251nam", "TITLE"},
    {&FileTagFields::artist, "TPE1", "\251ART", "ARTIST"},
    {&FileTagFields::album, "TALB", "\251alb", "ALBUM"},
    {&FileTagFields::year, "TDRC", "\251day", "DATE"},
    {&FileTagFields::genre, "TCON", "\251gen", "GENRE"},
    {&FileTagFields::comment, "COMM", "\251cmt", "COMMENT"},
    {&FileTagFields::composer, "TCOM", "\251wrt", "COMPOSER"},
    {&FileTagFields::copyright, "TCOP", "cprt", "COPYRIGHT"},
};

// ---- ID3v2

void SetId3Text(TagLib::ID3v2::Tag& tag, const char* id, const std::string& text) {
  tag.removeFrames(id);
  auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, String::UTF16);
  frame->setText(Utf8(text));
  tag.addFrame(frame);
}

// The comment players show is the COMM frame without a description.
void SetId3Comment(TagLib::ID3v2::Tag& tag, const std::string& text) {
  const TagLib::ID3v2::FrameList comments = tag.frameList("COMM");
  for (TagLib::ID3v2::Frame* frame : comments) {
    auto* c = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame);
    if (c && c->description().isEmpty()) tag.removeFrame(frame);
  }
  auto* frame = new TagLib::ID3v2::CommentsFrame(String::UTF16);
  frame->setLanguage("eng");
  frame->setText(Utf8(text));
  tag.addFrame(frame);
}

void WriteId3(TagLib::ID3v2::Tag& tag, const FileTagFields& f) {
  for (const StandardKey& key : kStandardKeys) {
    const std::string& text = f.*key.text;
    if (text.empty()) continue;
    if (key.text == &FileTagFields::comment) {
      SetId3Comment(tag, text);
    } else {
      SetId3Text(tag, key.id3, text);
    }
  }
  if (f.track > 0) SetId3Text(tag, "TRCK", std::to_string(f.track));
  if (f.cover) {
    tag.removeFrames("APIC");
    auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
    frame->setTextEncoding(String::UTF16);
    frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    frame->setMimeType(Utf8(f.cover->mimeType));
    frame->setPicture(Bytes(*f.cover));
    tag.addFrame(frame);
  }
}

SharedCover Id3Cover(TagLib::ID3v2::Tag* tag) {
  if (!tag) return nullptr;
  TagLib::List<TagLib::ID3v2::AttachedPictureFrame*> pictures;
  for (TagLib::ID3v2::Frame* frame : tag->frameList("APIC")) {
    if (auto* p = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frame)) pictures.append(p);
  }
  return PickCover(pictures,
                   [](const TagLib::ID3v2::AttachedPictureFrame& p) { return p.picture(); });
}

// ---- Vorbis comments (FLAC, Ogg)

void WriteXiphTexts(TagLib::Ogg::XiphComment& tag, const FileTagFields& f) {
  for (const StandardKey& key : kStandardKeys) {
    if (!(f.*key.text).empty()) tag.addField(key.xiph, Utf8(f.*key.text), true);
  }
  if (f.track > 0) tag.addField("TRACKNUMBER", std::to_string(f.track), true);
}

// A new picture block; the caller's list takes it over.
TagLib::FLAC::Picture* NewFlacPicture(const CoverPicture& cover) {
  auto* picture = new TagLib::FLAC::Picture;
  picture->setType(TagLib::FLAC::Picture::FrontCover);
  picture->setMimeType(Utf8(cover.mimeType));
  picture->setData(Bytes(cover));
  return picture;
}

// A FLAC metadata block holds at most 2^24 - 1 bytes: the picture's data,
// MIME type and 32 bytes of fixed fields.
bool FitsFlacBlock(const CoverPicture& cover) {
  return cover.data.size() + cover.mimeType.size() + 32 < (1u << 24);
}

// ---- MP4

void WriteMp4(TagLib::MP4::Tag& tag, const FileTagFields& f) {
  for (const StandardKey& key : kStandardKeys) {
    if (!(f.*key.text).empty()) tag.setItem(key.mp4, TagLib::StringList(Utf8(f.*key.text)));
  }
  if (f.track > 0) tag.setItem("trkn", TagLib::MP4::Item(f.track, 0));
  if (f.cover) {
    TagLib::MP4::CoverArtList list;
    list.append(TagLib::MP4::CoverArt(Mp4Kind(f.cover->mimeType), Bytes(*f.cover)));
    tag.setItem("covr", list);
  }
}

SharedCover Mp4Cover(TagLib::MP4::Tag* tag) {
  if (!tag || !tag->contains("covr")) return nullptr;
  const TagLib::MP4::CoverArtList list = tag->item("covr").toCoverArtList();
  if (list.isEmpty()) return nullptr;
  return MakeCover(Mp4Mime(list.front().format()), list.front().data());
}

// ---- ASF

void SetAsfText(TagLib::ASF::Tag& tag, const char* name, const std::string& text) {
  if (!text.empty()) tag.setAttribute(name, TagLib::ASF::Attribute(Utf8(text)));
}

void WriteAsf(TagLib::ASF::Tag& tag, const FileTagFields& f) {
  if (!f.title.empty()) tag.setTitle(Utf8(f.title));
  if (!f.artist.empty()) tag.setArtist(Utf8(f.artist));
  if (!f.comment.empty()) tag.setComment(Utf8(f.comment));
  if (!f.copyright.empty()) tag.setCopyright(Utf8(f.copyright));
  SetAsfText(tag, "WM/AlbumTitle", f.album);
  SetAsfText(tag, "WM/Year", f.year);
  SetAsfText(tag, "WM/Genre", f.genre);
  SetAsfText(tag, "WM/Composer", f.composer);
  if (f.track > 0) {
    tag.setAttribute("WM/TrackNumber", TagLib::ASF::Attribute(static_cast<unsigned>(f.track)));
  }
  if (f.cover) {
    TagLib::ASF::Picture picture;
    picture.setType(TagLib::ASF::Picture::FrontCover);
    picture.setMimeType(Utf8(f.cover->mimeType));
    picture.setPicture(Bytes(*f.cover));
    tag.setAttribute("WM/Picture", TagLib::ASF::Attribute(picture));
  }
}

SharedCover AsfCover(TagLib::ASF::Tag* tag) {
  if (!tag || !tag->contains("WM/Picture")) return nullptr;
  TagLib::List<const TagLib::ASF::Picture*> pictures;
  const TagLib::ASF::AttributeList attributes = tag->attribute("WM/Picture");
  std::vector<TagLib::ASF::Picture> kept;
  kept.reserve(attributes.size());
  for (const TagLib::ASF::Attribute& a : attributes) kept.push_back(a.toPicture());
  for (const TagLib::ASF::Picture& p : kept) {
    if (p.isValid()) pictures.append(&p);
  }
  return PickCover(pictures, [](const TagLib::ASF::Picture& p) { return p.picture(); });
}

template <typename FileType>
bool Valid(FileType& file) {
  return file.isOpen() && file.isValid() && !file.readOnly();
}

}  // namespace

bool FileTagFields::Empty() const {
  return title.empty() && artist.empty() && album.empty() && year.empty() && genre.empty() &&
         comment.empty() && composer.empty() && copyright.empty() && track <= 0 && !cover;
}

TagContainer TagContainerForMuxer(std::string_view muxer) {
  if (muxer == "mp3" || muxer == "mp2") return TagContainer::Id3v2;
  if (muxer == "ipod" || muxer == "mp4" || muxer == "mov" || muxer == "3gp" || muxer == "3g2") {
    return TagContainer::Mp4;
  }
  if (muxer == "flac") return TagContainer::Flac;
  if (muxer == "ogg") return TagContainer::OggVorbis;
  if (muxer == "asf") return TagContainer::Asf;
  return TagContainer::None;
}

bool WriteFileTags(const std::string& path, TagContainer container, const FileTagFields& fields) {
  if (fields.Empty()) return true;
  FileTagFields f = fields;
  if (f.cover && f.cover->data.size() > kMaxCoverBytes) f.cover = nullptr;
  const char* name = path.c_str();
  switch (container) {
    case TagContainer::None:
      return true;
    case TagContainer::Id3v2: {
      TagLib::MPEG::File file(name, false);
      if (!Valid(file)) return false;
      WriteId3(*file.ID3v2Tag(true), f);
      return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v4,
                       TagLib::File::DoNotDuplicate);
    }
    case TagContainer::Mp4: {
      TagLib::MP4::File file(name, false);
      if (!Valid(file) || !file.tag()) return false;
      WriteMp4(*file.tag(), f);
      return file.save();
    }
    case TagContainer::Flac: {
      TagLib::FLAC::File file(name, false);
      if (!Valid(file)) return false;
      WriteXiphTexts(*file.xiphComment(true), f);
      if (f.cover && FitsFlacBlock(*f.cover)) {
        file.removePictures();
        file.addPicture(NewFlacPicture(*f.cover));
      }
      return file.save();
    }
    case TagContainer::OggVorbis: {
      TagLib::Ogg::Vorbis::File file(name, false);
      if (!Valid(file) || !file.tag()) return false;
      WriteXiphTexts(*file.tag(), f);
      if (f.cover) {
        file.tag()->removeAllPictures();
        file.tag()->addPicture(NewFlacPicture(*f.cover));
      }
      return file.save();
    }
    case TagContainer::Asf: {
      TagLib::ASF::File file(name, false);
      if (!Valid(file) || !file.tag()) return false;
      WriteAsf(*file.tag(), f);
      return file.save();
    }
  }
  return false;
}

SharedCover ReadCoverPicture(const std::string& path) {
  TagLib::FileStream stream(path.c_str(), true);
  if (!stream.isOpen()) return nullptr;
  // By content: a source's name need not tell its container.
  TagLib::FileRef ref(&stream, false);
  if (ref.isNull() || !ref.file()->isValid()) return nullptr;
  TagLib::File* file = ref.file();
  if (auto* f = dynamic_cast<TagLib::MPEG::File*>(file)) return Id3Cover(f->ID3v2Tag());
  if (auto* f = dynamic_cast<TagLib::RIFF::AIFF::File*>(file)) return Id3Cover(f->tag());
  if (auto* f = dynamic_cast<TagLib::RIFF::WAV::File*>(file)) return Id3Cover(f->ID3v2Tag());
  if (auto* f = dynamic_cast<TagLib::MP4::File*>(file)) return Mp4Cover(f->tag());
  if (auto* f = dynamic_cast<TagLib::ASF::File*>(file)) return AsfCover(f->tag());
  auto flacData = [](const TagLib::FLAC::Picture& p) { return p.data(); };
  if (auto* f = dynamic_cast<TagLib::FLAC::File*>(file)) {
    return PickCover(f->pictureList(), flacData);
  }
  TagLib::Ogg::XiphComment* xiph = nullptr;
  if (auto* f = dynamic_cast<TagLib::Ogg::Vorbis::File*>(file)) xiph = f->tag();
  if (auto* f = dynamic_cast<TagLib::Ogg::Opus::File*>(file)) xiph = f->tag();
  if (auto* f = dynamic_cast<TagLib::Ogg::FLAC::File*>(file)) xiph = f->tag();
  if (xiph) return PickCover(xiph->pictureList(), flacData);
  return nullptr;
}

}  // namespace sondrel
