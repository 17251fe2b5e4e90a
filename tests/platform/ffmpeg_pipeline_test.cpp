// The FFmpeg pipeline every reader and writer shares: the frame converter's
// one rule per sample format, the decode loop's one rule for bad packets, and
// the encoder set-up and loop.
#include <climits>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ffmpeg/ffmpeg_decoding.h"
#include "platform/ffmpeg/ffmpeg_encoding.h"
#include "platform/ffmpeg/frame_samples.h"
#include "support/av_fixture.h"
#include "support/temp_dir.h"

namespace sondrel::ffmpeg {
namespace {

// A two-channel frame of `samples` frames in `format`, filled by `fill`.
Frame MakeAudioFrame(AVSampleFormat format, int samples,
                     const std::function<void(AVFrame&)>& fill = {}) {
  Frame f = MakeFrame();
  f->format = format;
  f->nb_samples = samples;
  av_channel_layout_default(&f->ch_layout, 2);
  EXPECT_GE(av_frame_get_buffer(f.get(), 0), 0);
  if (fill) fill(*f);
  return f;
}

// Sets sample `i` of channel `c` (planar or packed) to `v`.
template <typename T>
void Put(AVFrame& f, int c, int i, T v) {
  if (av_sample_fmt_is_planar(static_cast<AVSampleFormat>(f.format))) {
    reinterpret_cast<T*>(f.extended_data[c])[i] = v;
  } else {
    reinterpret_cast<T*>(f.extended_data[0])[i * 2 + c] = v;
  }
}

// Fills channel 0 with `left` and channel 1 with `right`.
template <typename T>
std::function<void(AVFrame&)> Values(std::vector<T> left, std::vector<T> right) {
  return [=](AVFrame& f) {
    for (size_t i = 0; i < left.size(); ++i) {
      Put(f, 0, static_cast<int>(i), left[i]);
      Put(f, 1, static_cast<int>(i), right[i]);
    }
  };
}

TEST(FfmpegFrameSamples, EveryFormatTo16BitsByOneRule) {
  const float nan = std::nanf("");
  struct Case {
    const char* name;
    AVSampleFormat format;
    std::function<void(AVFrame&)> fill;
    std::vector<int16_t> interleaved;  // L R L R L R
  };
  const Case cases[] = {
      {"u8: (b - 128) * 256",
       AV_SAMPLE_FMT_U8,
       Values<uint8_t>({0, 128, 255}, {1, 127, 129}),
       {-32768, -32512, 0, -256, 32512, 256}},
      {"s16 planar as it is",
       AV_SAMPLE_FMT_S16P,
       Values<int16_t>({1, -2, 32767}, {-32768, 0, 5}),
       {1, -32768, -2, 0, 32767, 5}},
      {"s32: shifted right by 16",
       AV_SAMPLE_FMT_S32,
       Values<int32_t>({INT_MAX, INT_MIN, 0x00018000}, {-1, 65535, 65536}),
       {32767, -1, -32768, 0, 1, 1}},
      {"s64 planar: shifted right by 48",
       AV_SAMPLE_FMT_S64P,
       Values<int64_t>({INT64_MAX, -1, int64_t{1} << 48}, {INT64_MIN, 0, int64_t{3} << 47}),
       {32767, -32768, -1, 0, 1, 1}},
      {"float: v * 32768 truncated and clipped, NaN 0",
       AV_SAMPLE_FMT_FLT,
       Values<float>({1.5f, -0.49999f, 0.5f}, {-2.0f, nan, -0.00001f}),
       {32767, -32768, -16383, 0, 16384, 0}},
      {"double planar: the same rule",
       AV_SAMPLE_FMT_DBLP,
       Values<double>({0.99999, -1.0, 0.25}, {-0.75, 1.0, -0.49999}),
       {32767, -24576, -32768, 32767, 8192, -16383}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Frame frame = MakeAudioFrame(c.format, 3, c.fill);
    std::vector<int16_t> interleaved(6, 99);
    int16_t* starts[2] = {interleaved.data(), interleaved.data() + 1};
    ASSERT_TRUE(FrameToInt16(*frame, 0, 3, starts, 2, 2));
    EXPECT_EQ(interleaved, c.interleaved);

    SCOPED_TRACE("planes from the second frame on, then the first channel alone");
    std::vector<int16_t> left(3, 99), right(3, 99);
    int16_t* planes[2] = {left.data(), right.data()};
    ASSERT_TRUE(FrameToInt16(*frame, 1, 2, planes, 2, 1));
    EXPECT_EQ(left, (std::vector<int16_t>{c.interleaved[2], c.interleaved[4], 99}));
    EXPECT_EQ(right, (std::vector<int16_t>{c.interleaved[3], c.interleaved[5], 99}));
    std::vector<int16_t> mono(3, 99);
    int16_t* first[1] = {mono.data()};
    ASSERT_TRUE(FrameToInt16(*frame, 0, 3, first, 1, 1));
    EXPECT_EQ(mono, (std::vector<int16_t>{c.interleaved[0], c.interleaved[2], c.interleaved[4]}));
  }
  SCOPED_TRACE("a format without samples to convert, and a frame without channels");
  int16_t sample = 99;
  int16_t* out[1] = {&sample};
  Frame none = MakeAudioFrame(AV_SAMPLE_FMT_S16, 1);
  none->format = AV_SAMPLE_FMT_NONE;
  EXPECT_FALSE(FrameToInt16(*none, 0, 1, out, 1, 1));
  Frame empty = MakeAudioFrame(AV_SAMPLE_FMT_S16, 1);
  av_channel_layout_uninit(&empty->ch_layout);
  EXPECT_FALSE(FrameToInt16(*empty, 0, 1, out, 1, 1));
  EXPECT_EQ(sample, 99);
}

TEST(FfmpegFrameSamples, SixteenBitsIntoEveryFormatAndBackWithSilenceAfterTheValidPart) {
  const std::vector<int16_t> left = {-32768, -1, 0, 1, 32767};
  const std::vector<int16_t> right = {300, -300, 7, 0, 0};
  struct Case {
    AVSampleFormat format;
    std::vector<int16_t> leftBack;  // what reading the frame gives
  };
  const Case cases[] = {
      {AV_SAMPLE_FMT_U8, {-32768, -256, 0, 0, 0}},  // the low byte is lost
      {AV_SAMPLE_FMT_S16, {-32768, -1, 0, 0, 0}},  {AV_SAMPLE_FMT_S32P, {-32768, -1, 0, 0, 0}},
      {AV_SAMPLE_FMT_S64, {-32768, -1, 0, 0, 0}},  {AV_SAMPLE_FMT_FLTP, {-32768, -1, 0, 0, 0}},
      {AV_SAMPLE_FMT_DBL, {-32768, -1, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(av_get_sample_fmt_name(c.format));
    Frame frame = MakeAudioFrame(c.format, 5);
    const int16_t* in[2] = {left.data(), right.data()};
    ASSERT_TRUE(Int16ToFrame(*frame, 3, in, 1));  // frames 3 and 4 are silence
    std::vector<int16_t> l(5), r(5);
    int16_t* out[2] = {l.data(), r.data()};
    ASSERT_TRUE(FrameToInt16(*frame, 0, 5, out, 2, 1));
    EXPECT_EQ(l, c.leftBack);
    EXPECT_EQ(r[3], 0);
    EXPECT_EQ(r[4], 0);
  }
  SCOPED_TRACE("interleaved input with a step, into planes and into packed samples");
  const std::vector<int16_t> interleaved = {1, 2, 3, 4};
  const int16_t* in[2] = {interleaved.data(), interleaved.data() + 1};
  Frame planar = MakeAudioFrame(AV_SAMPLE_FMT_S16P, 2);
  ASSERT_TRUE(Int16ToFrame(*planar, 2, in, 2));
  EXPECT_EQ(reinterpret_cast<int16_t*>(planar->extended_data[0])[1], 3);
  EXPECT_EQ(reinterpret_cast<int16_t*>(planar->extended_data[1])[1], 4);
  Frame packed = MakeAudioFrame(AV_SAMPLE_FMT_S32, 2);
  ASSERT_TRUE(Int16ToFrame(*packed, 2, in, 2));
  const auto* words = reinterpret_cast<int32_t*>(packed->extended_data[0]);
  EXPECT_EQ(std::vector<int32_t>(words, words + 4),
            (std::vector<int32_t>{65536, 2 * 65536, 3 * 65536, 4 * 65536}));
  Frame packed16 = MakeAudioFrame(AV_SAMPLE_FMT_S16, 2);
  ASSERT_TRUE(Int16ToFrame(*packed16, 1, in, 2));  // the second frame is silence
  const auto* values = reinterpret_cast<int16_t*>(packed16->extended_data[0]);
  EXPECT_EQ(std::vector<int16_t>(values, values + 4), (std::vector<int16_t>{1, 2, 0, 0}));
}

// Decodes stream 0 of `path` to its end; the samples decoded.
int64_t DecodeAll(const std::string& path) {
  InputContext input = OpenInput(path, {.analyse = true});
  EXPECT_TRUE(input);
  if (!input) return -1;
  PacketReader packets(input.get());
  StreamDecoder decoder(OpenDecoder(*input->streams[0]), 0);
  EXPECT_TRUE(decoder);
  int64_t samples = 0;
  while (const AVFrame* frame = decoder.NextFrame(packets)) samples += frame->nb_samples;
  EXPECT_EQ(decoder.NextFrame(packets), nullptr);  // the end stays the end
  return samples;
}

TEST(FfmpegDecoding, BadPacketsAreSkippedUntilTooManyComeInARow) {
  QuietLog();
  test::TempDir dir;
  // 16-bit mono PCM: 100-sample packets, and 1-byte packets the decoder
  // refuses, between two runs of ten good ones.
  const std::string good(200, '\x10');
  struct Case {
    const char* name;
    int bad;
    int64_t samples;
  };
  const Case cases[] = {
      {"none", 0, 2000},
      {"a few", 3, 2000},
      {"as many as the limit", kMaxBadPackets, 2000},
      {"one more: the stream ends there", kMaxBadPackets + 1, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::AvFixture fx;
    fx.muxer = "matroska";
    fx.rawAudioCodec = "pcm_s16le";
    fx.sampleRate = 8000;
    fx.rawPackets.assign(10, good);
    fx.rawPackets.insert(fx.rawPackets.end(), c.bad, std::string(1, '\x7f'));
    fx.rawPackets.insert(fx.rawPackets.end(), 10, good);
    const std::string path = dir.File("bad.mkv");
    std::string why;
    ASSERT_TRUE(test::WriteAvFixture(path, fx, &why)) << why;
    EXPECT_EQ(DecodeAll(path), c.samples);
  }
}

TEST(FfmpegDecoding, NothingToOpenOrDecode) {
  EXPECT_FALSE(OpenDecoder(BareCodec{}));
  EXPECT_TRUE(OpenDecoder(
      BareCodec{.id = AV_CODEC_ID_GSM, .sampleRate = 8000, .channels = 1, .blockAlign = 33}));
  PacketReader none;
  EXPECT_EQ(none.Next(0), nullptr);
  StreamDecoder empty;
  EXPECT_FALSE(empty);
  EXPECT_EQ(empty.NextFrame(none), nullptr);
  EXPECT_FALSE(OpenInput("/nonexistent/file.wav"));
  int error = 0;
  EXPECT_FALSE(OpenInput("/nonexistent/file.wav", {.format = "no-such-demuxer"}, &error));
  EXPECT_LT(error, 0);
}

TEST(FfmpegEncoding, TakesTheFormatTheFfmpegCommandGivesSixteenBitInput) {
  struct Case {
    const char* encoder;
    AVSampleFormat format;
  };
  const Case cases[] = {
      {"libmp3lame", AV_SAMPLE_FMT_S16P},  // it lists s32p first
      {"aac", AV_SAMPLE_FMT_FLTP},        {"libvorbis", AV_SAMPLE_FMT_FLTP},
      {"flac", AV_SAMPLE_FMT_S16},        {"pcm_s24le", AV_SAMPLE_FMT_S32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.encoder);
    EncoderSetup setup;
    setup.codec = avcodec_find_encoder_by_name(c.encoder);
    ASSERT_NE(setup.codec, nullptr);
    setup.sampleRate = 44100;
    setup.channels = 2;
    setup.bitRate = 128000;
    const CodecContext codec = OpenEncoder(setup);
    ASSERT_TRUE(codec);
    EXPECT_EQ(codec->sample_fmt, c.format);
    EXPECT_EQ(codec->time_base.den, 44100);
  }
  SCOPED_TRACE("a named format wins; refused parameters give nothing");
  EncoderSetup setup;
  setup.codec = avcodec_find_encoder_by_name("libmp3lame");
  setup.sampleFormat = AV_SAMPLE_FMT_FLTP;
  setup.sampleRate = 44100;
  setup.channels = 1;
  EXPECT_EQ(OpenEncoder(setup)->sample_fmt, AV_SAMPLE_FMT_FLTP);
  setup.sampleRate = 12345;
  EXPECT_FALSE(OpenEncoder(setup));
  setup.codec = nullptr;
  EXPECT_FALSE(OpenEncoder(setup));
}

TEST(FfmpegEncoding, FramesAreStampedBySampleCountAndTheEncoderIsFlushed) {
  EncoderSetup setup;
  setup.codec = avcodec_find_encoder_by_name("pcm_s16le");
  setup.sampleRate = 8000;
  setup.channels = 1;
  FrameEncoder encoder(OpenEncoder(setup), 300);
  ASSERT_TRUE(encoder);
  EXPECT_EQ(encoder.Capacity(), 300);
  EXPECT_EQ(encoder.NextFrame(301), nullptr);
  EXPECT_EQ(encoder.NextFrame(0), nullptr);
  std::vector<int64_t> stamps;
  std::vector<int> sizes;
  const PacketSink sink = [&](AVPacket* p) {
    stamps.push_back(p->pts);
    sizes.push_back(p->size);
    return 0;
  };
  for (int frames : {300, 120, 7}) {
    AVFrame* f = encoder.NextFrame(frames);
    ASSERT_NE(f, nullptr);
    std::fill_n(reinterpret_cast<int16_t*>(f->data[0]), frames, int16_t{5});
    ASSERT_GE(encoder.Send(sink), 0);
  }
  EXPECT_GE(encoder.Flush(sink), 0);
  EXPECT_GE(encoder.Flush(sink), 0);  // flushing again is harmless
  EXPECT_EQ(stamps, (std::vector<int64_t>{0, 300, 420}));
  EXPECT_EQ(sizes, (std::vector<int>{600, 240, 14}));

  SCOPED_TRACE("a failing sink stops the encoding with its code");
  FrameEncoder second(OpenEncoder(setup), 10);
  ASSERT_NE(second.NextFrame(10), nullptr);
  EXPECT_EQ(second.Send([](AVPacket*) { return AVERROR(EIO); }), AVERROR(EIO));
  EXPECT_FALSE(FrameEncoder());
}

TEST(FfmpegChannelLayout, OwnsCopiesAndMoves) {
  AVChannelLayout unspecified{};
  unspecified.order = AV_CHANNEL_ORDER_UNSPEC;
  unspecified.nb_channels = 2;
  ChannelLayout stereo = ChannelLayout::Of(unspecified);
  EXPECT_EQ(stereo.Channels(), 2);
  EXPECT_TRUE(stereo == ChannelLayout::Default(2));
  EXPECT_FALSE(stereo == ChannelLayout::Default(1));

  // A custom order holds memory of its own: copies and moves keep it once.
  AVChannelLayout custom{};
  custom.order = AV_CHANNEL_ORDER_CUSTOM;
  custom.nb_channels = 3;
  custom.u.map = static_cast<AVChannelCustom*>(av_calloc(3, sizeof(AVChannelCustom)));
  ASSERT_NE(custom.u.map, nullptr);
  custom.u.map[0].id = AV_CHAN_FRONT_CENTER;
  custom.u.map[1].id = AV_CHAN_LOW_FREQUENCY;
  custom.u.map[2].id = AV_CHAN_FRONT_LEFT;
  ChannelLayout copy = ChannelLayout::Of(custom);
  av_channel_layout_uninit(&custom);
  ChannelLayout moved = std::move(copy);
  EXPECT_EQ(copy.Channels(), 0);
  EXPECT_EQ(moved.Channels(), 3);
  EXPECT_EQ(av_channel_layout_channel_from_index(&moved.Get(), 1), AV_CHAN_LOW_FREQUENCY);
  moved = ChannelLayout::Default(1);
  EXPECT_EQ(moved.Channels(), 1);
}

}  // namespace
}  // namespace sondrel::ffmpeg
