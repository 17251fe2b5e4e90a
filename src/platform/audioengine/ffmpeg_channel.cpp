#include "platform/audioengine/ffmpeg_channel.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/audioengine/bass.h"
#include "platform/audioengine/pending_samples.h"
#include "platform/ffmpeg/ffmpeg_decoding.h"
#include "platform/ffmpeg/frame_samples.h"

extern "C" {
#include <libavutil/intreadwrite.h>
}

namespace sondrel::audioengine {

namespace {

using ffmpeg::InputContext;

constexpr int kMaxChannels = 64;

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
// already).
InputContext OpenInputAs(const std::string& path, const char* demuxer) {
  return ffmpeg::OpenInput(path, {.format = demuxer, .analyse = true});
}

// The audio stream of an input, or -1.
int AudioStream(AVFormatContext* input) {
  const int index = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (index < 0) return -1;
  ffmpeg::DiscardOtherStreams(input, index);
  return index;
}

// Appends `frame` from its frame `first` on as interleaved 16-bit samples of
// `channels` channels; the channels the frame lacks stay silent.
void AppendFrame(const AVFrame& frame, int channels, std::vector<int16_t>& out, int first = 0) {
  const int count = frame.nb_samples - first;
  if (count <= 0) return;
  const size_t base = out.size();
  out.resize(base + static_cast<size_t>(count) * channels, 0);
  int16_t* starts[kMaxChannels];
  for (int c = 0; c < channels; ++c) starts[c] = out.data() + base + c;
  ffmpeg::FrameToInt16(frame, first, count, starts, std::min(channels, frame.ch_layout.nb_channels),
                       channels);
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
    if (!FillPending() || m_pending.samples.empty()) return false;
    const int rate = m_rate;
    const std::optional<int64_t> frames =
        kind == ContentKind::Adts ? CountAdtsFrames(path) : CountPacketFrames(path, rate);
    const int64_t length = frames ? *frames : CountDecodedFrames(path);
    if (length <= 0) return false;

    SetFormat(static_cast<uint32_t>(rate), static_cast<uint32_t>(m_channels), false, ctype,
              static_cast<uint32_t>(m_decoder.Codec()->bits_per_raw_sample));
    SetLengthFrames(static_cast<uint64_t>(length));
    SetSourceFile(path, tags);
    error = BASS_OK;
    return true;
  }

  // Reads from frame `start` on, after seeking to the nearest frame before it.
  bool StartAt(const std::string& path, const char* demuxer, uint64_t start, uint32_t rate,
               uint32_t channels) {
    m_demuxer = demuxer;
    if (!OpenForDecoding(path) || m_rate != static_cast<int>(rate) ||
        m_channels != static_cast<int>(channels) || start > INT64_MAX) {
      return false;
    }
    m_started = true;  // the format is the caller's
    m_timeBase = m_input->streams[m_stream]->time_base;
    m_skipUntil = static_cast<int64_t>(start);
    const int64_t at = av_rescale_q(m_skipUntil, AVRational{1, m_rate}, m_timeBase);
    if (av_seek_frame(m_input.get(), m_stream, at, AVSEEK_FLAG_BACKWARD) < 0) return false;
    SetFormat(rate, channels, false, 0, 0);
    return true;
  }

 protected:
  size_t Decode(void* out, size_t frames) override {
    return m_pending.Deliver(static_cast<int16_t*>(out), frames, static_cast<size_t>(m_channels),
                             [this] { return FillPending(); });
  }

 private:
  bool OpenForDecoding(const std::string& path) {
    m_input = OpenInputAs(path, m_demuxer);
    if (!m_input) return false;
    m_stream = AudioStream(m_input.get());
    if (m_stream < 0) return false;
    m_decoder = ffmpeg::StreamDecoder(ffmpeg::OpenDecoder(*m_input->streams[m_stream]), m_stream);
    if (!m_decoder) return false;
    m_packets = ffmpeg::PacketReader(m_input.get());
    m_channels = m_decoder.Codec()->ch_layout.nb_channels;
    m_rate = m_decoder.Codec()->sample_rate;
    return m_channels >= 1 && m_channels <= kMaxChannels;
  }

