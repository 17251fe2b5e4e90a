// MIDI files through the conversion run with the real readers and writers:
// without a soundfont the MIDI row fails and the rest converts; with one the
// song is rendered for its length.
#include <sndfile.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "decode/audio_engine.h"
#include "decode/source_type.h"
#include "encode/format_catalogue.h"
#include "engine/conversion_run.h"
#include "engine/engine_state.h"
#include "engine/file_list.h"
#include "engine/add_files.h"
#include "engine/settings.h"
#include "platform/audioengine/bass_midi.h"
#include "support/audio_fixtures.h"
#include "support/av_fixture.h"
#include "support/memory_frontend.h"
#include "support/synth_fixtures.h"
#include "support/temp_dir.h"
#include "real_run_fixture.h"

namespace sondrel {
namespace {

namespace fs = std::filesystem;

class MidiRun : public test::RealRunFixture {
 protected:
  void SetUp() override {
    if (!state.writers.ffmpeg) GTEST_SKIP() << "no FFmpeg writer in this build";
    test::EnsureAudioEngine();
  }
  void TearDown() override { BASS_MIDI_StreamSetFonts(0, nullptr, 0); }
};

TEST_F(MidiRun, NeedsASoundfontAndThenRendersTheSongLength) {
  // Three seconds of A4 at 120 BPM.
  const std::string midi = dir.File("song.mid");
  test::WriteFileBytes(
      midi,
      test::MidiFile(0, 480, {{{0, "\x90\x45\x64"}, {2880, std::string("\x80\x45\x00", 3)}}}));
  const std::string wav = dir.File("other.wav");
  ASSERT_TRUE(test::WriteSndfile16(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2,
                                   test::Tone16(2, 44100, 44100)));
  const int midiRow = Add(midi);
  const int wavRow = Add(wav);
  ASSERT_EQ(list.ItemAt(midiRow)->sourceType, kSourceMidi);
  EXPECT_EQ(list.ItemAt(midiRow)->duration, 3);

  const std::string font = dir.File("sine.sf2");
  std::vector<std::string> candidates = {dir.File("ct4mgm.sf2")};
  state.loadDefaultSoundfont = [&candidates] {
    int soundFont = 0;
    LoadDefaultSoundfont(soundFont, candidates);
    return soundFont;
  };
  {
    SCOPED_TRACE("no soundfont anywhere, the offer answered No");
    Convert(kFormatWav);
    EXPECT_EQ(Output(midiRow), "Failure. Requires file \"ct4mgm.sf2\".");
    EXPECT_EQ(Output(wavRow), "other.wav");
    EXPECT_FALSE(fs::exists(out / "song.wav"));
    EXPECT_EQ(frontend.questions.size(), 1u);
  }
  fs::remove(out / "other.wav");
  {
    SCOPED_TRACE("with a soundfont the song renders for its length");
    test::WriteFileBytes(font, test::SineSoundfont());
    candidates.push_back(font);
    Convert(kFormatWav);
    ASSERT_EQ(Output(midiRow), "song.wav");
    EXPECT_EQ(state.soundFont, 1);
    SF_INFO info{};
    SNDFILE* f = sf_open((out / "song.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_NEAR(static_cast<double>(info.frames), 3.0 * 44100, 0.01 * 44100);
    std::vector<short> samples(static_cast<size_t>(info.frames * info.channels));
    sf_readf_short(f, samples.data(), info.frames);
    sf_close(f);
    std::vector<int16_t> left;
    for (size_t i = 4410 * 2; i + 4410 * 2 < samples.size(); i += 2) left.push_back(samples[i]);
    EXPECT_GT(test::Rms(left), 0.02) << "sound all through the song";
    EXPECT_GT(test::ToneLevel(left, 441, 44100), 0.02);
  }
}

}  // namespace
}  // namespace sondrel
