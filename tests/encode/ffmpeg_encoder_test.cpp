#include "encode/ffmpeg_encoder.h"

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "decode/ffmpeg_decoder.h"
#include "encode/codec_ids.h"
#include "encode/format_catalogue.h"
#include "platform/ffmpeg/ffmpeg_handles.h"
#include "support/av_fixture.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

class FfmpegWriter : public ::testing::Test {
 protected:
  void SetUp() override { ffmpeg::QuietLog(); }
  test::TempDir m_dir;
};

// Standard output of a shell command.
std::string Run(const std::string& command) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return out;
  char buf[4096];
  while (size_t n = std::fread(buf, 1, sizeof buf, pipe.get())) out.append(buf, n);
  return out;
}

// One ffprobe entry ("format=format_name", "stream=codec_name", ...).
std::string Probe(const std::string& path, const std::string& entry) {
  std::string out = Run("ffprobe -v error -show_entries " + entry +
                        " -of default=noprint_wrappers=1:nokey=1 '" + path + "'");
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

// Several ffprobe entries at once ("format=format_name:stream=codec_name"),
// by key.
std::map<std::string, std::string> ProbeAll(const std::string& path, const std::string& entries) {
  std::map<std::string, std::string> values;
  const std::string out = Run("ffprobe -v error -show_entries " + entries +
                              " -of default=noprint_wrappers=1 '" + path + "'");
  size_t start = 0;
  while (start < out.size()) {
    size_t end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    const std::string line = out.substr(start, end - start);
    const size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    start = end + 1;
  }
  return values;
}

// The value of `list` (ascending, -1 terminated) nearest to `value`.
int Nearest(int value, const int* list) {
  if (!list) return value;
  int best = list[0];
  for (const int* p = list; *p != -1; ++p) {
    if (std::abs(*p - value) < std::abs(best - value)) best = *p;
  }
  return best;
}

struct Signal {
  std::vector<int16_t> left, right;
};

Signal TwoTones(int rate, double seconds) {
  const int n = static_cast<int>(rate * seconds);
  return {test::Sine16(440, rate, n, 0.5), test::Sine16(1000, rate, n, 0.5)};
}

// Writes the signal in 1152-frame blocks, as the conversion run does.
bool Encode(FfmpegEncoder& w, const Signal& s, int channels, int block = 1152) {
  if (!w.Open()) return false;
  const int n = static_cast<int>(s.left.size());
  for (int i = 0; i < n; i += block) {
    const int count = std::min(block, n - i);
    if (!w.Write(s.left.data() + i, channels == 2 ? s.right.data() + i : nullptr, count)) {
      return false;
    }
  }
  w.Close();
  return true;
}

void Configure(FfmpegEncoder& w, const std::string& muxer, int storedCodec, int rate, int channels,
               int bitRate, const std::string& path) {
  w.SetFormat(FfmpegFormatParams{muxer, storedCodec});
  w.SetSampleRate(rate);
  w.SetChannels(channels);
  w.SetBitRate(bitRate);
  w.SetOutputPath(path);
}

// What ffprobe calls the container each muxer writes.
std::string DemuxerOf(const std::string& muxer) {
  static const std::map<std::string, std::string> names = {
      {"3g2", "mov,mp4,m4a,3gp,3g2,mj2"},  {"3gp", "mov,mp4,m4a,3gp,3g2,mj2"},
      {"ipod", "mov,mp4,m4a,3gp,3g2,mj2"}, {"mp4", "mov,mp4,m4a,3gp,3g2,mj2"},
      {"mov", "mov,mp4,m4a,3gp,3g2,mj2"},  {"adts", "aac"},
      {"matroska", "matroska,webm"},       {"mp2", "mp3"},
  };
  auto it = names.find(muxer);
  return it != names.end() ? it->second : muxer;
}

// The brand that tells the MPEG-4 family apart.
std::string BrandOf(const std::string& muxer) {
  static const std::map<std::string, std::string> brands = {
      {"3g2", "3g2a"}, {"3gp", "3gp4"}, {"ipod", "M4A "}, {"mp4", "isom"}, {"mov", "qt  "}};
  auto it = brands.find(muxer);
  return it != brands.end() ? it->second : "";
}

bool IsPcmKind(AVCodecID id) {
  return (id >= AV_CODEC_ID_PCM_S16LE && id <= AV_CODEC_ID_PCM_F64LE) || id == AV_CODEC_ID_FLAC ||
         id == AV_CODEC_ID_ALAC;
}

// The sample a PCM kind gives back for `s`; companding codecs return s and
// are compared with a tolerance.
int16_t PcmExpected(AVCodecID id, int16_t s) {
  if (id == AV_CODEC_ID_PCM_U8 || id == AV_CODEC_ID_PCM_S8) {
    return static_cast<int16_t>((s >> 8) * 256);
  }
  return s;
}

TEST_F(FfmpegWriter, EveryFormatAndCodecRoundTrips) {
  std::vector<FormatRow> rows;
  BuildCatalogue(rows);
  int formats = 0;
  int combos = 0;
  for (const FormatRow& row : rows) {
    if (WriterFamilyOf(row.id) != WriterFamily::Ffmpeg) continue;
    ++formats;
    for (size_t e = 0; e < row.codecs.size(); ++e) {
      const CodecEntry& entry = *row.codecs[e];
      const auto id = static_cast<AVCodecID>(AvCodecIdFromStored(entry.codecId));
      SCOPED_TRACE(row.extension + " (" + row.muxerName + ") entry " + std::to_string(e) + " " +
                   avcodec_get_name(id));
      const std::string path = m_dir.File("out" + std::to_string(combos++) + "." + row.extension);
      const int rate = Nearest(44100, entry.sampleRates);
      const int channels = (entry.channelBits & kChannelsStereo) ? 2 : 1;
      const int bitRate =
          entry.bitRates ? Nearest(row.BitRate > 0 ? row.BitRate : 128000, entry.bitRates) : 0;
      FfmpegEncoder w;
      int frameSize = 0;
      w.SetCodecCallObserver([&](int n) { frameSize = std::max(frameSize, n); });
      Configure(w, row.muxerName, entry.codecId, rate, channels, bitRate, path);
      const Signal s = TwoTones(rate, 3.0);

      ASSERT_TRUE(Encode(w, s, channels));
      const bool direct = frameSize > 4608;  // direct-path chunks are larger than any codec frame

      std::map<std::string, std::string> probed =
          ProbeAll(path, "format=format_name:format_tags=major_brand:stream=codec_name");
      EXPECT_EQ(probed["format_name"], DemuxerOf(row.muxerName));
      if (!BrandOf(row.muxerName).empty()) {
        EXPECT_EQ(probed["TAG:major_brand"], BrandOf(row.muxerName));
      }
      EXPECT_EQ(probed["codec_name"], avcodec_get_name(id));

      FfmpegDecoder d;
      ASSERT_TRUE(d.Open(path, 0));
      // VOC keeps 8-bit mono rates as a one-byte time constant.
      EXPECT_NEAR(d.GetSampleRate(), rate, row.muxerName == "voc" ? rate / 500 : 0);
      EXPECT_EQ(d.GetChannels(), channels);
      test::DecodedAudio a = test::ReadAll(d);
      ASSERT_TRUE(a.ended);
      const long n = static_cast<long>(s.left.size());
      const long got = static_cast<long>(a.left.size());
      if (IsPcmKind(id)) {
        EXPECT_EQ(got, n);
        const bool companded = id == AV_CODEC_ID_PCM_ALAW || id == AV_CODEC_ID_PCM_MULAW;
        for (long i = 0; i < std::min(n, got); ++i) {
          const int16_t want = PcmExpected(id, s.left[i]);
          if (companded) {
            ASSERT_NEAR(a.left[i], want, std::abs(want) / 16 + 32) << i;
          } else {
            ASSERT_EQ(a.left[i], want) << i;
            if (channels == 2) {
              ASSERT_EQ(a.right[i], PcmExpected(id, s.right[i])) << i;
            }
          }
        }
      } else {
        // Within one codec frame plus the encoder's delay.
        EXPECT_GE(got, n);
        EXPECT_LE(got, n + (direct ? 0 : frameSize) + 2112);
        EXPECT_NEAR(test::ToneLevel(a.left, 440, rate), 0.5, 0.15);
        if (channels == 2) {
          EXPECT_NEAR(test::ToneLevel(a.right, 1000, rate), 0.5, 0.15);
          EXPECT_LT(test::ToneLevel(a.left, 1000, rate), 0.05);
          EXPECT_LT(test::ToneLevel(a.right, 440, rate), 0.05);
        }
      }
    }
  }
  EXPECT_EQ(formats, 25);
}

// How a file's packets compare with the expected ones.
struct PacketMatch {
  size_t packets = 0;
  int firstDifference = -1;  // index of the first packet that differs
  bool operator==(const PacketMatch&) const = default;
  friend void PrintTo(const PacketMatch& m, std::ostream* os) {
    *os << m.packets << " packets, first difference " << m.firstDifference;
  }
};

PacketMatch Match(const std::vector<std::string>& got, const std::vector<std::string>& expected) {
  PacketMatch m{got.size()};
  for (size_t i = 0; i < std::min(got.size(), expected.size()); ++i) {
    if (got[i] != expected[i]) {
      m.firstDifference = static_cast<int>(i);
      break;
    }
  }
  return m;
}

// The writer gives each encoder what the ffmpeg command gives it for 16-bit
// input (options, bit rate, sample format, frame sizes, the short last
// frame), so the encoder does the same work and makes the same packets.
// Anything more the writer asked of it would show here as other packets.
TEST_F(FfmpegWriter, SamePacketsAsTheFfmpegCommandWithTheSameEncoder) {
  struct Case {
    const char* name;
    const char* ext;
    const char* muxer;
    int codec;
    int channels;
    int bitRate;
    const char* ffmpegCodec;  // the command's codec options
  };
  const Case cases[] = {
      {"MP3", "mp3", "mp3", kCodecMp3, 2, 128000, "-c:a libmp3lame -b:a 128k"},
      {"MP3 mono", "mp3", "mp3", kCodecMp3, 1, 64000, "-c:a libmp3lame -b:a 64k"},
      {"AAC in ADTS", "aac", "adts", kCodecAac, 2, 128000, "-c:a aac -b:a 128k"},
      {"AAC in M4A", "m4a", "ipod", kCodecAac, 2, 128000, "-c:a aac -b:a 128k"},
      {"Vorbis", "ogg", "ogg", kCodecVorbis, 2, 128000, "-c:a libvorbis -b:a 128k"},
      {"FLAC", "flac", "flac", kCodecFlac, 2, 0, "-c:a flac"},
  };
  // Not a whole number of frames of any of these codecs.
  const Signal signal = TwoTones(44100, 2.5);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string source = m_dir.File("source" + std::to_string(c.channels) + ".wav");
    FfmpegEncoder wav;
    Configure(wav, "wav", kCodecPcmS16le, 44100, c.channels, 0, source);
    ASSERT_TRUE(Encode(wav, signal, c.channels));
    const std::string theirs = m_dir.File(std::string("command.") + c.ext);
    ASSERT_EQ(test::RunCommand("ffmpeg -nostdin -v error -y -i " + test::Quoted(source) + " " +
                               c.ffmpegCodec + " " + test::Quoted(theirs))
                  .status,
              0);
    const std::string ours = m_dir.File(std::string("writer.") + c.ext);
    FfmpegEncoder w;
    Configure(w, c.muxer, c.codec, 44100, c.channels, c.bitRate, ours);
    ASSERT_TRUE(Encode(w, signal, c.channels));

    const std::vector<std::string> expected = test::ReadPackets(theirs);
    const std::vector<std::string> got = test::ReadPackets(ours);
    ASSERT_GT(expected.size(), 10u);
    EXPECT_EQ(Match(got, expected), (PacketMatch{expected.size(), -1}));
  }
}

