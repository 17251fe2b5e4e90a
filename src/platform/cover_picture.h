// The front cover picture of a tag: its bytes and MIME type as stored.
//
// A cover can be many megabytes, so it is shared, never copied: the reader
// makes one, and the run and the writer hold the same immutable object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sondrel {

struct CoverPicture {
  std::string mimeType;  // as the source stored it, whatever the bytes are
  std::vector<uint8_t> data;

  bool operator==(const CoverPicture&) const = default;
};

// Null when there is no cover.
using SharedCover = std::shared_ptr<const CoverPicture>;

// Whether two covers are both absent or hold the same picture.
inline bool SameCover(const SharedCover& a, const SharedCover& b) {
  if (!a || !b) return a == b;
  return *a == *b;
}

}  // namespace sondrel
