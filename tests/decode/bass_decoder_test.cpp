// BassDecoder over the audio engine: properties, both read paths, the mixes,
// the bit-rate rule, tags, the opener's use of it, and the engine start-up.
#include "decode/bass_decoder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <filesystem>
#include <string>
#include <vector>

#include "decode/audio_engine.h"
#include "decode/downmix.h"
#include "decode/ffmpeg_decoder.h"
#include "decode/source_opener.h"
#include "decode/source_type.h"
#include "platform/audioengine/bass.h"
#include "platform/audioengine/bass_midi.h"
#include "support/audio_fixtures.h"
#include "support/av_fixture.h"
#include "support/memory_frontend.h"
#include "support/scoped_env.h"
#include "support/synth_fixtures.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

class BassReader : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureAudioEngine(); }
  test::TempDir m_dir;
};

TEST_F(BassReader, StereoPropertiesSamplesAndProgress) {
  const int frames = 3 * 44100 + 77;
  const std::vector<int16_t> tone = test::Tone16(2, frames, 44100);
  const std::string path = m_dir.File("tone.wav");
  ASSERT_TRUE(test::WriteSndfile16(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, tone));

  BassDecoder d;
  ASSERT_EQ(d.Open(path, 0), 1);
  EXPECT_EQ(d.GetSampleRate(), 44100);
  EXPECT_EQ(d.GetChannels(), 2);
  EXPECT_EQ(d.GetOutputChannels(), 2);
  EXPECT_EQ(d.GetBitsPerSample(), 16);
  EXPECT_EQ(d.GetDuration(), 3);
  EXPECT_EQ(d.GetLength(), int64_t{frames} * 4);
  // File bytes per second in kilobits, rounded.
  const double seconds = frames / 44100.0;
  const auto size = static_cast<double>(std::filesystem::file_size(path));
  EXPECT_EQ(d.GetBitRate(), static_cast<int>(size / (seconds * 125) + 0.5));

  const test::DecodedAudio a = test::ReadAll(d);
  ASSERT_TRUE(a.ended);
  for (int n : a.blockSizes) EXPECT_LE(n, kBlockFrames);
  ASSERT_EQ(a.left.size(), static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    ASSERT_EQ(a.left[i], tone[2 * i]) << i;
    ASSERT_EQ(a.right[i], tone[2 * i + 1]) << i;
  }
  EXPECT_EQ(d.GetPosition(), d.GetLength());
  EXPECT_EQ(d.GetTags(*std::make_unique<TagInfo>()), 0) << "no tags in the file";

  d.Close();
  EXPECT_EQ(d.GetLength(), 0);
  EXPECT_EQ(d.GetSampleRate(), 0);
  EXPECT_EQ(d.Read(nullptr, nullptr), 0);
}

TEST_F(BassReader, MonoWritesOnlyTheLeftPlane) {
  const std::vector<int16_t> tone = test::Tone16(1, 5000, 8000);
  const std::string path = m_dir.File("mono.flac");
  ASSERT_TRUE(test::WriteSndfile16(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 1, tone));
  BassDecoder d;
  ASSERT_EQ(d.Open(path, 0), 1);
  EXPECT_EQ(d.GetOutputChannels(), 1);
  std::vector<int16_t> left(kBlockFrames);
  std::vector<int16_t> all;
  for (int n; (n = d.Read(left.data(), nullptr)) > 0;) {
    EXPECT_LE(n, kBlockFrames);
    all.insert(all.end(), left.begin(), left.begin() + n);
  }
  EXPECT_EQ(all, tone);
  EXPECT_EQ(d.GetPosition(), d.GetLength());
}