TEST_F(FfmpegWriter, FramedPathStagesPartialFramesUntilClose) {
  const std::string path = m_dir.File("staged.mp3");
  FfmpegEncoder w;
  std::vector<int> calls;
  w.SetCodecCallObserver([&](int n) { calls.push_back(n); });
  Configure(w, "mp3", kCodecMp3, 44100, 2, 128000, path);
  ASSERT_TRUE(w.Open());
  const Signal s = TwoTones(44100, 1.0);
  EXPECT_TRUE(w.Write(s.left.data(), s.right.data(), 1000));
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(w.StagedFrames(), 1000);
  EXPECT_TRUE(w.Write(s.left.data() + 1000, s.right.data() + 1000, 1000));
  EXPECT_EQ(calls, std::vector<int>{1152});
  EXPECT_EQ(w.StagedFrames(), 848);
  EXPECT_TRUE(w.Write(s.left.data(), s.right.data(), 0));  // nothing changes
  EXPECT_EQ(w.StagedFrames(), 848);
  w.Close();
  // The last partial frame goes to the codec at Close, then the codec drains.
  EXPECT_EQ(calls, (std::vector<int>{1152, 848}));
  EXPECT_EQ(w.StagedFrames(), 0);
  FfmpegDecoder d;
  ASSERT_TRUE(d.Open(path, 0));
  // The encoder's delay and padding are recorded, so the length comes back.
  EXPECT_EQ(test::ReadAll(d).left.size(), 2000u);
}

