#include "platform/mediaruntime/wm_sync_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/ffmpeg/ffmpeg_decoding.h"
#include "platform/ffmpeg/frame_samples.h"
#include "platform/mediaruntime/media_runtime.h"

extern "C" {
#include <libavutil/mathematics.h>
}

namespace sondrel {

namespace {

constexpr AVRational kHundredNs = {1, 10000000};

WmMajorType TypeOf(const AVStream* st) {
  switch (st->codecpar->codec_type) {
    case AVMEDIA_TYPE_AUDIO:
      return WmMajorType::kAudio;
    case AVMEDIA_TYPE_VIDEO:
      return WmMajorType::kVideo;
    default:
      return WmMajorType::kOther;
  }
}

}  // namespace

struct WmSyncReader::State {
  struct Stream {
    AVStream* av = nullptr;
    WmMajorType type = WmMajorType::kUnknown;
    uint16_t number = 0;
    bool selected = true;
    // Audio output: 16-bit PCM at `rate` with `channels` (1 or 2).
    int rate = 0;
    int channels = 0;
    ffmpeg::StreamDecoder decoder;
    bool decoderFailed = false;
    // Folds and resamples the frames that do not have the output's channels
    // and rate, made for the last such frame's format.
    ffmpeg::Resampler swr;
    ffmpeg::ChannelLayout swrInLayout;
    int swrInFormat = -1;
    int swrInRate = 0;
    int64_t nextTime = 0;
    std::vector<int16_t> pcm;
  };

  ffmpeg::InputContext input;
  ffmpeg::PacketReader packets;
  AsfHeaderInfo header;
  std::vector<Stream> streams;

  Stream* Find(uint16_t number) {
    for (Stream& s : streams) {
      if (s.number == number) return &s;
    }
    return nullptr;
  }