TEST_F(BassReader, EightBitSamplesAreWidened) {
  const std::string stereo = m_dir.File("u8.wav");
  ASSERT_TRUE(test::WriteWav8(stereo, 8000, 2, {0, 128, 255, 1}));
  BassDecoder d;
  ASSERT_EQ(d.Open(stereo, 0), 1);
  EXPECT_EQ(d.GetLength(), 4);
  EXPECT_EQ(d.GetBitRate(),
            static_cast<int>(std::filesystem::file_size(stereo) / ((4.0 / 16000) * 125) + 0.5));
  test::DecodedAudio a = test::ReadAll(d);
  EXPECT_EQ(a.left, (std::vector<int16_t>{-32768, 32512}));
  EXPECT_EQ(a.right, (std::vector<int16_t>{0, -32512}));
  EXPECT_EQ(d.GetPosition(), 4);

  // Mono: one sample per byte; three channels: mixed down frame by frame.
  const std::string mono = m_dir.File("u8m.wav");
  ASSERT_TRUE(test::WriteWav8(mono, 8000, 1, {0, 128, 255}));
  ASSERT_EQ(d.Open(mono, 0), 1);
  a = test::ReadAll(d);
  EXPECT_EQ(a.left, (std::vector<int16_t>{-32768, 0, 32512}));
  const std::string three = m_dir.File("u8x3.wav");
  ASSERT_TRUE(test::WriteWav8(three, 8000, 3, {200, 100, 160, 128, 128, 255}));
  ASSERT_EQ(d.Open(three, 0), 1);
  EXPECT_EQ(d.GetOutputChannels(), 2);
  a = test::ReadAll(d);
  ASSERT_EQ(a.left.size(), 2u);
  const int16_t f0[3] = {72 * 256, -28 * 256, 32 * 256};
  int16_t l = 0, r = 0;
  DownmixToStereo(3, f0, l, r);
  EXPECT_EQ(a.left[0], l);
  EXPECT_EQ(a.right[0], r);
  EXPECT_EQ(a.left[1], ClampToInt16(0 + DownmixCentre(127 * 256)));
}

TEST_F(BassReader, BitRateOfATinyStreamInALargeFileStaysInRange) {
  // One 8-bit frame at 384000 Hz followed by a 1 MB chunk: the file rate is
  // beyond what an int holds.
  const std::string path = m_dir.File("tiny.wav");
  ASSERT_TRUE(test::WriteWav8(path, 384000, 1, {128}));
  std::string bytes = test::ReadFileBytes(path);
  const uint32_t junk = 1u << 20;
  bytes += std::string("JUNK") + std::string(reinterpret_cast<const char*>(&junk), 4) +
           std::string(junk, '\0');
  const uint32_t riff = static_cast<uint32_t>(bytes.size() - 8);
  bytes.replace(4, 4, reinterpret_cast<const char*>(&riff), 4);
  test::WriteFileBytes(path, bytes);
  BassDecoder d;
  ASSERT_EQ(d.Open(path, 0), 1);
  EXPECT_EQ(d.GetBitRate(), 0x7FFFFFFF);
  EXPECT_EQ(d.GetDuration(), 0);
}

TEST_F(BassReader, SixChannelsGiveAtMost384FramesPerCall) {
  const int frames = 5000;
  const std::vector<int16_t> six = test::Tone16(6, frames, 48000, 0.2);
  const std::string path = m_dir.File("six.wav");
  ASSERT_TRUE(test::WriteSndfile16(path, SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 48000, 6, six));
  BassDecoder d;
  ASSERT_EQ(d.Open(path, 0), 1);
  EXPECT_EQ(d.GetChannels(), 6);
  EXPECT_EQ(d.GetOutputChannels(), 2);
  const test::DecodedAudio a = test::ReadAll(d);
  ASSERT_FALSE(a.blockSizes.empty());
  EXPECT_EQ(a.blockSizes.front(), 384) << "4608 raw bytes / 12 bytes per frame";
  for (int n : a.blockSizes) EXPECT_LE(n, 384);
  ASSERT_EQ(a.left.size(), static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    int16_t l = 0, r = 0;
    DownmixToStereo(6, &six[static_cast<size_t>(i) * 6], l, r);
    ASSERT_EQ(a.left[i], l) << i;
    ASSERT_EQ(a.right[i], r) << i;
  }
  EXPECT_EQ(d.GetPosition(), d.GetLength());
}

TEST_F(BassReader, TagsComeSplitAtTheLineBreaks) {
  const std::string path = m_dir.File("tagged.flac");
  ASSERT_TRUE(test::WriteSndfile16(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2,
                                   test::Tone16(2, 1000, 44100)));
  test::FixtureTags t;
  t.title = "Title";
  t.artist = "Artist";
  t.album = "Album";
  t.genre = "Jazz";
  t.comment = "Comment";
  t.composer = "Composer";
  t.copyright = "Copyright";
  t.year = 1987;
  t.track = 12;
  ASSERT_TRUE(test::WriteFixtureTags(path, t));
  BassDecoder d;
  ASSERT_EQ(d.Open(path, 0), 1);
  TagInfo tags;
  ASSERT_EQ(d.GetTags(tags), 1);
  EXPECT_EQ(tags, (TagInfo{"Title", "Artist", "Album", "1987", "Jazz", "Comment", "12", "Composer",
                           "Copyright", {}}));

  // Only three line breaks: track, title and artist; the rest untouched.
  TagInfo partial{"t", "a", "al", "y", "g", "c", "tr", "co", "cp", {}};
  StoreBassTagText("1\nSong\nBand\nAlbum without its break", partial);
  EXPECT_EQ(partial, (TagInfo{"Song", "Band", "al", "y", "g", "c", "1", "co", "cp", {}}));
  // Line breaks beyond the eighth stay in the copyright.
  TagInfo all;
  StoreBassTagText("1\n2\n3\n4\n5\n6\n7\n8\n9\n10", all);
  EXPECT_EQ(all.copyright, "9\n10");
  EXPECT_EQ(all.composer, "8");
}

