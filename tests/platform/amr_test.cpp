#include "platform/amr/amr.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/amr/amr_codec.h"
#include "support/speech_signal.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

using test::TempDir;

// Encodes `pcm` whole frames through the file calls.
bool EncodeFile(const std::string& path, AmrBand band, int mode, int dtx,
                const std::vector<int16_t>& pcm) {
  const bool nb = band == AmrBand::kNarrow;
  AmrNbEncodePtr h(nb ? amrnbenc_init(path, dtx, mode) : amrwbenc_init(path, dtx, mode));
  if (!h) return false;
  const size_t frame = AmrSamplesPerFrame(band);
  for (size_t at = 0; at + frame <= pcm.size(); at += frame) {
    if ((nb ? amrnbenc_encode(h.get(), &pcm[at]) : amrwbenc_encode(h.get(), &pcm[at])) < 1) {
      return false;
    }
  }
  return true;
}

struct DecodeResult {
  std::vector<int16_t> samples;
  int frames = 0;
  int last = 0;  // the result that ended the loop
  int64_t offset = 0;
};

DecodeResult DecodeFile(const std::string& path, AmrBand band) {
  DecodeResult r;
  const bool nb = band == AmrBand::kNarrow;
  AmrNbDecodePtr h(nb ? amrnbdec_init(path) : amrwbdec_init(path));
  if (!h) {
    r.last = -100;
    return r;
  }
  for (;;) {
    const int16_t* s = nullptr;
    int64_t offset = -1;
    const int n =
        nb ? amrnbdec_decode(h.get(), &s, &offset) : amrwbdec_decode(h.get(), &s, &offset);
    if (n <= 0) {
      r.last = n;
      break;
    }
    EXPECT_EQ(n, AmrSamplesPerFrame(band));
    EXPECT_GT(offset, r.offset);
    r.offset = offset;
    r.samples.insert(r.samples.end(), s, s + n);
    ++r.frames;
  }
  return r;
}

TEST(AmrPlatform, ByteBuiltFilesOfEveryFrameType) {
  TempDir dir;
  const std::string path = dir.File("f.amr");
  auto frame = [](AmrBand band, int type, char fill = 0) {
    return std::string(1, static_cast<char>(AmrFrameHeader(type))) +
           std::string(static_cast<size_t>(AmrFramePayloadBytes(band, type)), fill);
  };
  {
    SCOPED_TRACE("narrow band: speech, SID, other SIDs, NO_DATA, a bad-quality frame");
    std::string bytes(kAmrNbMagic);
    for (int t = 0; t <= 11; ++t) bytes += frame(AmrBand::kNarrow, t, 0x35);
    bytes += frame(AmrBand::kNarrow, kAmrNoData);
    bytes += std::string(1, static_cast<char>(7 << 3)) + std::string(31, 0x11);  // Q = 0
    test::WriteFileBytes(path, bytes);
    const DecodeResult got = DecodeFile(path, AmrBand::kNarrow);
    EXPECT_EQ(got.frames, 14);
    EXPECT_EQ(got.last, 0);
    EXPECT_EQ(got.offset, static_cast<int64_t>(bytes.size()));
  }
  {
    SCOPED_TRACE("wide band: speech, SID, SPEECH_LOST, NO_DATA");
    std::string bytes(kAmrWbMagic);
    for (int t = 0; t <= 9; ++t) bytes += frame(AmrBand::kWide, t, 0x5c);
    bytes += frame(AmrBand::kWide, kAmrWbSpeechLost);
    bytes += frame(AmrBand::kWide, kAmrNoData);
    test::WriteFileBytes(path, bytes);
    const DecodeResult got = DecodeFile(path, AmrBand::kWide);
    EXPECT_EQ(got.frames, 12);
    EXPECT_EQ(got.last, 0);
  }
  {
    SCOPED_TRACE("a frame cut short ends with -1, after the whole frames");
    std::string bytes(kAmrNbMagic);
    bytes += frame(AmrBand::kNarrow, 7) + frame(AmrBand::kNarrow, 7);
    bytes += frame(AmrBand::kNarrow, 7).substr(0, 10);
    test::WriteFileBytes(path, bytes);
    const DecodeResult got = DecodeFile(path, AmrBand::kNarrow);
    EXPECT_EQ(got.frames, 2);
    EXPECT_EQ(got.last, -1);
  }
  {
    SCOPED_TRACE("reserved frame types end the stream: NB 12..14, WB 10..13");
    for (int t : {12, 13, 14}) {
      test::WriteFileBytes(path, std::string(kAmrNbMagic) + frame(AmrBand::kNarrow, 0) +
                                     std::string(1, static_cast<char>(t << 3)) + "more bytes");
      const DecodeResult got = DecodeFile(path, AmrBand::kNarrow);
      EXPECT_EQ(got.frames, 1);
      EXPECT_EQ(got.last, -1);
    }
    for (int t : {10, 11, 12, 13}) {
      test::WriteFileBytes(path,
                           std::string(kAmrWbMagic) + std::string(1, static_cast<char>(t << 3)));
      EXPECT_EQ(DecodeFile(path, AmrBand::kWide).last, -1);
    }
  }
  {
    SCOPED_TRACE("a lone magic has no frames; a wrong or foreign magic no handle");
    test::WriteFileBytes(path, std::string(kAmrNbMagic));
    EXPECT_EQ(DecodeFile(path, AmrBand::kNarrow).last, 0);
    EXPECT_EQ(DecodeFile(path, AmrBand::kWide).last, -100);
    test::WriteFileBytes(path, std::string(kAmrWbMagic) + frame(AmrBand::kWide, 2));
    EXPECT_EQ(DecodeFile(path, AmrBand::kNarrow).last, -100);
    EXPECT_EQ(DecodeFile(path, AmrBand::kWide).frames, 1);
    test::WriteFileBytes(path, "#!AMR_MC1.0\n");
    EXPECT_EQ(DecodeFile(path, AmrBand::kNarrow).last, -100);
    test::WriteFileBytes(path, "#!AM");
    EXPECT_EQ(DecodeFile(path, AmrBand::kNarrow).last, -100);
    EXPECT_EQ(DecodeFile(dir.File("missing.amr"), AmrBand::kNarrow).last, -100);
  }
}

TEST(AmrPlatform, EncodingLeavesTheCallersSamplesAlone) {
  TempDir dir;
  for (AmrBand band : {AmrBand::kNarrow, AmrBand::kWide}) {
    const std::vector<int16_t> speech = test::SpeechLike(AmrSampleRate(band), 0.5);
    std::vector<int16_t> samples = speech;
    ASSERT_TRUE(EncodeFile(dir.File("s.amr"), band, 7, 1, samples));
    EXPECT_EQ(samples, speech);
  }
}

TEST(AmrPlatform, EncoderRefusals) {
  TempDir dir;
  const std::string path = dir.File("x.amr");
  EXPECT_EQ(amrnbenc_init(path, 0, 8), nullptr);
  EXPECT_EQ(amrnbenc_init(path, 0, -1), nullptr);
  EXPECT_EQ(amrwbenc_init(path, 0, 9), nullptr);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(amrnbenc_init(dir.File("no/such/folder/x.amr"), 0, 7), nullptr);
  AmrWbEncodePtr h(amrwbenc_init(path, 1, 8));
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(amrwbenc_encode(h.get(), nullptr), -1);
  h.reset();
  EXPECT_EQ(test::ReadFileBytes(path), std::string(kAmrWbMagic));
  amrnbdec_quit(nullptr);
  amrnbenc_quit(nullptr);
}

}  // namespace
}  // namespace sondrel
