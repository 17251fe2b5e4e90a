#include "support/av_fixture.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/ffmpeg/ffmpeg_handles.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

namespace sondrel::test {

namespace {

struct Writer {
  ffmpeg::OutputContext out;
  AVStream* audioStream = nullptr;
  AVStream* videoStream = nullptr;
  ffmpeg::CodecContext audio;
  ffmpeg::CodecContext video;
  ffmpeg::Packet packet = ffmpeg::MakePacket();

  bool Drain(AVCodecContext* enc, AVStream* st) {
    for (;;) {
      const int rc = avcodec_receive_packet(enc, packet.get());
      if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
      if (rc < 0) return false;
      av_packet_rescale_ts(packet.get(), enc->time_base, st->time_base);
      packet->stream_index = st->index;
      if (av_interleaved_write_frame(out.get(), packet.get()) < 0) return false;
    }
  }
};

bool Fail(std::string* error, const std::string& what) {
  if (error) *error = what;
  return false;
}

void FillAudio(AVFrame* f, const std::vector<std::vector<float>>& planes, int first) {
  const auto fmt = static_cast<AVSampleFormat>(f->format);
  const bool planar = av_sample_fmt_is_planar(fmt);
  const int ch = f->ch_layout.nb_channels;
  for (int c = 0; c < ch; ++c) {
    for (int i = 0; i < f->nb_samples; ++i) {
      const size_t at = static_cast<size_t>(first + i);
      const float v = at < planes[c].size() ? planes[c][at] : 0.0f;
      const int idx = planar ? i : i * ch + c;
      uint8_t* base = f->extended_data[planar ? c : 0];
      switch (av_get_packed_sample_fmt(fmt)) {
        case AV_SAMPLE_FMT_FLT:
          reinterpret_cast<float*>(base)[idx] = v;
          break;
        case AV_SAMPLE_FMT_DBL:
          reinterpret_cast<double*>(base)[idx] = v;
          break;
        case AV_SAMPLE_FMT_S16:
          reinterpret_cast<int16_t*>(base)[idx] =
              static_cast<int16_t>(std::lrint(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
          break;
        case AV_SAMPLE_FMT_S32:
          reinterpret_cast<int32_t*>(base)[idx] =
              static_cast<int32_t>(std::lrint(std::clamp(v, -1.0f, 1.0f) * 2147483392.0));
          break;
        case AV_SAMPLE_FMT_U8:
          base[idx] = static_cast<uint8_t>(std::lrint(std::clamp(v, -1.0f, 1.0f) * 127.0f) + 128);
          break;
        default:
          break;
      }
    }
  }
}

}  // namespace

bool WriteAvFixture(const std::string& path, const AvFixture& fx, std::string* error) {
  Writer w;
  w.out = ffmpeg::MakeOutput(fx.muxer.c_str());
  if (!w.out || !w.packet) return Fail(error, "no muxer " + fx.muxer);
  const bool globalHeader = w.out->oformat->flags & AVFMT_GLOBALHEADER;
  const int frames = fx.audio.empty() ? 0 : static_cast<int>(fx.audio[0].size());

  if (!fx.audioEncoder.empty()) {
    const AVCodec* codec = avcodec_find_encoder_by_name(fx.audioEncoder.c_str());
    if (!codec) return Fail(error, "no encoder " + fx.audioEncoder);
    w.audio = ffmpeg::MakeCodecContext(codec);
    AVCodecContext* a = w.audio.get();
    a->sample_rate = fx.sampleRate;
    if (fx.channelMask) {
      av_channel_layout_from_mask(&a->ch_layout, fx.channelMask);
    } else {
      av_channel_layout_default(&a->ch_layout, static_cast<int>(fx.audio.size()));
    }
    a->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    a->time_base = {1, fx.sampleRate};
    a->strict_std_compliance = FF_COMPLIANCE_EXPERIMENTAL;
    if (fx.bitRate) a->bit_rate = fx.bitRate;
    if (globalHeader) a->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(a, codec, nullptr) < 0) return Fail(error, "audio encoder refused");
    w.audioStream = avformat_new_stream(w.out.get(), nullptr);
    avcodec_parameters_from_context(w.audioStream->codecpar, a);
    w.audioStream->time_base = a->time_base;
  } else if (!fx.rawAudioCodec.empty()) {
    const AVCodecDescriptor* d = avcodec_descriptor_get_by_name(fx.rawAudioCodec.c_str());
    if (!d) return Fail(error, "no codec " + fx.rawAudioCodec);
    w.audioStream = avformat_new_stream(w.out.get(), nullptr);
    AVCodecParameters* par = w.audioStream->codecpar;
    par->codec_type = AVMEDIA_TYPE_AUDIO;
    par->codec_id = d->id;
    par->sample_rate = fx.sampleRate;
    av_channel_layout_default(&par->ch_layout, 1);
    par->frame_size = fx.sampleRate / 50;
    w.audioStream->time_base = {1, fx.sampleRate};
  }

  if (fx.video) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    if (!codec) return Fail(error, "no mpeg4 encoder");
    w.video = ffmpeg::MakeCodecContext(codec);
    AVCodecContext* v = w.video.get();
    v->width = 64;
    v->height = 48;
    v->pix_fmt = AV_PIX_FMT_YUV420P;
    v->time_base = {1, 10};
    v->framerate = {10, 1};
    v->gop_size = 10;
    if (globalHeader) v->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(v, codec, nullptr) < 0) return Fail(error, "video encoder refused");
    w.videoStream = avformat_new_stream(w.out.get(), nullptr);
    avcodec_parameters_from_context(w.videoStream->codecpar, v);
    w.videoStream->time_base = v->time_base;
  }

