#include "platform/audioengine/ffmpeg_channel.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/audioengine/bass.h"
#include "platform/ffmpeg/ffmpeg_handles.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/intreadwrite.h>
}

namespace sondrel::audioengine {

namespace {

using ffmpeg::CodecContext;
using ffmpeg::Frame;
using ffmpeg::InputContext;
using ffmpeg::Packet;

constexpr int kMaxChannels = 64;
// Undecodable packets in a row after which the data is taken to end.
constexpr int kMaxBadPackets = 500;

const char* DemuxerFor(ContentKind kind) {
  switch (kind) {
    case ContentKind::Adts:
      return "aac";
    case ContentKind::Mp4:
      return "mov";
    case ContentKind::Adx:
      return "adx";
    default:
      return nullptr;
  }
}

// Opens `path` with the named demuxer only (the content was recognised
// already), reading local files only.
InputContext OpenInputAs(const std::string& path, const char* demuxer) {
  const AVInputFormat* format = av_find_input_format(demuxer);
  if (!format) return {};
  AVFormatContext* c = avformat_alloc_context();
  if (!c) return {};
  ffmpeg::Dictionary options;
  options.Set("protocol_whitelist", "file");
  // avformat_open_input frees the context itself when it fails.
  if (avformat_open_input(&c, ffmpeg::FileUrl(path).c_str(), format, options.Address()) < 0) {
    return {};
  }
  InputContext input(c);
  if (avformat_find_stream_info(input.get(), nullptr) < 0) return {};
  return input;
}

// The audio stream of an input, or -1.
int AudioStream(AVFormatContext* input) {
  const int index = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (index < 0) return -1;
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    if (static_cast<int>(i) != index) input->streams[i]->discard = AVDISCARD_ALL;
  }
  return index;
}

CodecContext OpenDecoder(const AVStream* stream) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (!codec) return {};
  CodecContext context = ffmpeg::MakeCodecContext(codec);
  if (!context || avcodec_parameters_to_context(context.get(), stream->codecpar) < 0) return {};
  context->pkt_timebase = stream->time_base;
  if (avcodec_open2(context.get(), codec, nullptr) < 0) return {};
  return context;
}

// Appends `frame` as interleaved 16-bit samples of `channels` channels.
void AppendFrame(const AVFrame& frame, int channels, std::vector<int16_t>& out) {
  const int frameChannels = frame.ch_layout.nb_channels;
  const auto format = static_cast<AVSampleFormat>(frame.format);
  const bool planar = av_sample_fmt_is_planar(format);
  const AVSampleFormat packed = av_get_packed_sample_fmt(format);
  const size_t base = out.size();
  out.resize(base + static_cast<size_t>(frame.nb_samples) * channels, 0);
  const int used = std::min(channels, frameChannels);
  for (int c = 0; c < used; ++c) {
    const uint8_t* plane = frame.extended_data[planar ? c : 0];
    const int stride = planar ? 1 : frameChannels;
    int16_t* dst = out.data() + base + c;
    for (int i = 0; i < frame.nb_samples; ++i, dst += channels) {
      const size_t at = static_cast<size_t>(i) * stride + (planar ? 0 : c);
      switch (packed) {
        case AV_SAMPLE_FMT_U8:
          *dst = static_cast<int16_t>((plane[at] - 128) * 256);
          break;
        case AV_SAMPLE_FMT_S16:
          *dst = reinterpret_cast<const int16_t*>(plane)[at];
          break;
        case AV_SAMPLE_FMT_S32:
          *dst = static_cast<int16_t>(reinterpret_cast<const int32_t*>(plane)[at] >> 16);
          break;
        case AV_SAMPLE_FMT_S64:
          *dst = static_cast<int16_t>(reinterpret_cast<const int64_t*>(plane)[at] >> 48);
          break;
        case AV_SAMPLE_FMT_FLT:
          *dst = FloatToInt16(reinterpret_cast<const float*>(plane)[at]);
          break;
        case AV_SAMPLE_FMT_DBL:
          *dst = FloatToInt16(static_cast<float>(reinterpret_cast<const double*>(plane)[at]));
          break;
        default:
          break;
      }
    }
  }
}

