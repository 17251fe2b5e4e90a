#include "platform/mediaruntime/wm_writer.h"

#include <algorithm>

#include "platform/ffmpeg/ffmpeg_handles.h"
#include "platform/mediaruntime/asf_file_output.h"
#include "platform/mediaruntime/media_runtime.h"
#include "platform/mediaruntime/wma_codec.h"

namespace sondrel {

namespace {

constexpr uint32_t kMaxSampleBytes = 64u << 20;
constexpr int kMaxInputChannels = 8;
constexpr uint32_t kMinInputRate = 1000;
constexpr uint32_t kMaxInputRate = 384000;

WmMediaType PcmType(uint32_t rate, uint16_t channels) {
  WmMediaType t;
  t.majorType = WmMajorType::kAudio;
  t.subtype = WmSubtype::kPcm;
  t.fixedSizeSamples = true;
  t.sampleSize = 2u * channels;
  t.formatType = WmFormatType::kWaveFormatEx;
  t.wave.formatTag = kWaveFormatPcm;
  t.wave.channels = channels;
  t.wave.samplesPerSec = rate;
  t.wave.blockAlign = static_cast<uint16_t>(2 * channels);
  t.wave.avgBytesPerSec = rate * t.wave.blockAlign;
  t.wave.bitsPerSample = 16;
  return t;
}

// A media type the layer can encode: WMA V8 (wmav2) of 1 or 2 channels.
bool IsWritableCodecType(const WmMediaType& t) {
  return t.majorType == WmMajorType::kAudio && t.formatType == WmFormatType::kWaveFormatEx &&
         t.wave.formatTag == kWaveFormatWMAudioV8 && t.wave.channels >= 1 && t.wave.channels <= 2 &&
         t.wave.samplesPerSec >= 8000 && t.wave.samplesPerSec <= 48000;
}

}  // namespace

WmStatus WmBuffer::SetLength(uint32_t length) {
  if (length > m_bytes.size()) return WmStatus::kFailed;
  m_length = length;
  return WmStatus::kOk;
}

struct WmWriter::Session {
  // Declared first so that it outlives the muxer that writes through it.
  AsfFileOutput out;
  ffmpeg::OutputContext mux;
  AVStream* stream = nullptr;
  ffmpeg::FrameEncoder encoder;
  ffmpeg::Resampler swr;
  int inChannels = 0;
  std::vector<std::vector<float>> pending;  // converted samples per channel
  std::vector<std::vector<float>> staging;
  std::vector<uint8_t> objects;
  uint32_t objectCount = 0;

  ~Session() {
    // The muxer's I/O context belongs to `out`: keep the muxer from closing it.
    if (mux) mux->pb = nullptr;
  }

  int WritePacket(AVPacket* p) {
    p->stream_index = stream->index;
    av_packet_rescale_ts(p, encoder.Codec()->time_base, stream->time_base);
    return av_interleaved_write_frame(mux.get(), p);
  }

