#include "platform/ffmpeg/ffmpeg_handles.h"

#include <mutex>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

namespace sondrel::ffmpeg {

void OutputContextDeleter::operator()(AVFormatContext* c) const {
  if (!c) return;
  if (c->pb && !(c->oformat->flags & AVFMT_NOFILE)) avio_closep(&c->pb);
  avformat_free_context(c);
}

ChannelLayout& ChannelLayout::operator=(ChannelLayout&& other) noexcept {
  if (this != &other) {
    av_channel_layout_uninit(&m_layout);
    m_layout = other.m_layout;
    other.m_layout = {};
  }
  return *this;
}

ChannelLayout ChannelLayout::Default(int channels) {
  ChannelLayout layout;
  av_channel_layout_default(&layout.m_layout, channels);
  return layout;
}

ChannelLayout ChannelLayout::Of(const AVChannelLayout& from) {
  if (from.order == AV_CHANNEL_ORDER_UNSPEC) return Default(from.nb_channels);
  ChannelLayout layout;
  if (av_channel_layout_copy(&layout.m_layout, &from) < 0) return {};
  return layout;
}

std::string FileUrl(const std::string& path) { return "file:" + path; }

InputContext OpenInput(const std::string& path, const InputOptions& options, int* error) {
  if (error) *error = 0;
  const AVInputFormat* format = nullptr;
  if (options.format && !(format = av_find_input_format(options.format))) {
    if (error) *error = AVERROR_DEMUXER_NOT_FOUND;
    return {};
  }
  AVFormatContext* c = avformat_alloc_context();
  if (!c) {
    if (error) *error = AVERROR(ENOMEM);
    return {};
  }
  Dictionary settings;
  settings.Set("protocol_whitelist", "file");
  // avformat_open_input frees the context itself when it fails.
  const int rc = avformat_open_input(&c, FileUrl(path).c_str(), format, settings.Address());
  if (error) *error = rc;
  if (rc < 0) return {};
  InputContext input(c);
  if (options.analyse && avformat_find_stream_info(input.get(), nullptr) < 0) return {};
  return input;
}

OutputContext MakeOutput(const char* muxerName) {
  if (!muxerName || !*muxerName) return {};
  AVFormatContext* c = nullptr;
  if (avformat_alloc_output_context2(&c, nullptr, muxerName, nullptr) < 0) return {};
  return OutputContext(c);
}

int OpenOutputFile(AVFormatContext* output, const std::string& path) {
  if (output->oformat->flags & AVFMT_NOFILE) return 0;
  // Some muxers look at the file name (the MPEG-4 family checks its extension).
  if (!output->url) output->url = av_strdup(FileUrl(path).c_str());
  Dictionary options;
  options.Set("protocol_whitelist", "file");
  return avio_open2(&output->pb, FileUrl(path).c_str(), AVIO_FLAG_WRITE, nullptr,
                    options.Address());
}

CodecContext MakeCodecContext(const AVCodec* codec) {
  return CodecContext(avcodec_alloc_context3(codec));
}

Frame MakeFrame() { return Frame(av_frame_alloc()); }

Packet MakePacket() { return Packet(av_packet_alloc()); }

std::string ErrorText(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return text;
}

void QuietLog() {
  // Readers on several threads call this; the level is set once.
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_FATAL); });
}

}  // namespace sondrel::ffmpeg
