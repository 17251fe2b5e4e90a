#include "decode/wav_info_tags.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "decode/binary_file.h"
#include "decode/id3_genres.h"

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

// Reads up to kMaxRead bytes of a chunk body into `out` (no more than the
// file still holds); false when the buffer cannot be had.
bool ReadCapped(BinaryFile& file, uint64_t size, std::vector<uint8_t>& out) {
  const int64_t left = file.Size() - file.Tell();
  if (left < 0) return false;
  size = std::min<uint64_t>({size, kMaxRead, static_cast<uint64_t>(left)});
  try {
    out.assign(static_cast<size_t>(size), 0);
  } catch (const std::bad_alloc&) {
    out.clear();
    return false;
  }
  out.resize(file.Read(out.data(), out.size()));
  return true;
}

}  // namespace

int ParseWavInfoItems(const uint8_t* data, size_t size, TagInfo& tags, int& genreNumber) {
  int found = 0;
  size_t p = 0;
  while (size - p >= 9) {
    const uint8_t* at = data + p;
    if ((at[0] != 'I' && at[0] != 'i') || !IsLetter(at[1]) || !IsLetter(at[2]) ||
        !IsLetter(at[3])) {
      ++p;
      continue;
    }
    const uint8_t id[4] = {Upper(at[0]), Upper(at[1]), Upper(at[2]), Upper(at[3])};
    const uint64_t itemSize = Le32(at + 4);
    const size_t body = p + 8;
    const uint64_t next = body + itemSize;
    if (std::string* field = TextField(tags, id)) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(itemSize, size - body));
      *field = TextOf(data + body, n);
      if (itemSize != 0) ++found;
    } else if (std::memcmp(id, "IGRE", 4) == 0) {
      if (itemSize != 0) {
        genreNumber = data[body];
        ++found;
      }
    } else if (!IsSkippedItem(id)) {
      ++p;
      continue;
    }
    if (next >= size) break;
    p = static_cast<size_t>(next);
  }
  return found;
}

int ReadWavInfoTags(const std::string& path, TagInfo& tags) {
  tags = TagInfo{};
  BinaryFile file;
  if (!file.Open(path)) return 0;
  uint8_t head[12];
  if (!file.ReadExact(head, 12) || std::memcmp(head, "RIFF", 4) != 0 ||
      std::memcmp(head + 8, "WAVE", 4) != 0) {
    return 0;
  }

  std::vector<uint8_t> info;
  std::vector<uint8_t> display;
  bool haveDisplay = false;
  int found = 0;
  for (;;) {
    // Pad bytes and stray bytes before a chunk are passed over.
    uint8_t h[8];
    bool letter = false;
    while (!letter && file.ReadExact(h, 1)) letter = IsLetter(h[0]);
    if (!letter || !file.ReadExact(h + 1, 7)) break;
    const uint64_t size = Le32(h + 4);
    const int64_t body = file.Tell();
    if (body < 0) break;
    const int64_t end = body + static_cast<int64_t>(size);
    if (std::memcmp(h, "LIST", 4) == 0 && size >= 4) {
      uint8_t type[4];
      if (!file.ReadExact(type, 4)) break;
      if (std::memcmp(type, "INFO", 4) == 0 && !ReadCapped(file, size - 4, info)) break;
    } else if (std::memcmp(h, "DISP", 4) == 0 && size >= 5) {
      uint8_t type[4];
      if (!file.ReadExact(type, 4)) break;
      if (Le32(type) == 1) {
        if (!ReadCapped(file, size - 4, display)) break;
        haveDisplay = true;
        ++found;
      }
    }
    if (!file.Seek(end)) break;
  }
  int genreNumber = -1;
  if (!info.empty()) found += ParseWavInfoItems(info.data(), info.size(), tags, genreNumber);

  // A genre written as "(n)" names genre n of the list.
  if (tags.genre.size() >= 2 && tags.genre[0] == '(' && tags.genre[1] >= '0' &&
      tags.genre[1] <= '9') {
    // Leading zeros count for nothing; any number past the list stays past it.
    int n = 0;
    for (size_t i = 1; i < tags.genre.size() && tags.genre[i] >= '0' && tags.genre[i] <= '9'; ++i) {
      n = std::min(n * 10 + (tags.genre[i] - '0'), 1000);
    }
    if (const char* name = GenreName(n)) tags.genre = name;
  }
  if (tags.genre.empty() && genreNumber >= 0) {
    if (const char* name = GenreName(genreNumber)) tags.genre = name;
  }

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

}  // namespace sondrel
