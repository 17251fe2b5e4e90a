// Owners for FFmpeg's handles, so that every path through a reader or a writer
// frees what it made. Each owner is a unique_ptr with a deleter that calls the
// matching FFmpeg release function; the Make/Open functions return an empty
// owner on failure. Local paths are always opened as files (never as URLs or
// protocol names), so a file name containing ':' cannot reach the network or
// another protocol.
//
// The pipeline built on these owners lives beside them: ffmpeg_decoding.h
// (open a decoder, packets in, frames out), frame_samples.h (frames to and
// from 16-bit samples) and ffmpeg_encoding.h (open an encoder, frames in,
// packets out).
#pragma once

#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
}

namespace sondrel::ffmpeg {

// A deleter for the FFmpeg release functions that take the address of the
// pointer (and clear it).
template <typename T, void (*Release)(T**)>
struct ReleaseWith {
  void operator()(T* p) const { Release(&p); }
};

// An input opened with avformat_open_input; closes it.
using InputContext =
    std::unique_ptr<AVFormatContext, ReleaseWith<AVFormatContext, avformat_close_input>>;

// An output made with avformat_alloc_output_context2; closes its file (when
// the muxer writes to one and it was opened) and frees the context with its
// streams and metadata.
struct OutputContextDeleter {
  void operator()(AVFormatContext* c) const;
};
using OutputContext = std::unique_ptr<AVFormatContext, OutputContextDeleter>;

using CodecContext =
    std::unique_ptr<AVCodecContext, ReleaseWith<AVCodecContext, avcodec_free_context>>;
using Frame = std::unique_ptr<AVFrame, ReleaseWith<AVFrame, av_frame_free>>;
using Packet = std::unique_ptr<AVPacket, ReleaseWith<AVPacket, av_packet_free>>;
using Resampler = std::unique_ptr<SwrContext, ReleaseWith<SwrContext, swr_free>>;

// An AVDictionary*; the owner holds the pointer itself because FFmpeg's
// dictionary calls replace it.
class Dictionary {
 public:
  Dictionary() = default;
  ~Dictionary() { av_dict_free(&m_dict); }
  Dictionary(const Dictionary&) = delete;
  Dictionary& operator=(const Dictionary&) = delete;

  AVDictionary** Address() { return &m_dict; }
  AVDictionary* Get() const { return m_dict; }
  // Sets a key (key and value copied); negative on failure.
  int Set(const char* key, const char* value) { return av_dict_set(&m_dict, key, value, 0); }

 private:
  AVDictionary* m_dict = nullptr;
};

// An AVChannelLayout value (a custom order holds a map that must be freed).
// Empty (no channels) until set; movable, so that records holding one can
// live in vectors.
class ChannelLayout {
 public:
  ChannelLayout() = default;
  ~ChannelLayout() { av_channel_layout_uninit(&m_layout); }
  ChannelLayout(ChannelLayout&& other) noexcept : m_layout(other.m_layout) { other.m_layout = {}; }
  ChannelLayout& operator=(ChannelLayout&& other) noexcept;
  ChannelLayout(const ChannelLayout&) = delete;
  ChannelLayout& operator=(const ChannelLayout&) = delete;

  // FFmpeg's default layout for `channels` (mono is front centre, stereo
  // front left and right, more channels the usual surround layouts).
  static ChannelLayout Default(int channels);
  // A copy of `layout`; an unspecified order becomes the default layout of
  // its channel count. Empty when memory runs out.
  static ChannelLayout Of(const AVChannelLayout& layout);

  const AVChannelLayout& Get() const { return m_layout; }
  // For FFmpeg 5.1 calls that take a layout they do not change as non-const.
  AVChannelLayout* Pointer() { return &m_layout; }
  int Channels() const { return m_layout.nb_channels; }
  bool operator==(const ChannelLayout& other) const {
    return av_channel_layout_compare(&m_layout, &other.m_layout) == 0;
  }

 private:
  AVChannelLayout m_layout{};
};

// Memory from av_malloc.
struct AvFreeDeleter {
  void operator()(void* p) const { av_free(p); }
};
template <typename T>
using AvBuffer = std::unique_ptr<T, AvFreeDeleter>;

// The URL under which FFmpeg opens a local path as a plain file.
std::string FileUrl(const std::string& path);

struct InputOptions {
  // The demuxer's short name ("aac", "mov"); null probes the content.
  const char* format = nullptr;
  // Also read the streams' parameters (avformat_find_stream_info).
  bool analyse = false;
};

// Opens a local file for demuxing, allowing only the file protocol. Empty on
// failure; `error` receives FFmpeg's code (0 when only the analysis failed).
InputContext OpenInput(const std::string& path, const InputOptions& options = {},
                       int* error = nullptr);

// An output context for the muxer with this short name ("mp3", "ipod", ...).
// Empty when the muxer is unknown or memory runs out.
OutputContext MakeOutput(const char* muxerName);

// Creates (or truncates) `path` as the output's file; nothing to do for a
// muxer that writes no file. Negative FFmpeg code on failure.
int OpenOutputFile(AVFormatContext* output, const std::string& path);

CodecContext MakeCodecContext(const AVCodec* codec);
Frame MakeFrame();
Packet MakePacket();

// FFmpeg's text for an error code.
std::string ErrorText(int error);

// Keeps FFmpeg from writing its diagnostics to the terminal (only fatal ones).
void QuietLog();

}  // namespace sondrel::ffmpeg
