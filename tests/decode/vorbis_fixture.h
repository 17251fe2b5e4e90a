// Ogg Vorbis files for the reader tests, encoded with libvorbisenc.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sondrel::test {

// Encodes interleaved 16-bit frames of `channels` channels (VBR, quality
// 0.5 unless given) with the given raw comments ("KEY=value"), as a logical
// stream of that serial number. False when libvorbisenc refuses the set-up
// or the file cannot be written.
bool WriteOggVorbis(const std::string& path, int rate, int channels,
                    const std::vector<int16_t>& interleaved,
                    const std::vector<std::string>& comments = {}, float quality = 0.5f,
                    int serial = 1234);

// Byte offsets of every "OggS" page start in `bytes`.
std::vector<size_t> OggPageOffsets(const std::string& bytes);

}  // namespace sondrel::test