TEST_F(BassReader, TrackerModuleOpensThroughTheModuleLoader) {
  const std::string mod = test::TinyMod("Tracker");
  const std::string path = m_dir.File("tiny.mod");
  test::WriteFileBytes(path, mod);
  BassDecoder d;
  ASSERT_EQ(d.Open(path, 22050), 1);
  EXPECT_EQ(d.GetSampleRate(), 22050);
  EXPECT_EQ(d.GetChannels(), 2);
  EXPECT_EQ(d.GetDuration(), 1);
  EXPECT_NEAR(static_cast<double>(d.GetLength()), 1.92 * 22050 * 4, 8);
  // A module has no stream file size: raw bits * rate * channels / 1000.
  EXPECT_EQ(d.GetBitRate(), 16 * 22050 * 2 / 1000);
  TagInfo tags;
  ASSERT_EQ(d.GetTags(tags), 1);
  EXPECT_EQ(tags.title, "Tracker");
  const test::DecodedAudio a = test::ReadAll(d);
  EXPECT_TRUE(a.ended);
  EXPECT_GT(test::Peak(a.left), 1000);
  EXPECT_EQ(d.GetPosition(), d.GetLength());
  d.Close();

  // Under a stream name it still opens (as a module); under a MIDI name the
  // module loader is never tried.
  const std::string misnamed = m_dir.File("tiny.mp3");
  test::WriteFileBytes(misnamed, mod);
  EXPECT_EQ(d.Open(misnamed, 0), 1);
  EXPECT_EQ(d.GetSampleRate(), 44100) << "the engine's rate when none is asked for";
  const std::string midiName = m_dir.File("tiny.mid");
  test::WriteFileBytes(midiName, mod);
  EXPECT_EQ(d.Open(midiName, 0), 0);
  EXPECT_EQ(d.GetLength(), 0);
}

TEST_F(BassReader, MidiRendersAtTheRequestedRateWithTheDefaultSoundfont) {
  const std::string font = m_dir.File("sine.sf2");
  test::WriteFileBytes(font, test::SineSoundfont());
  const std::string notFont = m_dir.File("broken.sf2");
  test::WriteFileBytes(notFont, "RIFF");

  // The first candidate that the engine accepts becomes the default font.
  int soundFont = 0;
  LoadDefaultSoundfont(soundFont, {m_dir.File("missing.sf2"), notFont});
  EXPECT_EQ(soundFont, 0) << "nothing usable: silent, flag unset";
  LoadDefaultSoundfont(soundFont, {m_dir.File("missing.sf2"), notFont, font});
  EXPECT_EQ(soundFont, 1);
  int already = 1;
  LoadDefaultSoundfont(already, {});
  EXPECT_EQ(already, 1);

  // Two seconds of A4 in a type 1 file whose tempo track sets 60 BPM.
  const std::string song =
      test::MidiFile(1, 96,
                     {{{0, test::MidiTempo(1000000)}},
                      {{0, "\x90\x45\x64"}, {192, std::string("\x80\x45\x00", 3)}}});
  for (const char* name : {"song.mid", "song.MIDI", "song.kar", "song.rmi"}) {
    SCOPED_TRACE(name);
    const std::string path = m_dir.File(name);
    test::WriteFileBytes(path, std::string(name) == "song.rmi" ? test::RmidFile(song) : song);
    BassDecoder d;
    ASSERT_EQ(d.Open(path, 32000), 1);
    EXPECT_EQ(d.GetSampleRate(), 32000);
    EXPECT_EQ(d.GetChannels(), 2);
    EXPECT_EQ(d.GetDuration(), 2);
    EXPECT_EQ(d.GetLength(), int64_t{64000} * 4);
    const test::DecodedAudio a = test::ReadAll(d);
    ASSERT_EQ(a.left.size(), 64000u);
    EXPECT_GT(test::Rms(std::vector<int16_t>(a.left.begin() + 3200, a.left.end() - 3200)), 0.02)
        << "sound all through the song";
    EXPECT_EQ(d.GetPosition(), d.GetLength());
  }
  BASS_MIDI_StreamSetFonts(0, nullptr, 0);
}