TEST_F(FfmpegWriter, ShortLastFrameIsCompletedWithSilenceWhereTheCodecNeedsIt) {
  // MP2 takes only whole frames: 5000 frames come back as five frames of 1152.
  const std::string path = m_dir.File("short.mp2");
  FfmpegEncoder w;
  Configure(w, "mp2", kCodecMp2, 44100, 1, 64000, path);
  const Signal s = TwoTones(44100, 5000.0 / 44100);
  ASSERT_TRUE(Encode(w, s, 1));
  FfmpegDecoder d;
  ASSERT_TRUE(d.Open(path, 0));
  test::DecodedAudio a = test::ReadAll(d);
  EXPECT_EQ(a.left.size(), 5u * 1152);
}

// The bytes of a WAV file's data chunk (without a pad byte).
std::string WavData(const std::string& path) {
  const std::string bytes = test::ReadFileBytes(path);
  for (size_t at = 12; at + 8 <= bytes.size();) {
    uint32_t size = 0;
    std::memcpy(&size, bytes.data() + at + 4, 4);
    if (bytes.compare(at, 4, "data") == 0) return bytes.substr(at + 8, size);
    at += 8 + size + (size & 1);
  }
  return {};
}

TEST_F(FfmpegWriter, DirectPathWritesChunksByWidth) {
  const std::string path = m_dir.File("chunks.wav");
  FfmpegEncoder w;
  std::vector<int> calls;
  w.SetCodecCallObserver([&](int n) { calls.push_back(n); });
  Configure(w, "wav", kCodecPcmS16le, 44100, 2, 0, path);
  ASSERT_TRUE(w.Open());
  const Signal s = TwoTones(44100, 12000.0 / 44100);
  ASSERT_EQ(s.left.size(), 12000u);
  EXPECT_TRUE(w.Write(s.left.data(), s.right.data(), 12000));
  EXPECT_EQ(calls, (std::vector<int>{5248, 5248, 1504}));
  w.Close();
  EXPECT_EQ(WavData(path).size(), 48000u);

  // Mono 16-bit PCM is taken from the caller's plane; `right` may be null.
  calls.clear();
  Configure(w, "wav", kCodecPcmS16le, 8000, 1, 0, path);
  ASSERT_TRUE(w.Open());
  EXPECT_TRUE(w.Write(s.left.data(), nullptr, 12000));
  EXPECT_EQ(calls, (std::vector<int>{9344, 2656}));
  w.Close();
  FfmpegDecoder d;
  ASSERT_TRUE(d.Open(path, 0));
  EXPECT_EQ(test::ReadAll(d).left, s.left);
}

