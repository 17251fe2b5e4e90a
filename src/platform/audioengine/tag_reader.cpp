#include "platform/audioengine/tag_reader.h"

#include <taglib/aifffile.h>
#include <taglib/flacfile.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>

#include <cctype>
#include <memory>
#include <vector>

#include "platform/taglib_fields.h"

namespace sondrel::audioengine {

namespace {

std::unique_ptr<TagLib::File> OpenTagFile(const std::string& path, TagSource source) {
  const char* name = path.c_str();
  switch (source) {
    case TagSource::Mpeg:
    case TagSource::Adts:
      return std::make_unique<TagLib::MPEG::File>(name, false);
    case TagSource::Wav:
      return std::make_unique<TagLib::RIFF::WAV::File>(name, false);
    case TagSource::Aiff:
      return std::make_unique<TagLib::RIFF::AIFF::File>(name, false);
    case TagSource::Flac:
      return std::make_unique<TagLib::FLAC::File>(name, false);
    case TagSource::OggVorbis:
      return std::make_unique<TagLib::Ogg::Vorbis::File>(name, false);
    case TagSource::WavPack:
      return std::make_unique<TagLib::WavPack::File>(name, false);
    case TagSource::Mp4:
      return std::make_unique<TagLib::MP4::File>(name, false);
    case TagSource::None:
    case TagSource::Module:
      break;
  }
  return nullptr;
}

// The first value of `key`, on one line: the tag text puts one field on
// each line, so a line break inside a value (a comment of several lines)
// would shift every later field. Each break becomes a space.
std::string First(const TagLib::PropertyMap& map, const char* key) {
  const std::string value = FirstProperty(map, key);
  std::string line;
  line.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') continue;
    line += value[i] == '\r' || value[i] == '\n' ? ' ' : value[i];
  }
  return line;
}

}  // namespace

std::optional<TagFields> ReadFileTags(const std::string& path, TagSource source) {
  std::unique_ptr<TagLib::File> file = OpenTagFile(path, source);
  // A file TagLib could not parse (an MPEG-4 file cut before its "moov" box)
  // has no tag to ask.
  if (!file || !file->isOpen() || !file->isValid()) return std::nullopt;
  const TagLib::PropertyMap map = file->properties();
  TagFields f;
  ReadCommonProperties(map, f, First);
  f.subtitle = First(map, "SUBTITLE");
  f.albumArtist = First(map, "ALBUMARTIST");
  f.disc = First(map, "DISCNUMBER");
  if (f.Empty()) return std::nullopt;
  return f;
}

namespace {

constexpr int kMaxNesting = 32;

class Formatter {
 public:
  Formatter(std::string_view format, const TagFields& fields) : m_fmt(format), m_fields(fields) {}

  std::string Run() { return Sequence(0, false); }

 private:
  // Text up to the end, or (inside a function's arguments) up to the ',' or
  // ')' that ends the argument, which is left unread.
  std::string Sequence(int depth, bool inArgument) {
    std::string out;
    while (m_pos < m_fmt.size()) {
      const char c = m_fmt[m_pos];
      if (inArgument && (c == ',' || c == ')')) break;
      if (c != '%') {
        out += c;
        ++m_pos;
        continue;
      }
      ++m_pos;
      if (m_pos >= m_fmt.size()) {
        out += '%';
        break;
      }
      const char e = m_fmt[m_pos];
      if (e == '%' || e == '(' || e == ')' || e == ',') {
        out += e;
        ++m_pos;
        continue;
      }
      const std::string_view name = m_fmt.substr(m_pos, 4);
      if (const std::string* field = Field(name)) {
        m_pos += 4;
        out += *field;
      } else if (IsFunction(name) && m_pos + 4 < m_fmt.size() && m_fmt[m_pos + 4] == '(') {
        m_pos += 5;
        out += Function(name, depth);
      } else {
        out += '%';
      }
    }
    return out;
  }

  // The arguments up to the closing ')', then the function's value.
  std::string Function(std::string_view name, int depth) {
    std::vector<std::string> args;
    if (depth >= kMaxNesting) {
      m_pos = m_fmt.size();
      return {};
    }
    for (;;) {
      args.push_back(Sequence(depth + 1, true));
      if (m_pos >= m_fmt.size()) break;
      const char c = m_fmt[m_pos++];
      if (c == ')') break;
    }
    auto arg = [&](size_t i) -> const std::string& {
      static const std::string kEmpty;
      return i < args.size() ? args[i] : kEmpty;
    };
    if (name == "IFV1") return arg(0).empty() ? std::string() : arg(1);
    if (name == "IFV2") return arg(0).empty() ? arg(2) : arg(1);
    std::string s = arg(0);
    if (name == "IUPC") {
      for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    } else if (name == "ILWC") {
      for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    } else if (name == "ICAP") {
      bool start = true;
      for (char& ch : s) {
        const auto u = static_cast<unsigned char>(ch);
        ch = static_cast<char>(start ? std::toupper(u) : std::tolower(u));
        start = std::isspace(u) != 0;
      }
    } else if (name == "ITRM") {
      const size_t b = s.find_first_not_of(" \t");
      const size_t e = s.find_last_not_of(" \t");
      s = b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
    }
    return s;
  }

  const std::string* Field(std::string_view name) const {
    if (name == "TITL") return &m_fields.title;
    if (name == "ARTI") return &m_fields.artist;
    if (name == "ALBM") return &m_fields.album;
    if (name == "GNRE") return &m_fields.genre;
    if (name == "YEAR") return &m_fields.year;
    if (name == "CMNT") return &m_fields.comment;
    if (name == "TRCK") return &m_fields.track;
    if (name == "COMP") return &m_fields.composer;
    if (name == "COPY") return &m_fields.copyright;
    if (name == "SUBT") return &m_fields.subtitle;
    if (name == "AART") return &m_fields.albumArtist;
    if (name == "DISC") return &m_fields.disc;
    return nullptr;
  }

  static bool IsFunction(std::string_view name) {
    return name == "IFV1" || name == "IFV2" || name == "IUPC" || name == "ILWC" || name == "ICAP" ||
           name == "ITRM";
  }

  std::string_view m_fmt;
  const TagFields& m_fields;
  size_t m_pos = 0;
};

}  // namespace

std::string FormatTags(std::string_view format, const TagFields& fields) {
  return Formatter(format, fields).Run();
}

}  // namespace sondrel::audioengine
