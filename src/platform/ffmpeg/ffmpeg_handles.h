// Owners for FFmpeg's handles, so that every path through a reader or a writer
// frees what it made. Each owner is a unique_ptr with a deleter that calls the
// matching FFmpeg release function; the Make/Open functions return an empty
// owner on failure. Local paths are always opened as files (never as URLs or
// protocol names), so a file name containing ':' cannot reach the network or
// another protocol.
#pragma once

#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
}

namespace sondrel::ffmpeg {

// An input opened with avformat_open_input; closes it.
struct InputContextDeleter {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
using InputContext = std::unique_ptr<AVFormatContext, InputContextDeleter>;

// An output made with avformat_alloc_output_context2; closes its file (when
// the muxer writes to one and it was opened) and frees the context with its
// streams and metadata.
struct OutputContextDeleter {
  void operator()(AVFormatContext* c) const;
};
using OutputContext = std::unique_ptr<AVFormatContext, OutputContextDeleter>;

struct CodecContextDeleter {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextDeleter>;

struct FrameDeleter {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using Frame = std::unique_ptr<AVFrame, FrameDeleter>;

struct PacketDeleter {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using Packet = std::unique_ptr<AVPacket, PacketDeleter>;

struct SwrContextDeleter {
  void operator()(SwrContext* s) const { swr_free(&s); }
};
using Resampler = std::unique_ptr<SwrContext, SwrContextDeleter>;

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

// Memory from av_malloc.
struct AvFreeDeleter {
  void operator()(void* p) const { av_free(p); }
};
template <typename T>
using AvBuffer = std::unique_ptr<T, AvFreeDeleter>;

// The URL under which FFmpeg opens a local path as a plain file.
std::string FileUrl(const std::string& path);

// Opens a local file for demuxing (format probed from the content), allowing
// only the file protocol. Empty on failure; `error` receives FFmpeg's code.
InputContext OpenInput(const std::string& path, int* error = nullptr);

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
