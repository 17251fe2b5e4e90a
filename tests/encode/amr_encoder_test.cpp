#include "encode/amr_encoder.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <filesystem>

#include "decode/amr_decoder.h"
#include "platform/ffmpeg/ffmpeg_handles.h"
#include "support/speech_signal.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

using test::TempDir;

// Frame types of a storage file, or {-1} when it does not parse.
std::vector<int> FrameTypes(const std::string& bytes, AmrBand band) {
  std::vector<int> types;
  const std::string_view magic = AmrMagic(band);
  if (bytes.compare(0, magic.size(), magic) != 0) return {-1};
  for (size_t at = magic.size(); at < bytes.size();) {
    const int type = AmrFrameType(static_cast<uint8_t>(bytes[at]));
    const int payload = AmrFramePayloadBytes(band, type);
    if (payload < 0 || at + 1 + payload > bytes.size()) return {-1};
    types.push_back(type);
    at += 1 + payload;
  }
  return types;
}

AmrFormatParams Params(bool narrow, int mode, int dtx) {
  AmrFormatParams p;
  p.narrowBand = narrow ? 1 : 0;
  p.dtx = dtx;
  p.nbMode = narrow ? mode : 6;
  p.wbMode = narrow ? 6 : mode;
  return p;
}

// Writes `pcm` through an AmrEncoder in blocks of `block` samples.
bool EncodeWith(const std::string& path, const AmrFormatParams& params,
                const std::vector<int16_t>& pcm, size_t block) {
  AmrEncoder e;
  e.SetFormat(params);
  e.SetOutputPath(path);
  if (!e.Open()) return false;
  for (size_t at = 0; at < pcm.size(); at += block) {
    const int n = static_cast<int>(std::min(block, pcm.size() - at));
    if (!e.Write(&pcm[at], nullptr, n)) return false;
  }
  e.Close();
  return true;
}

std::vector<int16_t> ReadWithAmrDecoder(const std::string& path, int* rate) {
  std::vector<int16_t> out;
  AmrDecoder d;
  if (!d.Open(path, 0)) return out;
  *rate = d.GetSampleRate();
  int16_t left[kBlockFrames];
  for (int n; (n = d.Read(left, nullptr)) > 0;) out.insert(out.end(), left, left + n);
  return out;
}

struct FfmpegResult {
  int packets = 0;
  int rate = 0;
  std::vector<int16_t> samples;
};

// Demuxes and decodes with FFmpeg's own AMR decoder `name`. A packet it
// refuses (its decoders know no comfort noise) counts as one silent frame,
// so the time line stays in step.
FfmpegResult ReadWithFfmpeg(const std::string& path, const char* name, int frameSamples) {
  FfmpegResult r;
  AVFormatContext* fmt = nullptr;
  if (avformat_open_input(&fmt, path.c_str(), nullptr, nullptr) < 0) return r;
  std::unique_ptr<AVFormatContext*, void (*)(AVFormatContext**)> fmtOwner(&fmt,
                                                                          avformat_close_input);
  if (avformat_find_stream_info(fmt, nullptr) < 0 || fmt->nb_streams != 1) return r;
  const AVCodec* codec = avcodec_find_decoder_by_name(name);
  if (!codec) return r;
  AVCodecContext* ctx = avcodec_alloc_context3(codec);
  std::unique_ptr<AVCodecContext*, void (*)(AVCodecContext**)> ctxOwner(&ctx, avcodec_free_context);
  avcodec_parameters_to_context(ctx, fmt->streams[0]->codecpar);
  if (avcodec_open2(ctx, codec, nullptr) < 0) return r;
  r.rate = ctx->sample_rate;
  AVPacket* pkt = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  while (av_read_frame(fmt, pkt) >= 0) {
    ++r.packets;
    const size_t before = r.samples.size();
    if (avcodec_send_packet(ctx, pkt) >= 0) {
      while (avcodec_receive_frame(ctx, frame) >= 0) {
        for (int i = 0; i < frame->nb_samples; ++i) {
          float v = 0;
          if (frame->format == AV_SAMPLE_FMT_FLT || frame->format == AV_SAMPLE_FMT_FLTP) {
            v = reinterpret_cast<const float*>(frame->data[0])[i] * 32768.0f;
          } else if (frame->format == AV_SAMPLE_FMT_S16 || frame->format == AV_SAMPLE_FMT_S16P) {
            v = reinterpret_cast<const int16_t*>(frame->data[0])[i];
          }
          r.samples.push_back(static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f)));
        }
      }
    }
    if (r.samples.size() == before) r.samples.resize(before + frameSamples, 0);
    av_packet_unref(pkt);
  }
  av_frame_free(&frame);
  av_packet_free(&pkt);
  return r;
}

