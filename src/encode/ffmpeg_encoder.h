// The FFmpeg writer: every output format of the catalogue except the AMR and
// Windows Media families. One audio stream, encoded by a libavcodec encoder
// chosen by the stored codec id and muxed by the row's muxer.
//
// Two paths feed the encoder. Codecs with a fixed frame size (MP3, AAC,
// FLAC, the ADPCM family...) take the framed path: samples are staged
// interleaved until a codec frame is full; a partial frame waits for the
// next Write and is completed at Close. The PCM family takes the direct
// path: each Write is converted and encoded in chunks whose size depends on
// the sample width. Packets carry time stamps from the sample count, so the
// container knows the exact duration.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "encode/encoder.h"
#include "encode/frame_codec.h"
#include "encode/lavc_codec.h"
#include "platform/ffmpeg/ffmpeg_handles.h"
#include "platform/file_tags.h"

namespace sondrel {

class FfmpegEncoder : public Encoder {
 public:
  ~FfmpegEncoder() override;

  // Texts are in the locale's charset; they are stored as UTF-8. Empty texts
  // and a track below 1 are left out. Each field lands once, in the
  // container's standard field: through the muxer where its mapping does
  // that, else written with TagLib into the finished file at Close (MP3,
  // MP2, the MPEG-4 family, FLAC, Ogg), which also stores the cover.
  void SetTags(const std::string& title, const std::string& artist, const std::string& album,
               const std::string& genre, const std::string& year, const std::string& comment,
               const std::string& composer, const std::string& copyright, int track) override;
  void SetCover(SharedCover cover) override { m_tags.cover = std::move(cover); }
  void SetOutputPath(const std::string& path) override { m_path = path; }
  void SetSampleRate(int hertz) override { m_sampleRate = hertz; }
  void SetChannels(int count) override { m_channels = count; }
  // Bits per second; bits per code word (2 to 5) for G.726.
  void SetBitRate(int value) override { m_bitRate = value; }
  // Takes an FfmpegFormatParams record; any other record clears the format.
  void SetFormat(const FormatParams& params) override;

  // Fails (0, writer back to its initial state, no file left behind) for an
  // unknown muxer, a codec without an encoder in this build, parameters the
  // codec or the muxer refuses, or a file that cannot be created.
  int Open() override;
  int Write(const int16_t* left, const int16_t* right, int frames) override;
  int Close() override;

  // Frames staged for the next codec frame (framed path).
  int StagedFrames() const { return m_channels > 0 ? m_held / m_channels : 0; }
  // Called with the frame count of every block handed to the codec (tests).
  void SetCodecCallObserver(std::function<void(int frames)> observer) {
    m_observer = std::move(observer);
  }

 private:
  // Frees everything and returns every field to the initial state; deletes
  // the file when `removeFile` and this writer created it.
  void Reset(bool removeFile);
  // Gives the tags to a muxer that stores them itself; negative on failure.
  int SetMuxerMetadata();
  int WritePacket(AVPacket* packet);
  int WriteFramed(const int16_t* left, const int16_t* right, int frames);
  int WriteDirect(const int16_t* left, const int16_t* right, int frames);

  // Settings.
  std::string m_muxerName;
  int m_codecId = 0;  // stored (old-generation) id
  std::string m_path;
  int m_sampleRate = 0;
  int m_bitRate = 0;
  int m_channels = 0;
  FileTagFields m_tags;  // UTF-8

  // Open state.
  ffmpeg::OutputContext m_output;
  AVStream* m_stream = nullptr;
  std::unique_ptr<FrameCodec> m_frameCodec;  // framed path
  std::unique_ptr<LavcCodec> m_directCodec;  // direct path
  bool m_fileCreated = false;
  bool m_open = false;
  PacketSink m_sink;
  // Framed path.
  std::vector<int16_t> m_staging;
  int m_held = 0;       // 16-bit values staged (not frames)
  int m_frameSize = 0;  // frames per codec frame
  // Direct path.
  int m_chunkFrames = 0;
  std::function<void(int)> m_observer;
};

}  // namespace sondrel
