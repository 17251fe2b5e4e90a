// AMR-NB inside 3GP and 3G2 through the FFmpeg writer.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "decode/ffmpeg_decoder.h"
#include "encode/amr_nb_frame_codec.h"
#include "encode/codec_ids.h"
#include "encode/ffmpeg_encoder.h"
#include "encode/format_catalogue.h"
#include "platform/amr/amr_frame.h"
#include "platform/ffmpeg/ffmpeg_handles.h"
#include "support/speech_signal.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

std::string RunCommand(const std::string& command) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return out;
  char buf[4096];
  while (size_t n = std::fread(buf, 1, sizeof buf, pipe.get())) out.append(buf, n);
  return out;
}

// Writes `pcm` in 1152-sample blocks with a row's muxer, AMR-NB, 8000 Hz mono.
bool WriteAmrNb(const std::string& path, const std::string& muxer, int bitRate,
                const std::vector<int16_t>& pcm) {
  FfmpegEncoder w;
  w.SetFormat(FfmpegFormatParams{muxer, kCodecAmrNb});
  w.SetSampleRate(8000);
  w.SetChannels(1);
  w.SetBitRate(bitRate);
  w.SetOutputPath(path);
  if (!w.Open()) return false;
  for (size_t at = 0; at < pcm.size(); at += 1152) {
    if (!w.Write(&pcm[at], nullptr, static_cast<int>(std::min<size_t>(1152, pcm.size() - at)))) {
      return false;
    }
  }
  w.Close();
  return true;
}

// The frame type of every packet of the file's one stream.
std::vector<int> PacketFrameTypes(const std::string& path) {
  std::vector<int> types;
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return types;
  ffmpeg::InputContext input(raw);
  ffmpeg::Packet packet(av_packet_alloc());
  while (av_read_frame(input.get(), packet.get()) >= 0) {
    types.push_back(packet->size > 0 ? AmrFrameType(packet->data[0]) : -1);
    av_packet_unref(packet.get());
  }
  return types;
}

TEST(FfmpegAmrNb, ThreeGpRowsWorkWithTheirDefaults) {
  ffmpeg::QuietLog();
  test::TempDir dir;
  std::vector<FormatRow> rows;
  BuildCatalogue(rows);
  const std::vector<int16_t> speech = test::SpeechLike(8000, 3.0);
  const int frames = static_cast<int>((speech.size() + 159) / 160);
  int checked = 0;
  for (const FormatRow& row : rows) {
    if (row.muxerName != "3gp" && row.muxerName != "3g2") continue;
    SCOPED_TRACE(row.muxerName);
    ++checked;
    ASSERT_EQ(row.CodecID, kCodecAmrNb);
    ASSERT_EQ(row.SampleRate, 8000);
    ASSERT_EQ(row.Channels, 1);
    const std::string path = dir.File("speech." + row.extension);
    ASSERT_TRUE(WriteAmrNb(path, row.muxerName, row.BitRate, speech));

    // Other players see AMR-NB at 8000 Hz mono, one packet per 20 ms frame.
    const std::string probed = RunCommand(
        "ffprobe -v error -count_packets -show_entries "
        "stream=codec_name,sample_rate,channels,nb_read_packets -of "
        "default=noprint_wrappers=1 '" +
        path + "'");
    EXPECT_NE(probed.find("codec_name=amr_nb"), std::string::npos) << probed;
    EXPECT_NE(probed.find("sample_rate=8000"), std::string::npos) << probed;
    EXPECT_NE(probed.find("channels=1"), std::string::npos) << probed;
    EXPECT_NE(probed.find("nb_read_packets=" + std::to_string(frames)), std::string::npos)
        << probed;
    const std::vector<int> types = PacketFrameTypes(path);
    EXPECT_EQ(types, std::vector<int>(frames, 6));  // 10200 bit/s

    FfmpegDecoder d;
    ASSERT_EQ(d.Open(path, 0), 1);
    EXPECT_EQ(d.GetSampleRate(), 8000);
    EXPECT_EQ(d.GetChannels(), 1);
    std::vector<int16_t> decoded;
    int16_t left[kBlockFrames], right[kBlockFrames];
    for (int n; (n = d.Read(left, right)) > 0;) decoded.insert(decoded.end(), left, left + n);
    EXPECT_EQ(static_cast<int>(decoded.size()), frames * 160);
    EXPECT_GT(test::BestCorrelation(speech, decoded, 200), 0.7);
  }
  EXPECT_EQ(checked, 2);
}

TEST(FfmpegAmrNb, BitRatePicksTheMode) {
  test::TempDir dir;
  const std::vector<int16_t> speech = test::SpeechLike(8000, 0.5);
  const int rates[] = {4750, 5150, 5900, 6700, 7400, 7950, 10200, 12200};
  for (int mode = 0; mode < 8; ++mode) {
    SCOPED_TRACE(rates[mode]);
    EXPECT_EQ(AmrNbModeForBitRate(rates[mode]), mode);
    const std::string path = dir.File("m.3gp");
    ASSERT_TRUE(WriteAmrNb(path, "3gp", rates[mode], speech));
    EXPECT_EQ(PacketFrameTypes(path), std::vector<int>(25, mode));
  }
  EXPECT_EQ(AmrNbModeForBitRate(12000), 7);
  EXPECT_EQ(AmrNbModeForBitRate(1), 0);
  EXPECT_EQ(AmrNbModeForBitRate(0), 6);
}

TEST(FfmpegAmrNb, RefusesWhatAmrNbCannotCarry) {
  test::TempDir dir;
  const std::string path = dir.File("x.3g2");
  for (auto [rate, channels] : {std::pair{16000, 1}, std::pair{8000, 2}, std::pair{44100, 1}}) {
    FfmpegEncoder w;
    w.SetFormat(FfmpegFormatParams{"3g2", kCodecAmrNb});
    w.SetSampleRate(rate);
    w.SetChannels(channels);
    w.SetBitRate(10200);
    w.SetOutputPath(path);
    EXPECT_EQ(w.Open(), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
  }
}

}  // namespace
}  // namespace sondrel