// Frames of one packet as the container trims them (skip-samples side data),
// in samples at `rate`; nullopt when the packet carries no duration.
std::optional<int64_t> PacketFrames(const AVPacket& packet, AVRational timeBase, int rate) {
  if (packet.duration <= 0) return std::nullopt;
  int64_t frames = av_rescale_q(packet.duration, timeBase, AVRational{1, rate});
  size_t size = 0;
  const uint8_t* skip = av_packet_get_side_data(&packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
  if (skip && size >= 8) frames -= int64_t{AV_RL32(skip)} + AV_RL32(skip + 4);
  return std::max<int64_t>(frames, 0);
}

class FfmpegChannel : public Channel {
 public:
  bool Start(const std::string& path, ContentKind kind, bool allowAac, bool allowAlac, int& error) {
    m_demuxer = DemuxerFor(kind);
    error = BASS_ERROR_FILEFORM;
    if (!m_demuxer || !OpenForDecoding(path)) return false;
    const AVCodecID codec = m_input->streams[m_stream]->codecpar->codec_id;
    uint32_t ctype = 0;
    TagSource tags = TagSource::None;
    if (kind == ContentKind::Adx) {
      if (codec != AV_CODEC_ID_ADPCM_ADX) return false;
      ctype = BASS_CTYPE_STREAM_ADX;
    } else if (codec == AV_CODEC_ID_AAC) {
      if (!allowAac) return false;
      ctype = kind == ContentKind::Mp4 ? BASS_CTYPE_STREAM_MP4 : BASS_CTYPE_STREAM_AAC;
      tags = kind == ContentKind::Mp4 ? TagSource::Mp4 : TagSource::Adts;
    } else if (codec == AV_CODEC_ID_ALAC && kind == ContentKind::Mp4) {
      if (!allowAlac) return false;
      ctype = BASS_CTYPE_STREAM_ALAC;
      tags = TagSource::Mp4;
    } else {
      return false;
    }
    // The first frame tells the delivered rate and channel count (an
    // SBR stream decodes at twice the rate its header gives).
    m_frame = ffmpeg::MakeFrame();
    m_packet = ffmpeg::MakePacket();
    if (!m_frame || !m_packet || !FillPending() || m_pending.empty()) return false;
    const int rate = m_rate;
    const std::optional<int64_t> frames =
        kind == ContentKind::Adts ? CountAdtsFrames(path) : CountPacketFrames(path, rate);
    const int64_t length = frames ? *frames : CountDecodedFrames(path);
    if (length <= 0) return false;

    SetFormat(static_cast<uint32_t>(rate), static_cast<uint32_t>(m_channels), false, ctype,
              static_cast<uint32_t>(m_codec->bits_per_raw_sample));
    SetLengthFrames(static_cast<uint64_t>(length));
    std::error_code ec;
    const uint64_t size = std::filesystem::file_size(path, ec);
    if (!ec) SetFileBytes(size);
    SetSource(path, tags);
    error = BASS_OK;
    return true;
  }

 protected:
  size_t Decode(void* out, size_t frames) override {
    auto* dst = static_cast<int16_t*>(out);
    size_t done = 0;
    while (done < frames) {
      const size_t available = (m_pending.size() - m_pendingPos) / m_channels;
      if (available == 0) {
        m_pending.clear();
        m_pendingPos = 0;
        if (!FillPending()) break;
        continue;
      }
      const size_t n = std::min(available, frames - done);
      std::memcpy(dst + done * m_channels, m_pending.data() + m_pendingPos,
                  n * m_channels * sizeof(int16_t));
      m_pendingPos += n * m_channels;
      done += n;
    }
    return done;
  }

 private:
  bool OpenForDecoding(const std::string& path) {
    m_input = OpenInputAs(path, m_demuxer);
    if (!m_input) return false;
    m_stream = AudioStream(m_input.get());
    if (m_stream < 0) return false;
    m_codec = OpenDecoder(m_input->streams[m_stream]);
    if (!m_codec) return false;
    m_channels = m_codec->ch_layout.nb_channels;
    m_rate = m_codec->sample_rate;
    return m_channels >= 1 && m_channels <= kMaxChannels;
  }

  // Decodes until at least one frame is pending; false at the end.
  bool FillPending() {
    for (;;) {
      const int rc = avcodec_receive_frame(m_codec.get(), m_frame.get());
      if (rc == 0) {
        if (!m_started) {
          // The first frame fixes the delivered format.
          m_started = true;
          m_channels = std::clamp(m_frame->ch_layout.nb_channels, 1, kMaxChannels);
          if (m_frame->sample_rate > 0) m_rate = m_frame->sample_rate;
        }
        AppendFrame(*m_frame, m_channels, m_pending);
        av_frame_unref(m_frame.get());
        if (m_pending.size() > m_pendingPos) return true;
        continue;
      }
      if (rc == AVERROR_EOF) return false;
      if (rc != AVERROR(EAGAIN)) return false;
      if (m_flushed) return false;
      if (!SendNextPacket()) return false;
    }
  }

  // Sends the next packet of the stream, or the flush at the end.
  bool SendNextPacket() {
    for (;;) {
      const int rc = av_read_frame(m_input.get(), m_packet.get());
      if (rc < 0) {
        m_flushed = true;
        return avcodec_send_packet(m_codec.get(), nullptr) == 0;
      }
      if (m_packet->stream_index != m_stream) {
        av_packet_unref(m_packet.get());
        continue;
      }
      const int sent = avcodec_send_packet(m_codec.get(), m_packet.get());
      av_packet_unref(m_packet.get());
      if (sent == 0) {
        m_badPackets = 0;
        return true;
      }
      // A damaged packet is skipped, as a player would.
      if (++m_badPackets > kMaxBadPackets) return false;
    }
  }

  // Sums the packets' trimmed durations; nullopt when one has none.
  std::optional<int64_t> CountPacketFrames(const std::string& path, int rate) const {
    InputContext input = OpenInputAs(path, m_demuxer);
    if (!input) return std::nullopt;
    const int stream = AudioStream(input.get());
    if (stream != m_stream) return std::nullopt;
    const AVRational timeBase = input->streams[stream]->time_base;
    Packet packet = ffmpeg::MakePacket();
    if (!packet) return std::nullopt;
    int64_t total = 0;
    while (av_read_frame(input.get(), packet.get()) >= 0) {
      const bool ours = packet->stream_index == stream;
      const bool discarded = (packet->flags & AV_PKT_FLAG_DISCARD) != 0;
      const std::optional<int64_t> frames =
          ours && !discarded ? PacketFrames(*packet, timeBase, rate) : std::optional<int64_t>(0);
      av_packet_unref(packet.get());
      if (!frames) return std::nullopt;
      total += *frames;
    }
    return total;
  }

  // ADTS frames hold 1 to 4 raw blocks of equal length; the first decoded
  // frame tells a block's length at the delivered rate.
  std::optional<int64_t> CountAdtsFrames(const std::string& path) const {
    InputContext input = OpenInputAs(path, m_demuxer);
    if (!input) return std::nullopt;
    Packet packet = ffmpeg::MakePacket();
    if (!packet) return std::nullopt;
    int64_t blocks = 0;
    int firstBlocks = 0;
    while (av_read_frame(input.get(), packet.get()) >= 0) {
      int n = 1;
      if (packet->size >= 7 && packet->data[0] == 0xFF) n = (packet->data[6] & 3) + 1;
      if (firstBlocks == 0) firstBlocks = n;
      blocks += n;
      av_packet_unref(packet.get());
    }
    if (firstBlocks == 0) return std::nullopt;
    const int64_t blockFrames = static_cast<int64_t>(m_pending.size()) / m_channels / firstBlocks;
    return blocks * blockFrames;
  }

  // Decodes the whole stream once to count its frames.
  int64_t CountDecodedFrames(const std::string& path) const {
    FfmpegChannel counter;
    counter.m_demuxer = m_demuxer;
    if (!counter.OpenForDecoding(path)) return 0;
    counter.m_frame = ffmpeg::MakeFrame();
    counter.m_packet = ffmpeg::MakePacket();
    if (!counter.m_frame || !counter.m_packet) return 0;
    int64_t total = 0;
    while (counter.FillPending()) {
      total += static_cast<int64_t>(counter.m_pending.size()) / counter.m_channels;
      counter.m_pending.clear();
    }
    return total;
  }

  const char* m_demuxer = nullptr;
  InputContext m_input;
  int m_stream = -1;
  CodecContext m_codec;
  Frame m_frame;
  Packet m_packet;
  int m_channels = 0;
  int m_rate = 0;
  bool m_started = false;
  bool m_flushed = false;
  int m_badPackets = 0;
  std::vector<int16_t> m_pending;  // decoded interleaved samples not yet delivered
  size_t m_pendingPos = 0;
};

}  // namespace

std::unique_ptr<Channel> OpenFfmpegChannel(const std::string& path, ContentKind kind, bool allowAac,
                                           bool allowAlac, int& error) {
  ffmpeg::QuietLog();
  auto channel = std::make_unique<FfmpegChannel>();
  if (!channel->Start(path, kind, allowAac, allowAlac, error)) return nullptr;
  return channel;
}

}  // namespace sondrel::audioengine
