#include "decode/source_opener.h"

#include <gtest/gtest.h>

#include <new>

#include "decode/messages.h"
#include "decode/source_type.h"
#include "support/fake_decoder.h"
#include "support/memory_frontend.h"

namespace sondrel {
namespace {

using test::FakeDecoderScript;
using test::FakeFactory;

struct Scripts {
  FakeDecoderScript bass, aiff, amr, au, vorbis, wma, ffmpeg, probe;
};

ReaderFactories Make(const Scripts& s, std::vector<std::string>* log) {
  ReaderFactories f;
  f.bass = FakeFactory(s.bass, "bass", log);
  f.aiff = FakeFactory(s.aiff, "aiff", log);
  f.amr = FakeFactory(s.amr, "amr", log);
  f.au = FakeFactory(s.au, "au", log);
  f.vorbis = FakeFactory(s.vorbis, "vorbis", log);
  f.wma = FakeFactory(s.wma, "wma", log);
  f.ffmpeg = FakeFactory(s.ffmpeg, "ffmpeg", log);
  f.ffmpegProbe = FakeFactory(s.probe, "probe", log);
  return f;
}

FakeDecoderScript Failing(int hasAudio = 1) {
  FakeDecoderScript s;
  s.openSucceeds = false;
  s.hasAudio = hasAudio;
  return s;
}

std::string NameOf(const std::unique_ptr<Decoder>& d) {
  return d ? static_cast<test::FakeDecoder*>(d.get())->Name() : "none";
}

// Every type of the choosing table, with the type reader failing: the log
// shows the readers tried in order, and the flag ends at 0.
TEST(OpenSource, FallbackOrderOfEveryType) {
  struct Case {
    int type;
    std::vector<std::string> tried;
  };
  const Case cases[] = {
      {kSourceMp3, {"bass:fail", "ffmpeg:open"}},
      {kSourceWav, {"bass:fail", "ffmpeg:open"}},
      {kSourceModule, {"bass:fail", "ffmpeg:open"}},
      {kSourceMidi, {"bass:fail", "ffmpeg:open"}},
      {kSourceCdTrack, {"bass:fail", "ffmpeg:open"}},
      {kSourceFlac, {"bass:fail", "ffmpeg:open"}},
      {kSourceWavPack, {"bass:fail", "ffmpeg:open"}},
      {kSourceAdx, {"bass:fail", "ffmpeg:open"}},
      {kSourceAac, {"bass:fail", "ffmpeg:open"}},
      {kSourceMp4, {"bass:fail", "ffmpeg:open"}},
      {kSourceOgg, {"vorbis:fail", "bass:fail", "ffmpeg:open"}},
      {kSourceAiff, {"aiff:fail", "bass:fail", "ffmpeg:open"}},
      {kSourceAu, {"au:fail", "ffmpeg:open"}},
      {kSourceAmr, {"amr:fail", "ffmpeg:open"}},
      {kSourceOther, {"ffmpeg:open"}},
      {kSourceDts, {"ffmpeg:open"}},
  };
  for (const Case& c : cases) {
    Scripts s;
    s.bass = s.aiff = s.amr = s.au = s.vorbis = s.wma = Failing();
    std::vector<std::string> log;
    SourceOpener opener(Make(s, &log));
    int hasAudio = 1;
    auto d = opener.OpenSource("x", c.type, 0, OpenPurpose::Conversion, hasAudio);
    EXPECT_EQ(NameOf(d), "ffmpeg") << c.type;
    EXPECT_EQ(log, c.tried) << c.type;
    EXPECT_EQ(opener.FfmpegRetry(), 0) << c.type;
  }
}

TEST(OpenSource, TypeReaderThatOpensSetsTheRetryFlag) {
  Scripts s;
  std::vector<std::string> log;
  SourceOpener opener(Make(s, &log));
  int hasAudio = 1;
  EXPECT_EQ(NameOf(opener.OpenSource("a.ogg", kSourceOgg, 0, OpenPurpose::Conversion, hasAudio)),
            "vorbis");
  EXPECT_EQ(opener.FfmpegRetry(), 1);
  // The Bass fallback of Ogg opens when Vorbis fails.
  Scripts s2;
  s2.vorbis = Failing();
  SourceOpener opener2(Make(s2, &log));
  EXPECT_EQ(NameOf(opener2.OpenSource("a.ogg", kSourceOgg, 0, OpenPurpose::Conversion, hasAudio)),
            "bass");
  EXPECT_EQ(opener2.FfmpegRetry(), 1);
}

TEST(OpenSource, RetryFlagOnEntryGoesStraightToFfmpeg) {
  Scripts s;
  std::vector<std::string> log;
  SourceOpener opener(Make(s, &log));
  opener.SetFfmpegRetry(1);
  int hasAudio = 1;
  EXPECT_EQ(NameOf(opener.OpenSource("a.mp3", kSourceMp3, 0, OpenPurpose::Conversion, hasAudio)),
            "ffmpeg");
  EXPECT_EQ(log, std::vector<std::string>{"ffmpeg:open"});
  EXPECT_EQ(opener.FfmpegRetry(), 0);
}

TEST(OpenSource, ProbeModeUsesTheProbeAndLeavesNoNote) {
  Scripts s;
  s.bass = Failing();
  s.probe = Failing(0);
  std::vector<std::string> log;
  SourceOpener opener(Make(s, &log));
  int hasAudio = 1;
  EXPECT_EQ(opener.OpenSource("a.mp3", kSourceMp3, 0, OpenPurpose::Probe, hasAudio), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"bass:fail", "probe:fail"}));
  EXPECT_EQ(hasAudio, 0);
  EXPECT_EQ(opener.Note(), "");
}

