#include "decode/vorbis_decoder.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "decode/source_opener.h"
#include "decode/source_type.h"
#include "decode/vorbis_fixture.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

using test::TempDir;

// Interleaved tones, one frequency per channel, amplitude 3000.
std::vector<int16_t> Tones(int rate, int seconds, const std::vector<double>& hz) {
  const size_t channels = hz.size();
  const size_t frames = static_cast<size_t>(rate) * seconds;
  std::vector<int16_t> out(frames * channels);
  for (size_t i = 0; i < frames; ++i) {
    for (size_t c = 0; c < channels; ++c) {
      out[i * channels + c] = static_cast<int16_t>(
          std::lround(3000.0 * std::sin(2 * std::numbers::pi * hz[c] * i / rate)));
    }
  }
  return out;
}

// Amplitude of the `hz` component of `x` (Goertzel).
double Amplitude(const std::vector<int16_t>& x, int rate, double hz) {
  const double w = 2 * std::numbers::pi * hz / rate;
  double s1 = 0, s2 = 0;
  for (int16_t v : x) {
    const double s = v + 2 * std::cos(w) * s1 - s2;
    s2 = s1;
    s1 = s;
  }
  const double power = s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
  return 2 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(x.size());
}

// Every interleaved sample of the file, straight from libvorbisfile.
std::vector<int16_t> RawDecode(const std::string& path) {
  std::vector<int16_t> out;
  OggVorbis_File vf;
  if (ov_fopen(path.c_str(), &vf) < 0) return out;
  char buffer[8192];
  int section = 0;
  for (long n; (n = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section)) > 0;) {
    const auto* s = reinterpret_cast<const int16_t*>(buffer);
    out.insert(out.end(), s, s + n / 2);
  }
  ov_clear(&vf);
  return out;
}

struct Decoded {
  std::vector<int16_t> left, right;
  int calls = 0;
  int largest = 0;
};

Decoded ReadAll(VorbisDecoder& d) {
  Decoded out;
  int16_t l[kBlockFrames], r[kBlockFrames];
  for (int n; (n = d.Read(l, r)) > 0;) {
    ++out.calls;
    out.largest = std::max(out.largest, n);
    out.left.insert(out.left.end(), l, l + n);
    out.right.insert(out.right.end(), r, r + n);
    if (out.calls > 100000) break;  // never spins
  }
  return out;
}

TEST(VorbisDecoder, MonoAndStereoProperties) {
  TempDir dir;
  {
    SCOPED_TRACE("mono: blocks of at most 1152 samples, every sample, position reaches length");
    const std::string path = dir.File("mono.ogg");
    ASSERT_TRUE(test::WriteOggVorbis(path, 22050, 1, Tones(22050, 3, {440})));
    VorbisDecoder d;
    ASSERT_EQ(d.Open(path, 0), 1);
    EXPECT_EQ(d.GetSampleRate(), 22050);
    EXPECT_EQ(d.GetChannels(), 1);
    EXPECT_EQ(d.GetOutputChannels(), 1);
    EXPECT_EQ(d.GetBitsPerSample(), 16);
    EXPECT_EQ(d.GetDuration(), 3);
    EXPECT_GT(d.GetBitRate(), 0);
    EXPECT_EQ(d.GetLength(), static_cast<int64_t>(std::filesystem::file_size(path)));
    Decoded got = ReadAll(d);
    EXPECT_EQ(got.left.size(), 3u * 22050);
    EXPECT_LE(got.largest, kBlockFrames);
    EXPECT_NEAR(Amplitude(got.left, 22050, 440), 3000, 300);
    EXPECT_EQ(d.GetPosition(), d.GetLength());
    d.Close();
    EXPECT_EQ(d.GetSampleRate(), 0);
    EXPECT_EQ(d.GetLength(), 0);
    EXPECT_EQ(d.Read(got.left.data(), nullptr), 0);
  }
  {
    SCOPED_TRACE("stereo: split into the two planes, at most 1024 frames a call");
    const std::string path = dir.File("stereo.ogg");
    ASSERT_TRUE(test::WriteOggVorbis(path, 44100, 2, Tones(44100, 2, {500, 1500})));
    VorbisDecoder d;
    ASSERT_EQ(d.Open(path, 0), 1);
    EXPECT_EQ(d.GetOutputChannels(), 2);
    Decoded got = ReadAll(d);
    EXPECT_EQ(got.left.size(), 2u * 44100);
    EXPECT_EQ(got.largest, 1024);
    EXPECT_NEAR(Amplitude(got.left, 44100, 500), 3000, 300);
    EXPECT_LT(Amplitude(got.left, 44100, 1500), 100);
    EXPECT_NEAR(Amplitude(got.right, 44100, 1500), 3000, 300);
    EXPECT_LT(Amplitude(got.right, 44100, 500), 100);
  }
}