TEST_F(FfmpegWriter, SampleConversionsAtTheExtremes) {
  const std::vector<int16_t> s = {0, -32768, 32767, 16384, -1, 255, 256};
  {
    SCOPED_TRACE("unsigned 8-bit: offset binary");
    const std::string path = m_dir.File("u8.wav");
    FfmpegEncoder w;
    Configure(w, "wav", kCodecPcmU8, 8000, 1, 0, path);
    ASSERT_TRUE(w.Open());
    w.Write(s.data(), nullptr, static_cast<int>(s.size()));
    w.Close();
    EXPECT_EQ(WavData(path), std::string("\x80\x00\xff\xc0\x7f\x80\x81", 7));
  }
  {
    SCOPED_TRACE("float: s / 32768");
    const std::string path = m_dir.File("f32.wav");
    FfmpegEncoder w;
    Configure(w, "wav", kCodecPcmF32le, 8000, 1, 0, path);
    ASSERT_TRUE(w.Open());
    w.Write(s.data(), nullptr, static_cast<int>(s.size()));
    w.Close();
    const std::string data = WavData(path);
    ASSERT_EQ(data.size(), s.size() * 4);
    std::vector<float> f(s.size());
    std::memcpy(f.data(), data.data(), data.size());
    EXPECT_EQ(f, (std::vector<float>{0.0f, -1.0f, 32767.0f / 32768, 0.5f, -1.0f / 32768,
                                     255.0f / 32768, 256.0f / 32768}));
  }
  {
    SCOPED_TRACE("32-bit: s * 65536; 24-bit keeps the top three bytes");
    const std::string p32 = m_dir.File("s32.wav");
    const std::string p24 = m_dir.File("s24.wav");
    FfmpegEncoder w;
    Configure(w, "wav", kCodecPcmS32le, 8000, 1, 0, p32);
    ASSERT_TRUE(w.Open());
    w.Write(s.data(), nullptr, 3);
    w.Close();
    EXPECT_EQ(WavData(p32), std::string("\0\0\0\0\0\0\0\x80\0\0\xff\x7f", 12));
    Configure(w, "wav", kCodecPcmS24le, 8000, 1, 0, p24);
    ASSERT_TRUE(w.Open());
    w.Write(s.data(), nullptr, 3);
    w.Close();
    EXPECT_EQ(WavData(p24), std::string("\0\0\0\0\0\x80\0\xff\x7f", 9));
  }
}