  // Decodes until at least one frame is pending; false at the end.
  bool FillPending() {
    while (const AVFrame* frame = m_decoder.NextFrame(m_packets)) {
      if (!m_started) {
        // The first frame fixes the delivered format.
        m_started = true;
        m_channels = std::clamp(frame->ch_layout.nb_channels, 1, kMaxChannels);
        if (frame->sample_rate > 0) m_rate = frame->sample_rate;
      }
      const int first = FirstWanted(*frame);
      if (first < 0) continue;
      AppendFrame(*frame, m_channels, m_pending.samples, first);
      if (m_pending.samples.size() > m_pending.pos) return true;
    }
    return false;
  }

  // The first frame of `frame` to deliver: 0, or past the frames before the
  // start of a reading from the middle; -1 for none of them (a frame without
  // a timestamp cannot be placed before the start is reached).
  int FirstWanted(const AVFrame& frame) {
    if (m_skipUntil <= 0) return 0;
    if (frame.best_effort_timestamp == AV_NOPTS_VALUE) return -1;
    const int64_t at = av_rescale_q(frame.best_effort_timestamp, m_timeBase, AVRational{1, m_rate});
    if (at + frame.nb_samples <= m_skipUntil) return -1;
    const int64_t first = std::max<int64_t>(0, m_skipUntil - at);
    m_skipUntil = 0;
    return static_cast<int>(first);
  }

  // Sums the packets' trimmed durations; nullopt when one has none.
  std::optional<int64_t> CountPacketFrames(const std::string& path, int rate) const {
    InputContext input = OpenInputAs(path, m_demuxer);
    if (!input) return std::nullopt;
    const int stream = AudioStream(input.get());
    if (stream != m_stream) return std::nullopt;
    const AVRational timeBase = input->streams[stream]->time_base;
    ffmpeg::PacketReader packets(input.get());
    int64_t total = 0;
    while (const AVPacket* packet = packets.Next(stream)) {
      if (packet->flags & AV_PKT_FLAG_DISCARD) continue;
      const std::optional<int64_t> frames = PacketFrames(*packet, timeBase, rate);
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
    ffmpeg::PacketReader packets(input.get());
    int64_t blocks = 0;
    int firstBlocks = 0;
    while (const AVPacket* packet = packets.Next(0)) {  // ADTS holds one stream
      int n = 1;
      if (packet->size >= 7 && packet->data[0] == 0xFF) n = (packet->data[6] & 3) + 1;
      if (firstBlocks == 0) firstBlocks = n;
      blocks += n;
    }
    if (firstBlocks == 0) return std::nullopt;
    const int64_t blockFrames =
        static_cast<int64_t>(m_pending.samples.size()) / m_channels / firstBlocks;
    return blocks * blockFrames;
  }

  // Decodes the whole stream once to count its frames.
  int64_t CountDecodedFrames(const std::string& path) const {
    FfmpegChannel counter;
    counter.m_demuxer = m_demuxer;
    if (!counter.OpenForDecoding(path)) return 0;
    int64_t total = 0;
    while (counter.FillPending()) {
      total += static_cast<int64_t>(counter.m_pending.samples.size()) / counter.m_channels;
      counter.m_pending.samples.clear();
    }
    return total;
  }

  const char* m_demuxer = nullptr;
  InputContext m_input;
  int m_stream = -1;
  ffmpeg::PacketReader m_packets;
  ffmpeg::StreamDecoder m_decoder;
  int m_channels = 0;
  int m_rate = 0;
  bool m_started = false;
  AVRational m_timeBase{1, 1};  // of the stream, for a reading from the middle
  int64_t m_skipUntil = 0;      // frames before this one are dropped (0: none)
  PendingSamples m_pending;     // decoded samples not yet delivered
};

}  // namespace

std::unique_ptr<Channel> OpenFfmpegChannel(const std::string& path, ContentKind kind, bool allowAac,
                                           bool allowAlac, int& error) {
  ffmpeg::QuietLog();
  auto channel = std::make_unique<FfmpegChannel>();
  if (!channel->Start(path, kind, allowAac, allowAlac, error)) return nullptr;
  return channel;
}

std::unique_ptr<Channel> OpenFfmpegRest(const std::string& path, const char* demuxer,
                                        uint64_t start, uint32_t rate, uint32_t channels) {
  ffmpeg::QuietLog();
  auto channel = std::make_unique<FfmpegChannel>();
  if (!channel->StartAt(path, demuxer, start, rate, channels)) return nullptr;
  return channel;
}

}  // namespace sondrel::audioengine
