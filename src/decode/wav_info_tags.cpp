#include "decode/wav_info_tags.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "decode/id3_genres.h"
#include "platform/file.h"

namespace sondrel {
namespace {

// The most of a LIST/INFO chunk or a DISP text that is read.
constexpr size_t kMaxRead = 10u << 20;

bool IsLetter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

uint8_t Upper(uint8_t c) { return (c >= 'a' && c <= 'z') ? uint8_t(c - ('a' - 'A')) : c; }

bool IsValidUtf8(const std::string& s) {
  size_t i = 0;
  while (i < s.size()) {
    const uint8_t c = static_cast<uint8_t>(s[i]);
    int more;
    uint32_t cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      more = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      more = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      more = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + size_t(more) >= s.size()) return false;
    for (int k = 1; k <= more; ++k) {
      const uint8_t d = static_cast<uint8_t>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    static constexpr uint32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += size_t(more) + 1;
  }
  return true;
}

// INFO texts carry no character set: valid UTF-8 stays, anything else is
// taken as Latin-1.
std::string ToUtf8(std::string s) {
  if (IsValidUtf8(s)) return s;
  std::string out;
  out.reserve(s.size() * 2);
  for (char ch : s) {
    const uint8_t c = static_cast<uint8_t>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Bytes up to the first zero byte.
std::string TextOf(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  const void* zero = std::memchr(data, 0, size);
  const size_t n = zero ? size_t(static_cast<const uint8_t*>(zero) - data) : size;
  return std::string(reinterpret_cast<const char*>(data), n);
}

// The first `count` characters of a UTF-8 text.
std::string FirstCharacters(const std::string& s, int count) {
  size_t i = 0;
  int seen = 0;
  while (i < s.size()) {
    if ((static_cast<uint8_t>(s[i]) & 0xC0) != 0x80) {
      if (seen == count) break;
      ++seen;
    }
    ++i;
  }
  return s.substr(0, i);
}

std::string* TextField(TagInfo& tags, const uint8_t* id) {
  struct Item {
    const char* id;
    std::string TagInfo::*field;
  };
  static constexpr Item kItems[] = {
      {"INAM", &TagInfo::title}, {"IART", &TagInfo::artist},    {"IPRD", &TagInfo::album},
      {"ICRD", &TagInfo::year},  {"IGNR", &TagInfo::genre},     {"ICMT", &TagInfo::comment},
      {"ITRK", &TagInfo::track}, {"ICOP", &TagInfo::copyright},
  };
  for (const Item& item : kItems) {
    if (std::memcmp(item.id, id, 4) == 0) return &(tags.*item.field);
  }
  return nullptr;
}

bool IsSkippedItem(const uint8_t* id) {
  static constexpr const char* kSkipped[] = {"IARL", "ICMS", "ICRP", "IDIM", "IDPI", "IENG",
                                             "IKEY", "ILGT", "IMED", "IPLT", "ISBJ", "ISFT",
                                             "ISHP", "ISRC", "ISRF", "ITCH"};
  for (const char* s : kSkipped) {
    if (std::memcmp(s, id, 4) == 0) return true;
  }
  return false;
}

// Reads up to kMaxRead bytes of a chunk body at `offset` into `out` (no more
// than the file still holds); false when the buffer cannot be had.
bool ReadCapped(ByteSource& file, uint64_t offset, uint64_t size, std::vector<uint8_t>& out) {
  const uint64_t end = file.Size();
  size = std::min<uint64_t>({size, kMaxRead, end > offset ? end - offset : 0});
  try {
    out.assign(static_cast<size_t>(size), 0);
  } catch (const std::bad_alloc&) {
    out.clear();
    return false;
  }
  out.resize(file.ReadAt(offset, out.data(), out.size()));
  return true;
}

// A genre written as "(n)" names genre n of the list; a genre number from
// IGRE stands in for a missing genre text.
void ResolveGenre(std::string& genre, int genreNumber) {
  if (genre.size() >= 2 && genre[0] == '(' && genre[1] >= '0' && genre[1] <= '9') {
    // Leading zeros count for nothing; any number past the list stays past it.
    int n = 0;
    for (size_t i = 1; i < genre.size() && genre[i] >= '0' && genre[i] <= '9'; ++i) {
      n = std::min(n * 10 + (genre[i] - '0'), 1000);
    }
    if (const char* name = GenreName(n)) genre = name;
  }
  if (genre.empty() && genreNumber >= 0) {
    if (const char* name = GenreName(genreNumber)) genre = name;
  }
}

}  // namespace

int ParseWavInfoItems(const uint8_t* data, size_t size, TagInfo& tags, int& genreNumber) {
  int found = 0;
  ByteCursor c(data, size);
  while (c.Left() >= 9) {
    const size_t item = c.Pos();
    const uint8_t* at = c.Bytes(4);
    if ((at[0] != 'I' && at[0] != 'i') || !IsLetter(at[1]) || !IsLetter(at[2]) ||
        !IsLetter(at[3])) {
      c.Seek(item + 1);
      continue;
    }
    const uint8_t id[4] = {Upper(at[0]), Upper(at[1]), Upper(at[2]), Upper(at[3])};
    const uint64_t itemSize = c.Le32();
    const size_t body = c.Pos();
    const uint64_t next = body + itemSize;
    if (std::string* field = TextField(tags, id)) {
      *field = TextOf(data + body, static_cast<size_t>(std::min<uint64_t>(itemSize, c.Left())));
      if (itemSize != 0) ++found;
    } else if (std::memcmp(id, "IGRE", 4) == 0) {
      if (itemSize != 0) {
        genreNumber = c.U8();
        ++found;
      }
    } else if (!IsSkippedItem(id)) {
      c.Seek(item + 1);
      continue;
    }
    if (next >= size) break;
    c.Seek(static_cast<size_t>(next));
  }
  return found;
}

int ParseWavInfoTags(ByteSource& file, TagInfo& tags) {
  tags = TagInfo{};
  uint8_t head[12];
  if (!file.ReadExactAt(0, head, sizeof head)) return 0;
  ByteCursor riff(head, sizeof head);
  if (!riff.Match("RIFF") || !riff.Skip(4) || !riff.Match("WAVE")) return 0;

  std::vector<uint8_t> info;
  std::vector<uint8_t> display;
  bool haveDisplay = false;
  int found = 0;
  uint64_t pos = sizeof head;
  for (;;) {
    // Pad bytes and stray bytes before a chunk are passed over.
    uint8_t h[8];
    bool letter = false;
    while (!letter && file.ReadExactAt(pos, h, 1)) {
      letter = IsLetter(h[0]);
      if (!letter) ++pos;
    }
    if (!letter || !file.ReadExactAt(pos + 1, h + 1, 7)) break;
    const uint64_t size = LoadLe32(h + 4);
    const uint64_t body = pos + 8;
    uint8_t type[4];
    if (std::memcmp(h, "LIST", 4) == 0 && size >= 4) {
      if (!file.ReadExactAt(body, type, 4)) break;
      if (std::memcmp(type, "INFO", 4) == 0 && !ReadCapped(file, body + 4, size - 4, info)) break;
    } else if (std::memcmp(h, "DISP", 4) == 0 && size >= 5) {
      if (!file.ReadExactAt(body, type, 4)) break;
      if (LoadLe32(type) == 1) {
        if (!ReadCapped(file, body + 4, size - 4, display)) break;
        haveDisplay = true;
        ++found;
      }
    }
    pos = body + size;
  }
  int genreNumber = -1;
  if (!info.empty()) found += ParseWavInfoItems(info.data(), info.size(), tags, genreNumber);
  ResolveGenre(tags.genre, genreNumber);
  for (std::string* s : {&tags.title, &tags.artist, &tags.album, &tags.year, &tags.genre,
                         &tags.comment, &tags.track, &tags.copyright}) {
    *s = ToUtf8(std::move(*s));
  }
  tags.year = FirstCharacters(tags.year, 4);
  if (tags.title.empty() && haveDisplay) {
    tags.title = ToUtf8(TextOf(display.data(), display.size()));
  }
  return found > 0 ? 1 : 0;
}

int ReadWavInfoTags(const std::string& path, TagInfo& tags) {
  tags = TagInfo{};
  File file;
  if (!file.Open(path)) return 0;
  return ParseWavInfoTags(file, tags);
}

}  // namespace sondrel