TEST(OpenSource, HasAudioComesFromTheLastReaderTriedAndTheNoteOnlyForConversion) {
  Scripts s;
  s.aiff = Failing(0);
  s.bass = Failing(0);  // its HasAudio is never read
  s.ffmpeg = Failing(1);
  SourceOpener opener(Make(s, nullptr));
  int hasAudio = 7;
  EXPECT_EQ(opener.OpenSource("a.aif", kSourceAiff, 0, OpenPurpose::Conversion, hasAudio), nullptr);
  EXPECT_EQ(hasAudio, 1);
  EXPECT_EQ(opener.Note(), SupportNote());

  s.ffmpeg = Failing(0);
  s.aiff = Failing(1);
  SourceOpener opener2(Make(s, nullptr));
  EXPECT_EQ(opener2.OpenSource("a.aif", kSourceAiff, 0, OpenPurpose::Conversion, hasAudio),
            nullptr);
  EXPECT_EQ(hasAudio, 0);
}

TEST(OpenSource, MissingReadersCountAsFailedOpens) {
  SourceOpener opener{ReaderFactories{}};
  int hasAudio = 1;
  EXPECT_EQ(opener.OpenSource("a.mp3", kSourceMp3, 0, OpenPurpose::Conversion, hasAudio), nullptr);
  EXPECT_EQ(hasAudio, 1);
  EXPECT_EQ(opener.FfmpegRetry(), 0);
  // A factory that returns null (allocation failed) is the same.
  ReaderFactories f;
  f.bass = [] { return std::unique_ptr<Decoder>(); };
  std::vector<std::string> log;
  f.ffmpeg = FakeFactory({}, "ffmpeg", &log);
  SourceOpener opener2(f);
  EXPECT_EQ(NameOf(opener2.OpenSource("a.mp3", kSourceMp3, 0, OpenPurpose::Conversion, hasAudio)),
            "ffmpeg");
  // A factory whose allocation throws is the same, and nothing escapes.
  f.vorbis = []() -> std::unique_ptr<Decoder> { throw std::bad_alloc(); };
  f.bass = []() -> std::unique_ptr<Decoder> { throw std::bad_alloc(); };
  SourceOpener opener3(f);
  EXPECT_EQ(NameOf(opener3.OpenSource("a.ogg", kSourceOgg, 0, OpenPurpose::Conversion, hasAudio)),
            "ffmpeg");
}

TEST(OpenSource, RenderRateReachesTheReader) {
  Scripts s;
  SourceOpener opener(Make(s, nullptr));
  int hasAudio = 1;
  auto d = opener.OpenSource("a.mid", kSourceMidi, 22050, OpenPurpose::Conversion, hasAudio);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(static_cast<test::FakeDecoder*>(d.get())->LastRenderRate(), 22050);
}

TEST(OpenSource, WindowsMediaAsksThroughTheSeamWhenTheRuntimeIsMissing) {
  Scripts s;
  std::vector<std::string> log;
  test::MemoryFrontend frontend;
  auto setup = std::make_shared<OpenerSetup>();
  setup->readers = Make(s, &log);
  setup->prompts = &frontend;
  setup->loadMediaRuntime = [] { return 0; };
  setup->isMediaRuntimeLoaded = [] { return 0; };
  SourceOpener opener(setup);
  frontend.answerYes = true;
  int hasAudio = 1;
  EXPECT_EQ(
      NameOf(opener.OpenSource("a.wma", kSourceWindowsMedia, 0, OpenPurpose::Conversion, hasAudio)),
      "ffmpeg");
  ASSERT_EQ(frontend.questions.size(), 1u);
  EXPECT_EQ(frontend.questions[0], kMediaRuntimeQuestion);
  EXPECT_EQ(frontend.opened.size(), 1u);  // the download page
  EXPECT_EQ(log, std::vector<std::string>{"ffmpeg:open"});

  // With the runtime loadable, the WMA reader is used and the owner told once.
  int built = 0;
  bool loaded = false;
  auto setup2 = std::make_shared<OpenerSetup>(*setup);
  setup2->loadMediaRuntime = [&] {
    loaded = true;
    return 1;
  };
  setup2->isMediaRuntimeLoaded = [&] { return loaded ? 1 : 0; };
  setup2->onMediaRuntimeLoaded = [&] { ++built; };
  SourceOpener opener2(setup2);
  EXPECT_EQ(NameOf(opener2.OpenSource("a.wma", kSourceWindowsMedia, 0, OpenPurpose::Conversion,
                                      hasAudio)),
            "wma");
  opener2.SetFfmpegRetry(0);  // callers clear the flag before each first attempt
  EXPECT_EQ(NameOf(opener2.OpenSource("b.wma", kSourceWindowsMedia, 0, OpenPurpose::Conversion,
                                      hasAudio)),
            "wma");
  EXPECT_EQ(built, 1);
  EXPECT_EQ(frontend.questions.size(), 1u);
}

}  // namespace
}  // namespace sondrel
