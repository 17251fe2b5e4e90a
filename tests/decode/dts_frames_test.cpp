// Finding DTS frames in PCM: the four forms of a DTS stream, and the bytes
// that must not pass for one.
#include "decode/dts_frames.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/audio_fixtures.h"
#include "support/fuzz_corpus.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

using Bytes = std::vector<uint8_t>;

// One core frame of `size` bytes in the 16-bit big-endian form: sync, a
// normal frame of 16 blocks, stereo at 48 kHz, then zeros.
Bytes CoreFrame(uint32_t size) {
  Bytes frame(size, 0);
  const uint8_t head[] = {0x7F,
                          0xFE,
                          0x80,
                          0x01,
                          0xFC,  // normal frame, 31 short samples, no CRC, blocks' top bit 0
                          static_cast<uint8_t>((15 << 2) | ((size - 1) >> 12)),
                          static_cast<uint8_t>((size - 1) >> 4),
                          static_cast<uint8_t>((((size - 1) & 0xF) << 4) | (2 >> 2)),
                          static_cast<uint8_t>(((2 & 3) << 6) | (13 << 2))};
  std::copy(std::begin(head), std::end(head), frame.begin());
  return frame;
}

Bytes SwapWords(Bytes bytes) {
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
  return bytes;
}

// A big-endian frame repacked 14 bits to a word (sign-extended), padded to
// whole words.
Bytes Fourteen(const Bytes& frame) {
  Bytes out;
  uint32_t acc = 0;
  int have = 0;
  auto put = [&](uint32_t word14) {
    const uint16_t word = static_cast<uint16_t>(word14 & 0x2000 ? word14 | 0xC000 : word14);
    out.push_back(static_cast<uint8_t>(word >> 8));
    out.push_back(static_cast<uint8_t>(word));
  };
  for (uint8_t byte : frame) {
    acc = (acc << 8) | byte;
    have += 8;
    if (have >= 14) {
      put((acc >> (have - 14)) & 0x3FFF);
      have -= 14;
    }
  }
  if (have > 0) put((acc << (14 - have)) & 0x3FFF);
  return out;
}

Bytes Repeat(const Bytes& frame, int times, size_t gap = 0) {
  Bytes out;
  for (int i = 0; i < times; ++i) {
    out.insert(out.end(), frame.begin(), frame.end());
    out.insert(out.end(), gap, 0);
  }
  return out;
}

Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(DtsFrames, TellsDtsStreamsFromPcm) {
  const Bytes frame = CoreFrame(1024);
  Bytes broken = Repeat(frame, 3);
  broken[1024 + 1] = 0x00;  // the second frame's sync
  const std::vector<int16_t> tone = test::Tone16(2, 44100, 44100, 1.0);
  const Bytes pcm(reinterpret_cast<const uint8_t*>(tone.data()),
                  reinterpret_cast<const uint8_t*>(tone.data() + tone.size()));
  struct Case {
    const char* name;
    Bytes bytes;
    bool dts;
  };
  const Case cases[] = {
      {"16-bit big-endian", Repeat(frame, 3), true},
      {"16-bit little-endian", SwapWords(Repeat(frame, 3)), true},
      {"14-bit big-endian", Repeat(Fourteen(frame), 3), true},
      {"14-bit little-endian", SwapWords(Repeat(Fourteen(frame), 3)), true},
      {"after a second of silence", Cat(Bytes(176400, 0), Repeat(frame, 4)), true},
      {"frames padded apart", Repeat(frame, 3, 200), true},
      {"two frames are not a stream", Repeat(frame, 2), false},
      {"a broken sync breaks the chain", broken, false},
      {"a full-scale tone", pcm, false},
      {"a frame too short to be one", Repeat(CoreFrame(64), 5), false},
      {"nothing", Bytes{}, false},
  };
  test::FuzzSeeds seeds;
  for (const Case& c : cases) {
    EXPECT_EQ(HoldsDtsFrames(c.bytes.data(), c.bytes.size()), c.dts) << c.name;
    if (!c.dts || c.bytes.size() > 8192) continue;
    std::string seed = c.name;
    for (char& ch : seed) ch = ch == ' ' || ch == '-' ? '_' : ch;
    seeds[seed] = std::string(c.bytes.begin(), c.bytes.end());
  }
  test::UpdateFuzzCorpus("dts_frames", seeds);
}

TEST(DtsFrames, LooksIntoTheHeadOfAFile) {
  test::TempDir dir;
  const Bytes stream = Repeat(CoreFrame(2048), 8);
  test::WriteFileBytes(dir.File("a.dts"), std::string(stream.begin(), stream.end()));
  EXPECT_TRUE(FileHoldsDtsFrames(dir.File("a.dts")));
  EXPECT_FALSE(FileHoldsDtsFrames(dir.File("missing.dts")));
  // Frames that begin beyond the scanned head do not count.
  const Bytes late = Cat(Bytes(kDtsScanBytes, 0), stream);
  test::WriteFileBytes(dir.File("late.dts"), std::string(late.begin(), late.end()));
  EXPECT_FALSE(FileHoldsDtsFrames(dir.File("late.dts")));
}

}  // namespace
}  // namespace sondrel