  bool EncodePending(bool flushAll);
  bool Convert(const uint8_t* pcm, int frames);
};

bool WmWriter::Session::Convert(const uint8_t* pcm, int frames) {
  const int channels = encoder.Codec()->ch_layout.nb_channels;
  const int capacity = swr_get_out_samples(swr.get(), frames);
  if (capacity < 0) return false;
  std::vector<uint8_t*> out(channels);
  for (int c = 0; c < channels; ++c) {
    staging[c].resize(static_cast<size_t>(capacity));
    out[c] = reinterpret_cast<uint8_t*>(staging[c].data());
  }
  const uint8_t* in[1] = {pcm};
  const int got = swr_convert(swr.get(), out.data(), capacity, pcm ? in : nullptr, frames);
  if (got < 0) return false;
  for (int c = 0; c < channels; ++c) {
    pending[c].insert(pending[c].end(), staging[c].begin(), staging[c].begin() + got);
  }
  return true;
}

// Encodes every whole frame of pending samples; with `flushAll` also the
// remainder, completed with silence.
bool WmWriter::Session::EncodePending(bool flushAll) {
  const int frameSize = encoder.Codec()->frame_size;
  const int channels = encoder.Codec()->ch_layout.nb_channels;
  bool ok = true;
  size_t used = 0;
  const size_t have = pending[0].size();
  while (have - used >= static_cast<size_t>(frameSize) || (flushAll && have > used)) {
    AVFrame* frame = encoder.NextFrame(frameSize);
    if (!frame) return false;
    const size_t take = std::min(have - used, static_cast<size_t>(frameSize));
    for (int c = 0; c < channels; ++c) {
      auto* dst = reinterpret_cast<float*>(frame->extended_data[c]);
      std::copy_n(pending[c].begin() + used, take, dst);
      std::fill(dst + take, dst + frameSize, 0.0f);
    }
    used += take;
    // A frame the encoder cannot code is lost; the writer goes on.
    ok = encoder.Send([this](AVPacket* p) { return WritePacket(p); }) >= 0 && ok;
  }
  for (int c = 0; c < channels; ++c)
    pending[c].erase(pending[c].begin(), pending[c].begin() + used);
  return ok;
}

WmWriter::WmWriter() = default;

WmWriter::~WmWriter() {
  if (m_session) m_session->out.Discard();
}

WmStatus WmWriter::SetProfile(const WmProfile& profile) {
  if (m_session) return WmStatus::kFailed;
  const std::vector<WmStreamConfig>& streams = profile.Streams();
  if (streams.size() != 1 || streams[0].GetStreamType() != WmMajorType::kAudio ||
      !IsWritableCodecType(streams[0].GetMediaType())) {
    return WmStatus::kFailed;
  }
  m_profile = profile;
  m_hasProfile = true;
  m_codecType = streams[0].GetMediaType();
  m_codecBitrate = streams[0].GetBitrate();
  m_inputType = PcmType(m_codecType.wave.samplesPerSec, m_codecType.wave.channels);
  return WmStatus::kOk;
}

WmStatus WmWriter::GetInputCount(uint32_t& count) const {
  if (!m_hasProfile) return WmStatus::kFailed;
  count = 1;
  return WmStatus::kOk;
}

WmStatus WmWriter::GetInputProps(uint32_t input, WmMediaType& type) const {
  if (!m_hasProfile || input != 0) return WmStatus::kFailed;
  type = m_inputType;
  return WmStatus::kOk;
}

WmStatus WmWriter::SetInputProps(uint32_t input, const WmMediaType& type) {
  if (!m_hasProfile || input != 0 || m_session) return WmStatus::kFailed;
  const WmWaveFormat& w = type.wave;
  if (type.majorType != WmMajorType::kAudio || type.subtype != WmSubtype::kPcm ||
      type.formatType != WmFormatType::kWaveFormatEx || w.formatTag != kWaveFormatPcm ||
      w.bitsPerSample != 16 || w.channels < 1 || w.channels > kMaxInputChannels ||
      w.samplesPerSec < kMinInputRate || w.samplesPerSec > kMaxInputRate ||
      w.blockAlign != 2 * w.channels) {
    return WmStatus::kFailed;
  }
  m_inputType = type;
  return WmStatus::kOk;
}

WmStatus WmWriter::AddAttribute(uint16_t streamNumber, const std::string& name,
                                const WmAttribute& value) {
  if (m_session || streamNumber != 0 || name.empty()) return WmStatus::kFailed;
  std::vector<AsfNamedAttribute> candidate = m_attributes;
  candidate.push_back({name, streamNumber, value});
  std::vector<uint8_t> objects;
  uint32_t count = 0;
  if (!BuildAttributeObjects(candidate, objects, count)) return WmStatus::kFailed;
  m_attributes = std::move(candidate);
  return WmStatus::kOk;
}

WmStatus WmWriter::SetOutputFilename(const std::string& path) {
  if (m_session || path.empty()) return WmStatus::kFailed;
  m_path = path;
  return WmStatus::kOk;
}

WmStatus WmWriter::BeginWriting() {
  if (m_session || !m_hasProfile || m_path.empty()) return WmStatus::kFailed;
  auto s = std::make_unique<Session>();
  if (!BuildAttributeObjects(m_attributes, s->objects, s->objectCount)) return WmStatus::kFailed;

  const int rate = static_cast<int>(m_codecType.wave.samplesPerSec);
  const int channels = m_codecType.wave.channels;
  const int64_t bitRate =
      m_codecBitrate ? m_codecBitrate : int64_t{m_codecType.wave.avgBytesPerSec} * 8;
  s->encoder = OpenWmaEncoder(rate, channels, bitRate);
  s->mux = ffmpeg::MakeOutput("asf");
  if (!s->encoder || !s->mux) return WmStatus::kFailed;

  // No "encoder" tag and no attributes from the muxer: the layer writes them.
  s->mux->flags |= AVFMT_FLAG_BITEXACT;
  s->stream = avformat_new_stream(s->mux.get(), nullptr);
  const AVCodecContext* encoder = s->encoder.Codec();
  if (!s->stream || avcodec_parameters_from_context(s->stream->codecpar, encoder) < 0) {
    return WmStatus::kFailed;
  }
  s->stream->time_base = AVRational{1, rate};

  s->inChannels = m_inputType.wave.channels;
  ffmpeg::ChannelLayout inLayout = ffmpeg::ChannelLayout::Default(s->inChannels);
  SwrContext* raw = nullptr;
  const int swrRc = swr_alloc_set_opts2(
      &raw, &s->encoder.Codec()->ch_layout, AV_SAMPLE_FMT_FLTP, rate, inLayout.Pointer(),
      AV_SAMPLE_FMT_S16, static_cast<int>(m_inputType.wave.samplesPerSec), 0, nullptr);
  s->swr.reset(raw);
  if (swrRc < 0 || !s->swr || swr_init(s->swr.get()) < 0) return WmStatus::kFailed;
  s->pending.resize(channels);
  s->staging.resize(channels);

  if (!s->out.Create(m_path, s->objects.size())) {
    s->out.Discard();
    return WmStatus::kFailed;
  }
  s->mux->pb = s->out.Avio();
  s->mux->flags |= AVFMT_FLAG_CUSTOM_IO;
  ffmpeg::Dictionary options;
  options.Set("packet_size", std::to_string(AsfPacketSizeFor(encoder->block_align)).c_str());
  if (avformat_write_header(s->mux.get(), options.Address()) < 0) {
    s->out.Discard();
    return WmStatus::kFailed;
  }
  avio_flush(s->mux->pb);
  if (!s->out.HeaderWritten()) {
    s->out.Discard();
    return WmStatus::kFailed;
  }
  m_session = std::move(s);
  return WmStatus::kOk;
}

WmStatus WmWriter::AllocateSample(uint32_t size, std::unique_ptr<WmBuffer>& buffer) {
  buffer.reset();
  if (!m_session || size > kMaxSampleBytes) return WmStatus::kFailed;
  buffer = std::make_unique<WmBuffer>(size);
  return WmStatus::kOk;
}

WmStatus WmWriter::WriteSample(uint32_t input, int64_t time, uint32_t flags,
                               const WmBuffer& sample) {
  (void)time;
  (void)flags;
  if (!m_session || input != 0) return WmStatus::kFailed;
  Session& s = *m_session;
  const uint32_t frameBytes = 2u * static_cast<uint32_t>(s.inChannels);
  const int frames = static_cast<int>(sample.GetLength() / frameBytes);
  if (frames == 0) return WmStatus::kOk;
  if (!s.Convert(sample.GetBuffer(), frames)) return WmStatus::kFailed;
  return s.EncodePending(false) ? WmStatus::kOk : WmStatus::kFailed;
}

WmStatus WmWriter::EndWriting() {
  if (!m_session) return WmStatus::kFailed;
  std::unique_ptr<Session> s = std::move(m_session);
  // A frame the encoder cannot code is lost, as in WriteSample; only the
  // muxer and the file decide whether the file is usable.
  if (s->Convert(nullptr, 0)) s->EncodePending(true);  // what the converter still holds
  s->encoder.Flush([&s](AVPacket* p) { return s->WritePacket(p); });
  bool ok = av_write_trailer(s->mux.get()) >= 0;
  avio_flush(s->mux->pb);
  ok = ok && s->mux->pb->error >= 0 && s->out.Finish(s->objects, s->objectCount);
  if (!ok) s->out.Discard();
  return ok ? WmStatus::kOk : WmStatus::kFailed;
}

std::unique_ptr<WmWriter> CreateWmWriter() {
  if (!IsWindowsMediaRuntimeLoaded()) return nullptr;
  return std::make_unique<WmWriter>();
}

}  // namespace sondrel