TEST_F(FfmpegWriter, G726TakesTwoToFiveCodeBits) {
  for (const auto& [stored, bits] : std::vector<std::pair<int, int>>{{7, 4}, {2, 2}, {5, 5}}) {
    SCOPED_TRACE(stored);
    const std::string path = m_dir.File("g726_" + std::to_string(stored) + ".wav");
    FfmpegEncoder w;
    Configure(w, "wav", kCodecAdpcmG726, 8000, 1, stored, path);
    const Signal s = TwoTones(8000, 1.0);
    ASSERT_TRUE(Encode(w, s, 1));
    EXPECT_EQ(Probe(path, "stream=bit_rate"), std::to_string(bits * 8000));
    FfmpegDecoder d;
    ASSERT_TRUE(d.Open(path, 0));
    EXPECT_NEAR(test::ToneLevel(test::ReadAll(d).left, 440, 8000), 0.5, 0.15);
  }
}

TEST_F(FfmpegWriter, OpenFailsCleanly) {
  const std::string path = m_dir.File("fail.out");
  struct Case {
    const char* name;
    const char* muxer;
    int codec;
    int rate;
    int channels;
  };
  for (const Case& c : {
           Case{"unknown muxer", "nosuchmuxer", kCodecPcmS16le, 44100, 2},
           Case{"codec id not in the table", "wav", 12345, 44100, 2},
           Case{"AMR-NB is mono only", "3gp", kCodecAmrNb, 8000, 2},
           Case{"codec refuses the rate", "mp2", kCodecMp2, 12345, 2},
           Case{"codec refuses the channels", "wav", kCodecGsmMs, 8000, 2},
           Case{"muxer refuses the header", "mmf", kCodecAdpcmYamaha, 48000, 1},
           Case{"no sample rate", "wav", kCodecPcmS16le, 0, 2},
       }) {
    SCOPED_TRACE(c.name);
    FfmpegEncoder w;
    Configure(w, c.muxer, c.codec, c.rate, c.channels, 128000, path);
    EXPECT_EQ(w.Open(), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    int16_t block[16] = {};
    EXPECT_EQ(w.Write(block, block, 16), 0);
    w.Close();
    // Back in the initial state: nothing configured is left.
    EXPECT_EQ(w.Open(), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
  }
  {
    SCOPED_TRACE("the file cannot be created");
    FfmpegEncoder w;
    Configure(w, "wav", kCodecPcmS16le, 44100, 2, 0, m_dir.File("no/such/folder/x.wav"));
    EXPECT_EQ(w.Open(), 0);
    Configure(w, "wav", kCodecPcmS16le, 44100, 2, 0, m_dir.Path().string());
    EXPECT_EQ(w.Open(), 0);
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.Path()));
  }
  if (access("/dev/full", W_OK) == 0) {
    SCOPED_TRACE("a full device: writes fail and are reported, the device stays");
    FfmpegEncoder w;
    Configure(w, "wav", kCodecPcmS16le, 44100, 2, 0, "/dev/full");
    if (w.Open()) {
      const Signal s = TwoTones(44100, 1.0);
      int failures = 0;
      for (int i = 0; i < 10; ++i) failures += !w.Write(s.left.data(), s.right.data(), 44100);
      EXPECT_GT(failures, 0);
      EXPECT_TRUE(w.Write(s.left.data(), s.right.data(), 0));
      w.Close();
    }
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
  }
  {
    SCOPED_TRACE("Close without Open, twice");
    FfmpegEncoder w;
    w.Close();
    w.Close();
  }
  {
    SCOPED_TRACE("a writer can be configured and opened again after Close");
    FfmpegEncoder w;
    const std::string p = m_dir.File("again.wav");
    Configure(w, "wav", kCodecPcmS16le, 44100, 2, 0, p);
    ASSERT_TRUE(w.Open());
    w.Close();
    Configure(w, "flac", kCodecFlac, 44100, 2, 0, p);
    ASSERT_TRUE(w.Open());
    w.Close();
    EXPECT_EQ(Probe(p, "format=format_name"), "flac");
  }
}