TEST(VorbisDecoder, SurroundMixesFromVorbisOrder) {
  TempDir dir;
  {
    SCOPED_TRACE("5.1 in Vorbis order FL, C, FR, BL, BR, LFE: centre and LFE at 0.707 each side");
    const std::string path = dir.File("51.ogg");
    // Well apart, and the LFE tone low enough for its reduced band.
    const std::vector<double> hz = {400, 1000, 1600, 2200, 2800, 60};
    ASSERT_TRUE(test::WriteOggVorbis(path, 48000, 6, Tones(48000, 2, hz)));
    VorbisDecoder d;
    ASSERT_EQ(d.Open(path, 0), 1);
    EXPECT_EQ(d.GetChannels(), 6);
    EXPECT_EQ(d.GetOutputChannels(), 2);
    Decoded got = ReadAll(d);
    EXPECT_EQ(got.left.size(), 2u * 48000);
    EXPECT_LE(got.largest, 341);  // 4096 bytes of 6-channel frames
    // Exactly the mix of the decoded channels: FL + t(C + LFE) + BL, FR + t(C + LFE) + BR.
    const std::vector<int16_t> raw = RawDecode(path);
    ASSERT_EQ(raw.size(), got.left.size() * 6);
    auto t = [](int32_t x) { return static_cast<int32_t>(static_cast<float>(x) * 0.707f); };
    auto clamp = [](int32_t x) { return static_cast<int16_t>(std::clamp(x, -32768, 32767)); };
    size_t mismatches = 0;
    for (size_t f = 0; f < got.left.size(); ++f) {
      const int16_t* s = &raw[f * 6];
      mismatches += got.left[f] != clamp(s[0] + t(s[1] + s[5]) + s[3]);
      mismatches += got.right[f] != clamp(s[2] + t(s[1] + s[5]) + s[4]);
    }
    EXPECT_EQ(mismatches, 0u);
    // And the channels really sit where Vorbis puts them.
    const double full = 3000, mixed = 3000 * 0.707;
    EXPECT_NEAR(Amplitude(got.left, 48000, 400), full, 300);     // FL
    EXPECT_NEAR(Amplitude(got.left, 48000, 1000), mixed, 250);   // C
    EXPECT_NEAR(Amplitude(got.left, 48000, 2200), full, 300);    // BL
    EXPECT_GT(Amplitude(got.left, 48000, 60), 1000);             // LFE
    EXPECT_LT(Amplitude(got.left, 48000, 1600), 100);            // no FR
    EXPECT_LT(Amplitude(got.left, 48000, 2800), 100);            // no BR
    EXPECT_NEAR(Amplitude(got.right, 48000, 1600), full, 300);   // FR
    EXPECT_NEAR(Amplitude(got.right, 48000, 1000), mixed, 250);  // C
    EXPECT_NEAR(Amplitude(got.right, 48000, 2800), full, 300);   // BR
    EXPECT_GT(Amplitude(got.right, 48000, 60), 1000);            // LFE
    EXPECT_LT(Amplitude(got.right, 48000, 400), 100);
    EXPECT_LT(Amplitude(got.right, 48000, 2200), 100);
  }
  {
    SCOPED_TRACE("three channels L, C, R: the right channel stays on the right");
    const std::string path = dir.File("3ch.ogg");
    ASSERT_TRUE(test::WriteOggVorbis(path, 48000, 3, Tones(48000, 1, {400, 1000, 1600})));
    VorbisDecoder d;
    ASSERT_EQ(d.Open(path, 0), 1);
    Decoded got = ReadAll(d);
    EXPECT_NEAR(Amplitude(got.left, 48000, 400), 3000, 300);
    EXPECT_NEAR(Amplitude(got.left, 48000, 1000), 3000 * 0.707, 250);
    EXPECT_LT(Amplitude(got.left, 48000, 1600), 100);
    EXPECT_NEAR(Amplitude(got.right, 48000, 1600), 3000, 300);
    EXPECT_NEAR(Amplitude(got.right, 48000, 1000), 3000 * 0.707, 250);
    EXPECT_LT(Amplitude(got.right, 48000, 400), 100);
  }
}

