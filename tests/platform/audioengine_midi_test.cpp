// MIDI files: the tempo-map reader and rendering through BASS_MIDI_* with a
// generated soundfont.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/audioengine/bass.h"
#include "platform/audioengine/bass_midi.h"
#include "platform/audioengine/midi_channel.h"
#include "platform/audioengine/midi_file.h"
#include "support/audio_fixtures.h"
#include "support/av_fixture.h"
#include "support/synth_fixtures.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

using audioengine::MidiSong;
using audioengine::ParseMidiFile;
using test::MidiEvent;

std::optional<MidiSong> Parse(const std::string& bytes, double maxSeconds = 3600) {
  return ParseMidiFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), maxSeconds);
}

const std::string kNoteOn("\x90\x45\x64", 3);  // A4, velocity 100
const std::string kNoteOff("\x80\x45\x00", 3);

// The zero delta between two events written as one string.
std::string MidiVarLen0() { return std::string(1, '\0'); }

TEST(MidiFileReader, LengthFollowsTheTempoMap) {
  {
    SCOPED_TRACE("format 0 at the default 120 BPM: 960 ticks of 480 per quarter = 1 s");
    const auto song = Parse(test::MidiFile(0, 480, {{{0, kNoteOn}, {960, kNoteOff}}}));
    ASSERT_TRUE(song);
    EXPECT_DOUBLE_EQ(song->length, 1e6);
    ASSERT_EQ(song->messages.size(), 2u);
    EXPECT_DOUBLE_EQ(song->messages[1].time, 1e6);
  }
  {
    SCOPED_TRACE("a tempo change halfway: 0.5 s + 0.25 s");
    const auto song = Parse(
        test::MidiFile(0, 480, {{{0, kNoteOn}, {480, test::MidiTempo(250000)}, {480, kNoteOff}}}));
    ASSERT_TRUE(song);
    EXPECT_DOUBLE_EQ(song->length, 750000);
  }
  {
    SCOPED_TRACE("format 1: the tempo track rules every track; the longest track ends the song");
    const auto song = Parse(test::MidiFile(
        1, 96, {{{0, test::MidiTempo(1000000)}}, {{0, kNoteOn}, {96, kNoteOff}, {192, ""}}}));
    ASSERT_TRUE(song);
    EXPECT_EQ(song->tracks, 2);
    EXPECT_DOUBLE_EQ(song->length, 3e6);
  }
  {
    SCOPED_TRACE("SMPTE time: 25 frames of 40 ticks a second, tempo ignored");
    const int division = (static_cast<uint8_t>(-25) << 8) | 40;
    const auto song = Parse(
        test::MidiFile(0, division, {{{0, test::MidiTempo(100)}, {0, kNoteOn}, {2500, kNoteOff}}}));
    ASSERT_TRUE(song);
    EXPECT_NEAR(song->length, 2.5e6, 1e-3);
  }
  {
    SCOPED_TRACE("running status and a system-exclusive message");
    const std::string events = std::string("\x90\x3C\x40", 3) + MidiVarLen0() + "\x3E\x40";
    const auto song = Parse(test::MidiFile(
        0, 480, {{{0, std::string("\xF0\x05\x7E\x7F\x09\x01\xF7", 7)}, {0, events}}}));
    ASSERT_TRUE(song);
    ASSERT_EQ(song->messages.size(), 3u);
    EXPECT_EQ(song->messages[0].status, 0xF0);
    EXPECT_EQ(song->messages[0].sysex, std::string("\x7E\x7F\x09\x01", 4));
    EXPECT_EQ(song->messages[2].status, 0x90);
    EXPECT_EQ(song->messages[2].data1, 0x3E);
  }
  {
    SCOPED_TRACE("wrapped in RIFF RMID");
    const auto song =
        Parse(test::RmidFile(test::MidiFile(0, 480, {{{0, kNoteOn}, {480, kNoteOff}}})));
    ASSERT_TRUE(song);
    EXPECT_DOUBLE_EQ(song->length, 5e5);
  }
}