void SetAllTags(FfmpegEncoder& w) {
  w.SetTags("T\xc3\xaftle \xe2\x82\xac", "Artist", "Album", "Jazz", "2009", "A comment", "Composer",
            "(c) Holder", 7);
}

TEST_F(FfmpegWriter, TagsRoundTrip) {
  struct Kind {
    const char* ext;
    const char* muxer;
    int codec;
  };
  for (const Kind& k : {Kind{"mp3", "mp3", kCodecMp3}, Kind{"m4a", "ipod", kCodecAac},
                        Kind{"ogg", "ogg", kCodecVorbis}, Kind{"flac", "flac", kCodecFlac},
                        Kind{"mov", "mov", kCodecAac}}) {
    SCOPED_TRACE(k.ext);
    const std::string path = m_dir.File(std::string("tags.") + k.ext);
    FfmpegEncoder w;
    Configure(w, k.muxer, k.codec, 44100, 2, 128000, path);
    SetAllTags(w);
    ASSERT_TRUE(Encode(w, TwoTones(44100, 0.2), 2));
    TagLib::FileRef f(path.c_str());
    ASSERT_FALSE(f.isNull());
    const TagLib::PropertyMap p = f.file()->properties();
    auto get = [&](const char* key) {
      return p.contains(key) ? p[key].toString().to8Bit(true) : std::string("<none>");
    };
    EXPECT_EQ(get("TITLE"), "T\xc3\xaftle \xe2\x82\xac");
    EXPECT_EQ(get("ARTIST"), "Artist");
    EXPECT_EQ(get("ALBUM"), "Album");
    EXPECT_EQ(get("GENRE"), "Jazz");
    EXPECT_EQ(get("DATE"), "2009");
    EXPECT_EQ(get("COMMENT"), "A comment");
    EXPECT_EQ(get("DESCRIPTION"), "<none>");
    EXPECT_EQ(get("TRACKNUMBER"), "7");
    EXPECT_EQ(get("COMPOSER"), "Composer");
    EXPECT_EQ(get("COPYRIGHT"), "(c) Holder");
  }
  for (const Kind& k : {Kind{"mka", "matroska", kCodecMp2}, Kind{"avi", "avi", kCodecMp3}}) {
    SCOPED_TRACE(k.ext);
    const std::string path = m_dir.File(std::string("tags.") + k.ext);
    FfmpegEncoder w;
    Configure(w, k.muxer, k.codec, 44100, 2, 128000, path);
    SetAllTags(w);
    ASSERT_TRUE(Encode(w, TwoTones(44100, 0.2), 2));
    FfmpegDecoder d;
    ASSERT_TRUE(d.Open(path, 0));
    TagInfo t;
    ASSERT_EQ(d.GetTags(t), 1);
    EXPECT_EQ(t.title, "T\xc3\xaftle \xe2\x82\xac");
    EXPECT_EQ(t.artist, "Artist");
    EXPECT_EQ(t.genre, "Jazz");
    EXPECT_EQ(t.year, "2009");
    EXPECT_EQ(t.comment, "A comment");
    EXPECT_EQ(t.track, "7");
    EXPECT_EQ(Probe(path, "format_tags=title"), "T\xc3\xaftle \xe2\x82\xac");
  }
  {
    SCOPED_TRACE("empty texts and track 0 write no tags");
    const std::string path = m_dir.File("untagged.mka");
    FfmpegEncoder w;
    Configure(w, "matroska", kCodecMp2, 44100, 2, 128000, path);
    w.SetTags("", "", "", "", "", "", "", "", 0);
    ASSERT_TRUE(Encode(w, TwoTones(44100, 0.2), 2));
    FfmpegDecoder d;
    ASSERT_TRUE(d.Open(path, 0));
    TagInfo t;
    EXPECT_EQ(d.GetTags(t), 0);
  }
}

}  // namespace
}  // namespace sondrel
