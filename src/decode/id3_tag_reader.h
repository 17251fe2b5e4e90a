// Reads an ID3v2 tag held in memory (the "ID3 " chunk of an AIFF file) into
// the nine TagInfo fields, the way the audio-engine layer reads the tags of
// MP3 files: year and track as numbers formatted "%d" (empty when 0), the
// genre with numeric references resolved, the first comment, composer and
// copyright from their text frames.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/decoder.h"

namespace sondrel {

// Fills `tags` (every field, empty where the tag has none) and returns 1 when
// any field is not empty; returns 0 and leaves `tags` untouched when the bytes
// hold no readable ID3v2 tag or only empty fields.
int ReadId3v2Tag(const uint8_t* data, size_t size, TagInfo& tags);

}  // namespace sondrel