TEST(MidiFileReader, BadFiles) {
  std::string overflow = test::MidiFile(0, 480, {{{0, kNoteOn}, {480, kNoteOff}}});
  overflow[18] = overflow[19] = overflow[20] = '\x7F';  // track length far past the end
  const auto clipped = Parse(overflow);
  ASSERT_TRUE(clipped) << "a track claiming too much is read to the end of the file";
  EXPECT_DOUBLE_EQ(clipped->length, 5e5);

  // 16.7 s a quarter note, one tick a quarter, the largest delta: years.
  EXPECT_FALSE(
      Parse(test::MidiFile(0, 1, {{{0, test::MidiTempo(0xFFFFFF)}, {0x0FFFFFFF, kNoteOn}}})))
      << "absurd length refused";
  const auto zeroTempo =
      Parse(test::MidiFile(0, 480, {{{0, test::MidiTempo(0)}, {100000, kNoteOn}}}));
  ASSERT_TRUE(zeroTempo);
  EXPECT_EQ(zeroTempo->length, 0);

  EXPECT_FALSE(Parse("")) << "empty";
  EXPECT_FALSE(Parse(std::string("MThd\0\0\0\x06\0\0\0\x01\0\0", 14))) << "division 0";
  EXPECT_FALSE(Parse(std::string("MThd\0\0\0\x06\0\x03\0\x01\x01\xE0", 14))) << "format 3";
  EXPECT_FALSE(Parse(std::string("MThd\0\0\0\x06\0\0\0\x01\x01\xE0", 14))) << "no track";
  // A delta time that never ends and data bytes without a status end the track.
  const auto endless = Parse(test::MidiFile(0, 480, {{{0, kNoteOn}}}).substr(0, 22) +
                             std::string("\xFF\xFF\xFF\xFF\xFF", 5));
  ASSERT_TRUE(endless);
  const auto noStatus = Parse(test::MidiFile(0, 480, {{{0, "\x45\x64"}}}));
  ASSERT_TRUE(noStatus);
  EXPECT_TRUE(noStatus->messages.empty());
}

class AudioEngineMidi : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureAudioEngine(); }
  void TearDown() override { BASS_MIDI_StreamSetFonts(0, nullptr, 0); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = m_dir.File(name);
    test::WriteFileBytes(path, bytes);
    return path;
  }
  std::vector<int16_t> DecodeAll(DWORD handle) {
    std::vector<int16_t> out;
    std::vector<int16_t> buffer(2304);
    for (int i = 0; i < 1000000; ++i) {
      const DWORD got = BASS_ChannelGetData(handle, buffer.data(), 4608);
      if (got == ~DWORD{0}) break;
      out.insert(out.end(), buffer.begin(), buffer.begin() + got / 2);
    }
    return out;
  }

  test::TempDir m_dir;
};

TEST_F(AudioEngineMidi, RendersTheSongWithTheDefaultFont) {
  const std::string font = Write("sine.sf2", test::SineSoundfont());
  EXPECT_EQ(BASS_MIDI_FontInit(Write("not.sf2", "RIFF\x04\0\0\0sfbk").c_str(), 0), 0u);
  EXPECT_EQ(BASS_MIDI_FontInit(m_dir.File("missing.sf2").c_str(), 0), 0u);
  const HSOUNDFONT handle = BASS_MIDI_FontInit(font.c_str(), 0);
  ASSERT_NE(handle, 0u);
  const BASS_MIDI_FONT entry{handle, -1, 0};
  ASSERT_EQ(BASS_MIDI_StreamSetFonts(0, &entry, 1), 1);

  // A4 for one second, then half a second of nothing.
  const std::string midi =
      Write("a4.mid", test::MidiFile(0, 480, {{{0, kNoteOn}, {960, kNoteOff}, {480, ""}}}));
  const HSTREAM h = BASS_MIDI_StreamCreateFile(0, midi.c_str(), 0, 0, BASS_STREAM_DECODE, 22050);
  ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
  BASS_CHANNELINFO info{};
  ASSERT_EQ(BASS_ChannelGetInfo(h, &info), 1);
  EXPECT_EQ(info.freq, 22050u);
  EXPECT_EQ(info.chans, 2u);
  EXPECT_EQ(info.ctype, BASS_CTYPE_STREAM_MIDI);
  const QWORD length = BASS_ChannelGetLength(h, BASS_POS_BYTE);
  EXPECT_EQ(length, QWORD{33075} * 4) << "1.5 s at 22050 Hz";
  const std::vector<int16_t> data = DecodeAll(h);
  ASSERT_EQ(data.size() * 2, length);
  EXPECT_EQ(BASS_ChannelGetPosition(h, BASS_POS_BYTE), length);
  std::vector<int16_t> left;
  for (size_t i = 0; i < data.size(); i += 2) left.push_back(data[i]);
  const std::vector<int16_t> note(left.begin() + 2205, left.begin() + 19845);  // 0.1 .. 0.9 s
  EXPECT_GT(test::Rms(note), 0.02) << "the note sounds";
  EXPECT_GT(test::ToneLevel(note, 441, 22050), 5 * test::ToneLevel(note, 600, 22050))
      << "at the pitch of A4";
  BASS_StreamFree(h);

  // The stream's own fonts can be replaced; no font at all renders silence.
  const HSTREAM silent = BASS_MIDI_StreamCreateFile(0, midi.c_str(), 0, 0, BASS_STREAM_DECODE, 0);
  ASSERT_NE(silent, 0u);
  ASSERT_EQ(BASS_MIDI_StreamSetFonts(silent, nullptr, 0), 1);
  BASS_CHANNELINFO rate0{};
  BASS_ChannelGetInfo(silent, &rate0);
  EXPECT_EQ(rate0.freq, 44100u) << "the engine's rate when none is asked for";
  EXPECT_EQ(test::Peak(DecodeAll(silent)), 0);
  BASS_StreamFree(silent);
  EXPECT_EQ(BASS_MIDI_FontFree(handle), 1);
}