TEST(VorbisDecoder, CommentsBecomeTags) {
  TempDir dir;
  const std::vector<int16_t> tone = Tones(8000, 1, {300});
  {
    SCOPED_TRACE("lower-case keys, the last of two wins, over 1000 bytes dropped");
    const std::string path = dir.File("tags.ogg");
    const std::string album = "ALBUM=" + std::string(994, 'a');          // exactly 1000 bytes
    const std::string longComment = "comment=" + std::string(993, 'c');  // 1001 bytes
    ASSERT_TRUE(test::WriteOggVorbis(
        path, 8000, 1, tone,
        {"title=Lower Case", "ARTIST=First", "artist=Second", album, longComment, "Date=1999",
         "tracknumber=7", "genre=bad \xff byte", "GENRE=Caf\xc3\xa9", "composer=Someone",
         "COPYRIGHT=(c) Us", "TITLEX=not a title"}));
    VorbisDecoder d;
    ASSERT_EQ(d.Open(path, 0), 1);
    TagInfo tags;
    EXPECT_EQ(d.GetTags(tags), 1);
    EXPECT_EQ(tags.title, "Lower Case");
    EXPECT_EQ(tags.artist, "Second");
    EXPECT_EQ(tags.album, std::string(994, 'a'));
    EXPECT_EQ(tags.comment, "");
    EXPECT_EQ(tags.year, "1999");
    EXPECT_EQ(tags.track, "7");
    EXPECT_EQ(tags.genre, "Caf\xc3\xa9");
    EXPECT_EQ(tags.composer, "Someone");
    EXPECT_EQ(tags.copyright, "(c) Us");
  }
  {
    SCOPED_TRACE("no comments: nine empty fields, still 1");
    const std::string path = dir.File("plain.ogg");
    ASSERT_TRUE(test::WriteOggVorbis(path, 8000, 1, tone));
    VorbisDecoder d;
    ASSERT_EQ(d.Open(path, 0), 1);
    TagInfo tags{"x", "x", "x", "x", "x", "x", "x", "x", "x", {}};
    EXPECT_EQ(d.GetTags(tags), 1);
    EXPECT_EQ(tags, TagInfo{});
  }
}