  for (const auto& [key, value] : fx.metadata) {
    av_dict_set(&w.out->metadata, key.c_str(), value.c_str(), 0);
  }
  if (ffmpeg::OpenOutputFile(w.out.get(), path) < 0) return Fail(error, "cannot create file");
  if (avformat_write_header(w.out.get(), nullptr) < 0) return Fail(error, "header refused");

  // Video frames first (a muxer interleaves by time stamp).
  if (w.video) {
    const double seconds = frames ? static_cast<double>(frames) / fx.sampleRate : fx.videoSeconds;
    ffmpeg::Frame pic = ffmpeg::MakeFrame();
    pic->format = w.video->pix_fmt;
    pic->width = w.video->width;
    pic->height = w.video->height;
    if (av_frame_get_buffer(pic.get(), 0) < 0) return Fail(error, "no picture");
    const int count = static_cast<int>(seconds * 10);
    for (int i = 0; i < count; ++i) {
      av_frame_make_writable(pic.get());
      for (int p = 0; p < 3; ++p) {
        const int h = p ? pic->height / 2 : pic->height;
        for (int y = 0; y < h; ++y) {
          std::fill_n(pic->data[p] + y * pic->linesize[p], p ? pic->width / 2 : pic->width,
                      static_cast<uint8_t>(p ? 128 : (i * 10 + y) & 0xff));
        }
      }
      pic->pts = i;
      if (avcodec_send_frame(w.video.get(), pic.get()) < 0 ||
          !w.Drain(w.video.get(), w.videoStream)) {
        return Fail(error, "video encode");
      }
    }
    avcodec_send_frame(w.video.get(), nullptr);
    if (!w.Drain(w.video.get(), w.videoStream)) return Fail(error, "video drain");
  }