TEST_F(AudioEngineMidi, BadMidiFilesFailOrEnd) {
  std::string overflow = test::MidiFile(0, 480, {{{0, kNoteOn}, {480, kNoteOff}}});
  overflow[18] = overflow[19] = '\x7F';
  const std::vector<std::string> cases = {
      Write("absurd-tempo.mid",
            test::MidiFile(0, 1, {{{0, test::MidiTempo(0xFFFFFF)}, {0x0FFFFFFF, kNoteOn}}})),
      Write("overflow.mid", overflow),
      Write("cut.mid", overflow.substr(0, 25)),
      Write("header.mid", std::string("MThd\0\0\0\x06", 8)),
      Write("noise.mid", std::string(5000, '\x93')),
      Write("empty.mid", ""),
  };
  for (const std::string& path : cases) {
    SCOPED_TRACE(path);
    const HSTREAM h = BASS_MIDI_StreamCreateFile(0, path.c_str(), 0, 0, BASS_STREAM_DECODE, 0);
    if (h == 0) continue;
    EXPECT_LE(DecodeAll(h).size() * 2, BASS_ChannelGetLength(h, BASS_POS_BYTE));
    BASS_StreamFree(h);
  }
  const std::string ok = Write("ok.mid", test::MidiFile(0, 480, {{{0, kNoteOn}}}));
  EXPECT_EQ(BASS_MIDI_StreamCreateFile(0, ok.c_str(), 0, 0, BASS_STREAM_DECODE, 1000000), 0u);
}

TEST(Soundfont, ThreeListsAmongTheFirstSixteenChunks) {
  auto chunk = [](const std::string& id, const std::string& body) {
    const uint32_t n = static_cast<uint32_t>(body.size());
    const char size[4] = {char(n), char(n >> 8), char(n >> 16), char(n >> 24)};
    return id + std::string(size, 4) + body + (n & 1 ? std::string(1, '\0') : "");
  };
  auto list = [&](const char* type) { return chunk("LIST", std::string(type) + "xx"); };
  auto riff = [&](const std::string& chunks) { return chunk("RIFF", "sfbk" + chunks); };
  std::string fifteen;
  for (int i = 0; i < 15; ++i) fifteen += chunk("junk", "abcd");
  struct Case {
    const char* name;
    std::string bytes;
    bool expected;
  };
  const Case cases[] = {
      {"the lists in any order", riff(list("pdta") + list("INFO") + list("sdta")), true},
      {"other chunks between them, with a pad byte",
       riff(list("INFO") + chunk("junk", "abcde") + list("sdta") + list("pdta")), true},
      {"one list missing", riff(list("INFO") + list("sdta") + chunk("LIST", "pdtX")), false},
      {"a chunk too short for a list type ends the walk",
       riff(list("INFO") + chunk("LIST", "ab") + list("sdta") + list("pdta")), false},
      {"a list after the sixteenth chunk is not looked for",
       riff(list("INFO") + list("sdta") + fifteen + list("pdta")), false},
      {"not a SoundFont", chunk("RIFF", "sfbX" + list("INFO") + list("sdta") + list("pdta")),
       false},
      {"shorter than its RIFF header", std::string("RIFF\x04\0\0\0sfb", 11), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemorySource memory(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size());
    EXPECT_EQ(audioengine::IsSoundfont(memory), c.expected);
  }
}

}  // namespace
}  // namespace sondrel