TEST_F(BassReader, CdTrackFromTheDevice) {
  const std::string cue =
      test::WriteCdImage(m_dir.Path().string(), "disc",
                         {test::Tone16(2, 44100, 44100, 0.5), test::Tone16(2, 88200, 44100, 0.5)});
  const std::string cda = m_dir.File("Track02.cda");
  test::WriteFileBytes(cda, test::CdaFile(2, 75, 150));
  {
    test::ScopedEnv device("SONDREL_CD_DEVICE", cue.c_str());
    BassDecoder d;
    ASSERT_EQ(d.Open(cda, 0), 1);
    EXPECT_EQ(d.GetSampleRate(), 44100);
    EXPECT_EQ(d.GetChannels(), 2);
    EXPECT_EQ(d.GetDuration(), 2);
    EXPECT_EQ(d.GetBitRate(), 1411);
    const test::DecodedAudio a = test::ReadAll(d);
    EXPECT_EQ(a.left.size(), 88200u);
    EXPECT_EQ(d.GetPosition(), d.GetLength());
  }
  // A track file copied to the disk with no disc to read: no reader opens it.
  const std::string noDisc = m_dir.File("no-disc.cue");
  test::ScopedEnv device("SONDREL_CD_DEVICE", noDisc.c_str());
  SourceOpener opener;
  int hasAudio = 1;
  EXPECT_FALSE(opener.OpenSource(cda, kSourceCdTrack, 0, OpenPurpose::Probe, hasAudio));
}

TEST_F(BassReader, OpenerUsesItForItsTypesAndFallsBackToFfmpeg) {
  // A FLAC file under each name the reader serves opens through it.
  const std::string flac = m_dir.File("tone.flac");
  ASSERT_TRUE(test::WriteSndfile16(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2,
                                   test::Tone16(2, 4000, 44100)));
  SourceOpener opener;
  for (const char* name :
       {"a.mp3", "a.wav", "a.flac", "a.wv", "a.adx", "a.aac", "a.m4a", "a.ogg", "a.aiff"}) {
    SCOPED_TRACE(name);
    const std::string path = m_dir.File(name);
    std::filesystem::copy_file(flac, path);
    int hasAudio = 1;
    opener.SetFfmpegRetry(0);
    std::unique_ptr<Decoder> d =
        opener.OpenSource(path, ClassifySource(path), 0, OpenPurpose::Conversion, hasAudio);
    ASSERT_TRUE(d);
    EXPECT_NE(dynamic_cast<BassDecoder*>(d.get()), nullptr);
  }

  // An ".mp3" that the engine does not read (Matroska) goes on to FFmpeg.
  test::AvFixture fx;
  fx.muxer = "matroska";
  fx.audioEncoder = "flac";
  fx.audio = {test::Sine(440, 44100, 8000, 0.5)};
  const std::string mka = m_dir.File("really-matroska.mp3");
  ASSERT_TRUE(test::WriteAvFixture(mka, fx));
  BassDecoder bass;
  EXPECT_EQ(bass.Open(mka, 0), 0);
  int hasAudio = 1;
  opener.SetFfmpegRetry(0);
  std::unique_ptr<Decoder> d =
      opener.OpenSource(mka, kSourceMp3, 0, OpenPurpose::Conversion, hasAudio);
  ASSERT_TRUE(d);
  EXPECT_NE(dynamic_cast<FfmpegDecoder*>(d.get()), nullptr);
  EXPECT_EQ(opener.FfmpegRetry(), 0);
}

TEST_F(BassReader, EngineStartUpAndExit) {
  test::MemoryFrontend frontend;
  // Already initialised: the second initialisation fails with the message.
  EXPECT_EQ(StartAudioEngine(frontend), 0);
  ASSERT_EQ(frontend.messages.size(), 1u);
  EXPECT_EQ(frontend.messages[0].first, "Failed to initialize the software (0x0002020).");
  EXPECT_EQ(frontend.messages[0].second, MessageIcon::Exclamation);

  StopAudioEngine();
  const std::string flac = m_dir.File("tone.flac");
  ASSERT_TRUE(test::WriteSndfile16(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 1,
                                   test::Tone16(1, 4000, 44100)));
  BassDecoder d;
  EXPECT_EQ(d.Open(flac, 0), 0) << "the engine is stopped";

  test::MemoryFrontend clean;
  EXPECT_EQ(StartAudioEngine(clean), 1);
  EXPECT_TRUE(clean.messages.empty());
  EXPECT_EQ(BASS_GetConfig(BASS_CONFIG_UPDATEPERIOD), 0u);
  EXPECT_EQ(d.Open(flac, 0), 1) << "add-ons enabled by start-up";
  d.Close();
  test::EnsureAudioEngine();
}

}  // namespace
}  // namespace sondrel