TEST(AmrEncoder, FramesPaddingAndState) {
  TempDir dir;
  const std::vector<int16_t> speech = test::SpeechLike(8000, 2.0);
  {
    SCOPED_TRACE("1000 samples narrow band: six frames and a seventh padded at Close");
    const std::string path = dir.File("a.amr");
    AmrEncoder e;
    e.SetFormat(Params(true, 7, 0));
    e.SetOutputPath(path);
    ASSERT_EQ(e.Open(), 1);
    EXPECT_EQ(e.Write(speech.data(), nullptr, 1000), 1);
    e.Close();
    EXPECT_EQ(FrameTypes(test::ReadFileBytes(path), AmrBand::kNarrow), std::vector<int>(7, 7));
  }
  {
    SCOPED_TRACE("exactly 320 samples wide band: one frame, nothing left for Close");
    const std::string path = dir.File("b.awb");
    AmrEncoder e;
    e.SetFormat(Params(false, 8, 0));
    e.SetOutputPath(path);
    ASSERT_EQ(e.Open(), 1);
    EXPECT_EQ(e.Write(speech.data(), nullptr, 320), 1);
    EXPECT_EQ(e.Write(speech.data(), nullptr, 0), 1);
    e.Close();
    EXPECT_EQ(FrameTypes(test::ReadFileBytes(path), AmrBand::kWide), std::vector<int>(1, 8));
  }
  {
    SCOPED_TRACE("any block sizes give the same file as one block");
    const std::string whole = dir.File("whole.amr");
    const std::string pieces = dir.File("pieces.amr");
    ASSERT_TRUE(EncodeWith(whole, Params(true, 4, 1), speech, speech.size()));
    AmrEncoder e;
    e.SetFormat(Params(true, 4, 1));
    e.SetOutputPath(pieces);
    ASSERT_EQ(e.Open(), 1);
    const int sizes[] = {1, 159, 160, 161, 7, 320, 1152, 0, 3000, 2};
    size_t at = 0;
    for (int i = 0; at < speech.size(); ++i) {
      const int n = static_cast<int>(std::min<size_t>(sizes[i % 10], speech.size() - at));
      ASSERT_EQ(e.Write(&speech[at], nullptr, n), 1);
      at += n;
    }
    e.Close();
    EXPECT_EQ(test::ReadFileBytes(pieces), test::ReadFileBytes(whole));
  }
  {
    SCOPED_TRACE("Close without Open writes nothing; a refused mode fails Open without a file");
    const std::string path = dir.File("c.amr");
    AmrEncoder e;
    e.SetOutputPath(path);
    e.Close();
    EXPECT_FALSE(std::filesystem::exists(path));
    e.SetFormat(Params(true, 8, 0));
    e.SetOutputPath(path);
    EXPECT_EQ(e.Open(), 0);
    e.Close();
    EXPECT_FALSE(std::filesystem::exists(path));
    e.SetOutputPath(path);
    EXPECT_EQ(e.Open(), 0);  // Close forgot the format
    e.SetFormat(Params(true, 0, 0));
    e.SetOutputPath(dir.File("missing/c.amr"));
    EXPECT_EQ(e.Open(), 0);
  }
  {
    SCOPED_TRACE("a writer destroyed while open still finishes its file");
    const std::string path = dir.File("d.amr");
    {
      AmrEncoder e;
      e.SetFormat(Params(true, 2, 0));
      e.SetOutputPath(path);
      ASSERT_EQ(e.Open(), 1);
      e.Write(speech.data(), nullptr, 200);
    }
    EXPECT_EQ(FrameTypes(test::ReadFileBytes(path), AmrBand::kNarrow), std::vector<int>(2, 2));
  }
}

TEST(AmrEncoder, RoundTripsInEveryModeThroughBothDecoders) {
  ffmpeg::QuietLog();  // its decoders complain about every comfort-noise frame
  TempDir dir;
  for (bool narrow : {true, false}) {
    const AmrBand band = narrow ? AmrBand::kNarrow : AmrBand::kWide;
    const int rate = AmrSampleRate(band);
    const int frameSamples = AmrSamplesPerFrame(band);
    const std::vector<int16_t> speech = test::SpeechLike(rate, 3.0, true);
    const int frames = static_cast<int>((speech.size() + frameSamples - 1) / frameSamples);
    for (int mode = 0; mode <= AmrMaxMode(band); ++mode) {
      for (int dtx : {0, 1}) {
        SCOPED_TRACE(std::string(narrow ? "NB" : "WB") + " mode " + std::to_string(mode) +
                     (dtx ? " DTX" : ""));
        const std::string path = dir.File(narrow ? "rt.amr" : "rt.awb");
        ASSERT_TRUE(EncodeWith(path, Params(narrow, mode, dtx), speech, kBlockFrames));
        const std::vector<int> types = FrameTypes(test::ReadFileBytes(path), band);
        ASSERT_EQ(static_cast<int>(types.size()), frames);
        const int sid = narrow ? kAmrNbSid : kAmrWbSid;
        // DTX turns the silent second into SID and NO_DATA frames.
        EXPECT_EQ(std::count(types.begin(), types.end(), sid) > 0, dtx == 1);
        EXPECT_EQ(std::count(types.begin(), types.end(), kAmrNoData) > 20, dtx == 1);

        int ourRate = 0;
        const std::vector<int16_t> ours = ReadWithAmrDecoder(path, &ourRate);
        EXPECT_EQ(ourRate, rate);
        EXPECT_EQ(static_cast<int>(ours.size()), frames * frameSamples);
        EXPECT_GT(test::BestCorrelation(speech, ours, 200), 0.7);

        const FfmpegResult theirs = ReadWithFfmpeg(path, narrow ? "amrnb" : "amrwb", frameSamples);
        EXPECT_EQ(theirs.rate, rate);
        EXPECT_EQ(theirs.packets, frames);
        EXPECT_EQ(static_cast<int>(theirs.samples.size()), frames * frameSamples);
        EXPECT_GT(test::BestCorrelation(speech, theirs.samples, 200), 0.7);
      }
    }
  }
}

}  // namespace
}  // namespace sondrel
