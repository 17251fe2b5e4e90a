// Recognising a file's content from its bytes.
#include "platform/audioengine/content_sniffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace sondrel::audioengine {
namespace {

SniffResult Sniff(const std::string& bytes) {
  MemorySource source(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return SniffContent(source);
}

// An MPEG-1 layer III frame, 128 kbit/s, 44100 Hz, no padding: 417 bytes.
std::string Mp3Frame() {
  std::string f("\xFF\xFB\x90\x64", 4);
  f.resize(417, '\x55');
  return f;
}

// An ADTS AAC-LC frame of `length` bytes (no CRC).
std::string AdtsFrame(uint32_t length) {
  std::string f(7, '\0');
  f[0] = '\xFF';
  f[1] = '\xF1';
  f[2] = '\x50';  // LC, 44100 Hz
  f[3] = static_cast<char>(0x80 | ((length >> 11) & 3));
  f[4] = static_cast<char>((length >> 3) & 0xFF);
  f[5] = static_cast<char>(((length & 7) << 5) | 0x1F);
  f[6] = '\xFC';
  f.resize(length, '\x21');
  return f;
}

std::string Id3(uint32_t body) {
  std::string t("ID3\x03\x00\x00", 6);
  t += static_cast<char>((body >> 21) & 0x7F);
  t += static_cast<char>((body >> 14) & 0x7F);
  t += static_cast<char>((body >> 7) & 0x7F);
  t += static_cast<char>(body & 0x7F);
  t.resize(10 + body, '\0');
  return t;
}

TEST(ContentSniffer, MagicNumbers) {
  struct Case {
    std::string bytes;
    ContentKind kind;
  };
  const Case cases[] = {
      {std::string("RIFF\x10\0\0\0WAVEfmt ", 16), ContentKind::Wav},
      {std::string("RF64\xff\xff\xff\xffWAVEds64", 16), ContentKind::Wav},
      {std::string("RIFF\x24\0\0\0CDDAfmt ", 16), ContentKind::CdTrack},
      {std::string("RIFF\x24\0\0\0RMIDdata", 16), ContentKind::Midi},
      {std::string("RIFF\x24\0\0\0AVI LIST", 16), ContentKind::Unknown},
      {std::string("FORM\0\0\0\x20"
                   "AIFFCOMM",
                   16),
       ContentKind::Aiff},
      {std::string("FORM\0\0\0\x20"
                   "AIFCFVER",
                   16),
       ContentKind::Aiff},
      {"fLaC\0\0\0\x22", ContentKind::Flac},
      {"OggS\0\x02", ContentKind::Ogg},
      {"wvpk\x20\0\0\0", ContentKind::WavPack},
      {"MThd\0\0\0\x06", ContentKind::Midi},
      {std::string("\0\0\0\x20"
                   "ftypM4A \0\0\0\0",
                   16),
       ContentKind::Mp4},
      {std::string("\0\0\0\x04"
                   "ftypM4A \0\0\0\0",
                   16),
       ContentKind::Unknown},
      {std::string("\x80\0\0\x24\x03\x12\x04\x02\0\0\x56\x22\0\0\0\0", 16) + std::string(18, '\0') +
           "(c)CRI",
       ContentKind::Adx},
      {"", ContentKind::Unknown},
      {"RIF", ContentKind::Unknown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 8));
    EXPECT_EQ(Sniff(c.bytes).kind, c.kind);
  }
}

TEST(ContentSniffer, FrameChainsWithoutMagic) {
  const std::string frame = Mp3Frame();
  EXPECT_EQ(Sniff(frame + frame).kind, ContentKind::MpegAudio) << "two frames at the start";
  EXPECT_EQ(Sniff(frame).kind, ContentKind::MpegAudio) << "one frame that is the whole file";
  EXPECT_EQ(Sniff(frame + "garbage-garbage").kind, ContentKind::Unknown)
      << "a frame not followed by another";
  const std::string junk(1000, 'j');
  EXPECT_EQ(Sniff(junk + frame + frame + frame).dataOffset, 1000u) << "three frames after junk";
  EXPECT_EQ(Sniff(junk + frame + frame).kind, ContentKind::Unknown)
      << "two frames after junk are not enough";

  // Tags in front are skipped, however many.
  const SniffResult tagged = Sniff(Id3(300) + Id3(20) + frame + frame);
  EXPECT_EQ(tagged.kind, ContentKind::MpegAudio);
  EXPECT_EQ(tagged.dataOffset, 340u);
  // A tag claiming more than the file holds hides nothing.
  EXPECT_EQ(Sniff(Id3(1u << 27).substr(0, 10) + frame + frame).kind, ContentKind::Unknown);

  const std::string adts = AdtsFrame(200);
  EXPECT_EQ(Sniff(adts + AdtsFrame(371)).kind, ContentKind::Adts);
  EXPECT_EQ(Sniff(Id3(40) + adts + adts).kind, ContentKind::Adts);
  EXPECT_EQ(Sniff(AdtsFrame(6)).kind, ContentKind::Unknown) << "shorter than its header";

  // A tracker module is not a stream, even with stray sync bytes in it.
  std::string mod(1084, '\0');
  std::memcpy(&mod[1080], "M.K.", 4);
  mod += frame.substr(0, 4) + std::string(3000, '\x11');
  EXPECT_EQ(Sniff(mod).kind, ContentKind::Unknown);
}

TEST(ContentSniffer, MpegHeaders) {
  struct Case {
    const char* bytes;
    int version, layer, rate, bitRate;
    uint32_t frameBytes;
  };
  const Case cases[] = {
      {"\xFF\xFB\x90\x64", 1, 3, 44100, 128, 417},
      {"\xFF\xFB\x92\x64", 1, 3, 44100, 128, 418},  // padded
      {"\xFF\xF3\x90\x64", 2, 3, 22050, 80, 261},   // MPEG-2 layer III
      {"\xFF\xFD\x94\x64", 1, 2, 48000, 160, 480},  // layer II
      {"\xFF\xFF\x94\x64", 1, 1, 48000, 288, 288},  // layer I, 4-byte slots
  };
  for (const Case& c : cases) {
    const auto h = ParseMpegFrameHeader(reinterpret_cast<const uint8_t*>(c.bytes), 4);
    ASSERT_TRUE(h) << c.frameBytes;
    EXPECT_EQ(h->version, c.version);
    EXPECT_EQ(h->layer, c.layer);
    EXPECT_EQ(h->sampleRate, c.rate);
    EXPECT_EQ(h->bitRate, c.bitRate);
    EXPECT_EQ(h->frameBytes, c.frameBytes);
  }
  for (const char* bad : {"\xFF\xFB\xF0\x64",     // bit-rate index 15
                          "\xFF\xFB\x0C\x64",     // free format, reserved rate
                          "\xFF\xEB\x90\x64",     // reserved version
                          "\xFF\xF9\x90\x64"}) {  // layer bits 00
    EXPECT_FALSE(ParseMpegFrameHeader(reinterpret_cast<const uint8_t*>(bad), 4));
  }
  EXPECT_FALSE(ParseMpegFrameHeader(reinterpret_cast<const uint8_t*>("\xFF\xFB\x90"), 3));
}

}  // namespace
}  // namespace sondrel::audioengine