TEST(VorbisDecoder, DamagedFiles) {
  TempDir dir;
  const std::string good = dir.File("good.ogg");
  // Noise makes enough pages to damage one in the middle.
  std::vector<int16_t> signal = Tones(16000, 6, {700});
  uint32_t seed = 1;
  for (int16_t& v : signal) {
    seed = seed * 1664525u + 1013904223u;
    v = static_cast<int16_t>(v + static_cast<int16_t>(seed >> 16) / 8);
  }
  ASSERT_TRUE(test::WriteOggVorbis(good, 16000, 1, signal));
  const std::string bytes = test::ReadFileBytes(good);
  const std::vector<size_t> pages = test::OggPageOffsets(bytes);
  ASSERT_GT(pages.size(), 8u);
  const size_t full = 6u * 16000;
  {
    SCOPED_TRACE("a page with a broken body in the middle: decoding goes on past it");
    std::string broken = bytes;
    const size_t at = pages[pages.size() / 2];
    for (size_t i = at + 40; i < at + 200; ++i) broken[i] = static_cast<char>(broken[i] ^ 0x5A);
    const std::string path = dir.File("broken.ogg");
    test::WriteFileBytes(path, broken);
    VorbisDecoder d;
    ASSERT_EQ(d.Open(path, 0), 1);
    Decoded got = ReadAll(d);
    EXPECT_LT(got.left.size(), full);
    EXPECT_GT(got.left.size(), full * 3 / 4);
    EXPECT_EQ(d.Read(got.left.data(), nullptr), 0);
  }
  {
    SCOPED_TRACE("junk over several pages: the rest still decodes");
    std::string junk = bytes;
    const size_t at = pages[pages.size() / 3];
    for (size_t i = at; i < at + 3000 && i < junk.size(); ++i) junk[i] = static_cast<char>(i * 7);
    const std::string path = dir.File("junk.ogg");
    test::WriteFileBytes(path, junk);
    VorbisDecoder d;
    ASSERT_EQ(d.Open(path, 0), 1);
    Decoded got = ReadAll(d);
    EXPECT_GT(got.left.size(), full / 3);
    EXPECT_LT(got.calls, 100000);
  }
  {
    SCOPED_TRACE("cut inside a page: ends early, cleanly");
    const std::string path = dir.File("cut.ogg");
    test::WriteFileBytes(path, bytes.substr(0, pages[pages.size() / 2] + 100));
    VorbisDecoder d;
    ASSERT_EQ(d.Open(path, 0), 1);
    Decoded got = ReadAll(d);
    EXPECT_GT(got.left.size(), 0u);
    EXPECT_LT(got.left.size(), full);
  }
  {
    SCOPED_TRACE("not Ogg Vorbis: rejected, reader closed");
    const std::string path = dir.File("text.ogg");
    test::WriteFileBytes(path, "OggS but not really a stream at all");
    VorbisDecoder d;
    EXPECT_EQ(d.Open(path, 0), 0);
    EXPECT_EQ(d.GetSampleRate(), 0);
    EXPECT_EQ(d.Open(dir.File("missing.ogg"), 0), 0);
  }
}

TEST(VorbisDecoder, ChainedLinksNeverOverfillABlock) {
  // A stereo link followed by a mono link with long (4096-sample) blocks:
  // a mono packet holds 2048 samples, more than one block of the caller.
  TempDir dir;
  const std::string first = dir.File("first.ogg");
  const std::string second = dir.File("second.ogg");
  ASSERT_TRUE(test::WriteOggVorbis(first, 48000, 2, Tones(48000, 1, {440, 660})));
  ASSERT_TRUE(test::WriteOggVorbis(second, 48000, 1, Tones(48000, 2, {550}), {}, -0.1f, 99));
  const std::string path = dir.File("chain.ogg");
  test::WriteFileBytes(path, test::ReadFileBytes(first) + test::ReadFileBytes(second));

  VorbisDecoder d;
  ASSERT_EQ(d.Open(path, 0), 1);
  EXPECT_EQ(d.GetOutputChannels(), 2);
  // Room for far more than a block, so that an overfill shows as a count.
  std::vector<int16_t> l(8192), r(8192);
  size_t total = 0;
  int largest = 0;
  for (int n, calls = 0; (n = d.Read(l.data(), r.data())) > 0 && calls < 100000; ++calls) {
    largest = std::max(largest, n);
    total += static_cast<size_t>(n);
  }
  EXPECT_LE(largest, kBlockFrames);
  EXPECT_GT(total, 48000u * 5 / 2);
}

TEST(VorbisDecoder, OpenerPicksItForOggFiles) {
  TempDir dir;
  const std::string path = dir.File("song.OGG");
  ASSERT_TRUE(test::WriteOggVorbis(path, 8000, 1, Tones(8000, 1, {300})));
  SourceOpener opener;
  int hasAudio = -1;
  auto reader = opener.OpenSource(path, ClassifySource(path), 0, OpenPurpose::Conversion, hasAudio);
  ASSERT_NE(reader, nullptr);
  EXPECT_NE(dynamic_cast<VorbisDecoder*>(reader.get()), nullptr);
  EXPECT_EQ(opener.FfmpegRetry(), 1);
}

}  // namespace
}  // namespace sondrel