  bool OpenDecoder(Stream& s);
  bool Convert(Stream& s, const AVFrame& frame, WmSample& sample);
  // Output frames made by the stream's resampler from `frame`; negative on
  // failure.
  int Resample(Stream& s, const AVFrame& frame);
  WmStatus NextSample(Stream& s, WmSample& sample);
};

bool WmSyncReader::State::OpenDecoder(Stream& s) {
  if (s.decoder) return true;
  if (s.decoderFailed) return false;
  s.decoder = ffmpeg::StreamDecoder(ffmpeg::OpenDecoder(*s.av), s.av->index);
  s.decoderFailed = !s.decoder;
  return !s.decoderFailed;
}

int WmSyncReader::State::Resample(Stream& s, const AVFrame& frame) {
  ffmpeg::ChannelLayout inLayout = ffmpeg::ChannelLayout::Of(frame.ch_layout);
  if (inLayout.Channels() < 1 || frame.sample_rate < 1) return -1;
  const bool same = s.swr && s.swrInFormat == frame.format && s.swrInRate == frame.sample_rate &&
                    s.swrInLayout == inLayout;
  if (!same) {
    s.swr.reset();
    ffmpeg::ChannelLayout outLayout = ffmpeg::ChannelLayout::Default(s.channels);
    SwrContext* raw = nullptr;
    const int rc = swr_alloc_set_opts2(
        &raw, outLayout.Pointer(), AV_SAMPLE_FMT_S16, s.rate, inLayout.Pointer(),
        static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
    ffmpeg::Resampler swr(raw);
    if (rc < 0 || !swr || swr_init(swr.get()) < 0) return -1;
    s.swr = std::move(swr);
    s.swrInLayout = std::move(inLayout);
    s.swrInFormat = frame.format;
    s.swrInRate = frame.sample_rate;
  }
  const int capacity = swr_get_out_samples(s.swr.get(), frame.nb_samples);
  if (capacity < 0) return -1;
  s.pcm.resize(static_cast<size_t>(capacity) * s.channels);
  uint8_t* out[1] = {reinterpret_cast<uint8_t*>(s.pcm.data())};
  return swr_convert(s.swr.get(), out, capacity, const_cast<const uint8_t**>(frame.extended_data),
                     frame.nb_samples);
}

// Converts a decoded frame to the stream's output format.
bool WmSyncReader::State::Convert(Stream& s, const AVFrame& frame, WmSample& sample) {
  int got = frame.nb_samples;
  if (frame.ch_layout.nb_channels == s.channels && frame.sample_rate == s.rate) {
    s.pcm.resize(static_cast<size_t>(got) * s.channels);
    int16_t* out[2] = {s.pcm.data(), s.pcm.data() + 1};
    if (!ffmpeg::FrameToInt16(frame, 0, got, out, s.channels, s.channels)) return false;
  } else {
    got = Resample(s, frame);
    if (got < 0) return false;
  }
  s.pcm.resize(static_cast<size_t>(got) * s.channels);

  const int64_t ts = frame.best_effort_timestamp;
  const int64_t time =
      ts == AV_NOPTS_VALUE ? s.nextTime : av_rescale_q(ts, s.av->time_base, kHundredNs);
  const int64_t duration = av_rescale(got, 10000000, s.rate);
  s.nextTime = time + duration;
  sample.data = reinterpret_cast<const uint8_t*>(s.pcm.data());
  sample.length = static_cast<uint32_t>(s.pcm.size() * sizeof(int16_t));
  sample.time = time;
  sample.duration = duration;
  return true;
}

WmStatus WmSyncReader::State::NextSample(Stream& s, WmSample& sample) {
  while (const AVFrame* frame = s.decoder.NextFrame(packets)) {
    // A frame that cannot be converted is passed over.
    if (Convert(s, *frame, sample) && sample.length > 0) return WmStatus::kOk;
  }
  return WmStatus::kNoMoreSamples;
}

WmSyncReader::WmSyncReader() = default;
WmSyncReader::~WmSyncReader() { Close(); }

void WmSyncReader::Close() { m_state.reset(); }

WmStatus WmSyncReader::Open(const std::string& path) {
  Close();
  auto st = std::make_unique<State>();
  st->input = ffmpeg::OpenInput(path);
  if (!st->input || std::strcmp(st->input->iformat->name, "asf") != 0) return WmStatus::kFailed;
  st->packets = ffmpeg::PacketReader(st->input.get());
  ReadAsfHeader(path, st->header);

  // The k-th stream of a type in the header is the k-th of that type in the
  // demuxer; a stream the header does not number gets its position + 1.
  for (unsigned i = 0; i < st->input->nb_streams; ++i) {
    State::Stream s;
    s.av = st->input->streams[i];
    s.type = TypeOf(s.av);
    int nth = 0;
    for (unsigned j = 0; j < i; ++j) nth += TypeOf(st->input->streams[j]) == s.type;
    s.number = static_cast<uint16_t>(i + 1);
    for (const AsfStreamEntry& e : st->header.streams) {
      if (e.type == s.type && nth-- == 0) {
        s.number = e.number;
        break;
      }
    }
    if (s.type == WmMajorType::kAudio) {
      s.rate = s.av->codecpar->sample_rate;
      s.channels = std::min(2, s.av->codecpar->ch_layout.nb_channels);
    }
    st->streams.push_back(std::move(s));
  }
  m_state = std::move(st);
  return WmStatus::kOk;
}

uint32_t WmSyncReader::GetStreamCount() const {
  return m_state ? static_cast<uint32_t>(m_state->streams.size()) : 0;
}

WmStatus WmSyncReader::GetStream(uint32_t index, WmStreamInfo& info) const {
  if (!m_state || index >= m_state->streams.size()) return WmStatus::kFailed;
  info.type = m_state->streams[index].type;
  info.number = m_state->streams[index].number;
  return WmStatus::kOk;
}

uint32_t WmSyncReader::GetOutputCount() const { return GetStreamCount(); }

WmStatus WmSyncReader::GetOutputProps(uint32_t output, WmMediaType& type) const {
  if (!m_state || output >= m_state->streams.size()) return WmStatus::kFailed;
  const State::Stream& s = m_state->streams[output];
  type = WmMediaType();
  type.majorType = s.type;
  if (s.type != WmMajorType::kAudio) return WmStatus::kOk;
  if (s.rate < 1 || s.channels < 1) {
    // Audio whose format the header does not give: no usable output.
    type.majorType = WmMajorType::kOther;
    return WmStatus::kOk;
  }
  type.subtype = WmSubtype::kPcm;
  type.fixedSizeSamples = true;
  type.sampleSize = static_cast<uint32_t>(2 * s.channels);
  type.formatType = WmFormatType::kWaveFormatEx;
  type.wave.formatTag = kWaveFormatPcm;
  type.wave.channels = static_cast<uint16_t>(s.channels);
  type.wave.samplesPerSec = static_cast<uint32_t>(s.rate);
  type.wave.blockAlign = static_cast<uint16_t>(2 * s.channels);
  type.wave.avgBytesPerSec = type.wave.samplesPerSec * type.wave.blockAlign;
  type.wave.bitsPerSample = 16;
  return WmStatus::kOk;
}

WmStatus WmSyncReader::SetStreamsSelected(uint16_t streamNumber, bool selected) {
  State::Stream* s = m_state ? m_state->Find(streamNumber) : nullptr;
  if (!s) return WmStatus::kFailed;
  s->selected = selected;
  // The demuxer then skips the packets of streams nobody reads.
  s->av->discard = selected ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
  return WmStatus::kOk;
}

WmStatus WmSyncReader::SetReadStreamSamples(uint16_t streamNumber, bool compressed) {
  State::Stream* s = m_state ? m_state->Find(streamNumber) : nullptr;
  if (!s || compressed) return WmStatus::kFailed;
  return WmStatus::kOk;
}

WmStatus WmSyncReader::GetNextSample(uint16_t streamNumber, WmSample& sample) {
  State::Stream* s = m_state ? m_state->Find(streamNumber) : nullptr;
  if (!s || !s->selected || s->type != WmMajorType::kAudio || s->rate < 1 || s->channels < 1) {
    return WmStatus::kFailed;
  }
  if (!m_state->OpenDecoder(*s)) return WmStatus::kFailed;
  return m_state->NextSample(*s, sample);
}

WmStatus WmSyncReader::GetAttributeByName(uint16_t streamNumber, std::string_view name,
                                          WmAttribute& attribute) const {
  if (!m_state) return WmStatus::kFailed;
  const AsfHeaderInfo& h = m_state->header;
  if (streamNumber == 0 && h.hasFileProperties) {
    if (name == "Duration") {
      if ((h.flags & kAsfFlagBroadcast) || h.playDuration == 0) return WmStatus::kNotFound;
      const uint64_t preroll = h.preroll * 10000;
      attribute = WmAttribute::Qword(h.playDuration > preroll ? h.playDuration - preroll : 0);
      return WmStatus::kOk;
    }
    if (name == "Bitrate") {
      if (h.maxBitrate == 0) return WmStatus::kNotFound;
      attribute = WmAttribute::Dword(h.maxBitrate);
      return WmStatus::kOk;
    }
  }
  for (const AsfNamedAttribute& a : h.attributes) {
    if (a.stream == streamNumber && a.name == name) {
      attribute = a.attribute;
      return WmStatus::kOk;
    }
  }
  return WmStatus::kNotFound;
}

std::unique_ptr<WmSyncReader> CreateWmSyncReader() {
  if (!IsWindowsMediaRuntimeLoaded()) return nullptr;
  return std::make_unique<WmSyncReader>();
}

}  // namespace sondrel
