// Conversion runs into and out of AMR with the default settings: WAV sources
// written with libsndfile, converted by the program's readers and writers,
// read back by the AMR reader or FFmpeg.
#include <sndfile.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "decode/amr_decoder.h"
#include "decode/ffmpeg_decoder.h"
#include "encode/format_catalogue.h"
#include "engine/conversion_run.h"
#include "engine/engine_state.h"
#include "engine/file_list.h"
#include "engine/add_files.h"
#include "engine/settings.h"
#include "platform/ffmpeg/ffmpeg_handles.h"
#include "support/av_fixture.h"
#include "support/memory_frontend.h"
#include "support/speech_signal.h"
#include "support/temp_dir.h"
#include "real_run_fixture.h"

namespace sondrel {
namespace {

namespace fs = std::filesystem;

void WriteMonoWav(const std::string& path, int rate, const std::vector<int16_t>& samples) {
  SF_INFO info = {};
  info.samplerate = rate;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_TRUE(f) << sf_strerror(nullptr);
  sf_write_short(f, samples.data(), static_cast<sf_count_t>(samples.size()));
  sf_close(f);
}

std::string ProbeStream(const std::string& path) {
  std::string out;
  const std::string command =
      "ffprobe -v error -show_entries stream=codec_name,sample_rate,channels -of "
      "default=noprint_wrappers=1 '" +
      path + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return out;
  char buf[1024];
  while (size_t n = std::fread(buf, 1, sizeof buf, pipe.get())) out.append(buf, n);
  return out;
}

class AmrRuns : public test::RealRunFixture {
 protected:
  AmrRuns() { ffmpeg::QuietLog(); }
};

struct AmrResult {
  std::string magic;
  int rate = 0;
  std::vector<int16_t> samples;
};

AmrResult ReadAmr(const std::string& path) {
  AmrResult r;
  r.magic = test::ReadFileBytes(path).substr(0, 9);
  AmrDecoder d;
  if (!d.Open(path, 0)) return r;
  r.rate = d.GetSampleRate();
  r.samples = test::ReadAll(d).left;
  return r;
}

TEST_F(AmrRuns, WavToAmrNarrowAndWideBandAndToAwb) {
  const std::vector<int16_t> nb = test::SpeechLike(8000, 2.0);
  const std::vector<int16_t> wb = test::SpeechLike(16000, 2.0);
  WriteMonoWav(dir.File("nb.wav"), 8000, nb);
  WriteMonoWav(dir.File("wb.wav"), 16000, wb);
  const int nbRow = Add(dir.File("nb.wav"));
  const int wbRow = Add(dir.File("wb.wav"));
  {
    SCOPED_TRACE("AMR with the defaults: narrow band");
    Convert(kFormatAmr);
    ASSERT_EQ(Output(nbRow), "nb.amr");
    const AmrResult r = ReadAmr((out / "nb.amr").string());
    EXPECT_EQ(r.magic.substr(0, 6), "#!AMR\n");
    EXPECT_EQ(r.rate, 8000);
    EXPECT_EQ(r.samples.size(), nb.size());
    EXPECT_GT(test::BestCorrelation(nb, r.samples, 200), 0.7);
  }
  {
    SCOPED_TRACE("AMR in wide band");
    fs::remove(out / "wb.amr");
    settings.AMRType = kAmrWideBand;
    Convert(kFormatAmr);
    ASSERT_EQ(Output(wbRow), "wb.amr");
    const AmrResult r = ReadAmr((out / "wb.amr").string());
    EXPECT_EQ(r.magic, "#!AMR-WB\n");
    EXPECT_EQ(r.rate, 16000);
    EXPECT_EQ(r.samples.size(), wb.size());
    EXPECT_GT(test::BestCorrelation(wb, r.samples, 200), 0.7);
    settings.AMRType = kAmrNarrowBand;
  }
  {
    SCOPED_TRACE("AWB with the defaults, from an 8000 Hz source");
    Convert(kFormatAwb);
    ASSERT_EQ(Output(nbRow), "nb.awb");
    const AmrResult r = ReadAmr((out / "nb.awb").string());
    EXPECT_EQ(r.magic, "#!AMR-WB\n");
    EXPECT_EQ(r.rate, 16000);
    EXPECT_NEAR(static_cast<double>(r.samples.size()), 2.0 * nb.size(), 640);
  }
}

TEST_F(AmrRuns, AmrToMp3) {
  const std::vector<int16_t> speech = test::SpeechLike(8000, 2.0);
  WriteMonoWav(dir.File("talk.wav"), 8000, speech);
  const int wavRow = Add(dir.File("talk.wav"));
  Convert(kFormatAmr);
  ASSERT_EQ(Output(wavRow), "talk.amr");

  FileItem item;
  ASSERT_TRUE(ProbeFile(state.opener, (out / "talk.amr").string(), item));
  EXPECT_EQ(item.sampleRate, 8000);
  EXPECT_EQ(item.duration, 0);  // not measured for AMR
  list = FileList();
  const int amrRow = list.Add(item);
  Convert(kFormatMp3);
  ASSERT_EQ(Output(amrRow), "talk.mp3");
  FfmpegDecoder d;
  ASSERT_EQ(d.Open((out / "talk.mp3").string(), 0), 1);
  const int rate = d.GetSampleRate();
  ASSERT_GT(rate, 0);
  const test::DecodedAudio audio = test::ReadAll(d);
  EXPECT_NEAR(static_cast<double>(audio.left.size()) / rate, 2.0, 0.15);
  EXPECT_GT(test::Rms(audio.left), 0.05);
}

TEST_F(AmrRuns, WavTo3gpAnd3g2WithTheirDefaults) {
  const std::vector<int16_t> speech = test::SpeechLike(8000, 2.0);
  WriteMonoWav(dir.File("clip.wav"), 8000, speech);
  const int row = Add(dir.File("clip.wav"));
  for (int format : {kFormat3gp, kFormat3g2}) {
    const std::string ext = format == kFormat3gp ? "3gp" : "3g2";
    SCOPED_TRACE(ext);
    Convert(format);
    ASSERT_EQ(Output(row), "clip." + ext);
    const std::string path = (out / ("clip." + ext)).string();
    const std::string probed = ProbeStream(path);
    EXPECT_NE(probed.find("codec_name=amr_nb"), std::string::npos) << probed;
    EXPECT_NE(probed.find("sample_rate=8000"), std::string::npos) << probed;
    EXPECT_NE(probed.find("channels=1"), std::string::npos) << probed;
    FfmpegDecoder d;
    ASSERT_EQ(d.Open(path, 0), 1);
    const test::DecodedAudio audio = test::ReadAll(d);
    EXPECT_EQ(audio.left.size(), speech.size());
    EXPECT_GT(test::BestCorrelation(speech, audio.left, 200), 0.7);
  }
}

}  // namespace
}  // namespace sondrel