  if (w.audio) {
    AVCodecContext* a = w.audio.get();
    const int frameSize = a->frame_size > 0 ? a->frame_size : 1024;
    ffmpeg::Frame f = ffmpeg::MakeFrame();
    for (int first = 0; first < frames; first += frameSize) {
      f->format = a->sample_fmt;
      av_channel_layout_copy(&f->ch_layout, &a->ch_layout);
      f->sample_rate = a->sample_rate;
      f->nb_samples = std::min(frameSize, frames - first);
      if (a->frame_size > 0 && !(a->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME)) {
        f->nb_samples = frameSize;
      }
      if (av_frame_get_buffer(f.get(), 0) < 0) return Fail(error, "no audio frame");
      FillAudio(f.get(), fx.audio, first);
      f->pts = first;
      if (avcodec_send_frame(a, f.get()) < 0 || !w.Drain(a, w.audioStream)) {
        return Fail(error, "audio encode");
      }
      av_frame_unref(f.get());
    }
    avcodec_send_frame(a, nullptr);
    if (!w.Drain(a, w.audioStream)) return Fail(error, "audio drain");
  } else if (w.audioStream) {
    std::vector<std::string> packets = fx.rawPackets;
    for (int i = 0; packets.empty() && i < 50; ++i) {
      packets.push_back(std::string(fx.rawPacketBytes, static_cast<char>(0x3c + i)));
    }
    int64_t pts = 0;
    for (const std::string& bytes : packets) {
      if (av_new_packet(w.packet.get(), static_cast<int>(bytes.size())) < 0) {
        return Fail(error, "packet");
      }
      std::copy(bytes.begin(), bytes.end(), w.packet->data);
      w.packet->pts = w.packet->dts = pts;
      w.packet->duration =
          fx.rawPackets.empty() ? fx.sampleRate / 50 : std::max<int64_t>(1, bytes.size() / 2);
      pts += w.packet->duration;
      av_packet_rescale_ts(w.packet.get(), AVRational{1, fx.sampleRate}, w.audioStream->time_base);
      w.packet->stream_index = w.audioStream->index;
      if (av_interleaved_write_frame(w.out.get(), w.packet.get()) < 0) {
        return Fail(error, "raw packet");
      }
    }
  }
  if (av_write_trailer(w.out.get()) < 0) return Fail(error, "trailer");
  return true;
}

std::vector<float> Sine(double frequency, int sampleRate, int frames, double amplitude) {
  std::vector<float> s(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    s[i] =
        static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * frequency * i / sampleRate));
  }
  return s;
}

std::vector<int16_t> Sine16(double frequency, int sampleRate, int frames, double amplitude) {
  std::vector<int16_t> s(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    s[i] = static_cast<int16_t>(std::lrint(
        32767 * amplitude * std::sin(2 * std::numbers::pi * frequency * i / sampleRate)));
  }
  return s;
}

double ToneLevel(const std::vector<int16_t>& samples, double frequency, int sampleRate) {
  if (samples.empty()) return 0;
  const double w = 2 * std::numbers::pi * frequency / sampleRate;
  double re = 0, im = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    re += samples[i] * std::cos(w * static_cast<double>(i));
    im += samples[i] * std::sin(w * static_cast<double>(i));
  }
  return 2 * std::hypot(re, im) / static_cast<double>(samples.size()) / 32768.0;
}

DecodedAudio ReadAll(Decoder& decoder, int maxReads) {
  DecodedAudio out;
  const bool stereo = decoder.GetOutputChannels() == 2;
  std::vector<int16_t> l(kBlockFrames), r(kBlockFrames);
  for (int i = 0; i < maxReads; ++i) {
    const int n = decoder.Read(l.data(), stereo ? r.data() : nullptr);
    if (n <= 0) {
      out.ended = true;
      break;
    }
    out.blockSizes.push_back(n);
    out.left.insert(out.left.end(), l.begin(), l.begin() + n);
    if (stereo) out.right.insert(out.right.end(), r.begin(), r.begin() + n);
  }
  return out;
}

double Rms(const std::vector<int16_t>& samples) {
  if (samples.empty()) return 0;
  double sum = 0;
  for (int16_t s : samples) sum += static_cast<double>(s) * s;
  return std::sqrt(sum / static_cast<double>(samples.size())) / 32768.0;
}

std::vector<std::string> ReadPackets(const std::string& path) {
  std::vector<std::string> packets;
  ffmpeg::InputContext input = ffmpeg::OpenInput(path);
  ffmpeg::Packet packet = ffmpeg::MakePacket();
  if (!input || !packet) return packets;
  while (av_read_frame(input.get(), packet.get()) >= 0) {
    if (packet->stream_index == 0) {
      packets.emplace_back(reinterpret_cast<const char*>(packet->data),
                           static_cast<size_t>(packet->size));
    }
    av_packet_unref(packet.get());
  }
  return packets;
}

}  // namespace sondrel::test
