// The FFmpeg probe: opens a container and reads the properties of its first
// audio stream for the file list; it delivers no samples. A file without an
// audio stream opens too, with every property 0 and HasAudio 0.
#pragma once

#include <string>

#include "decode/decoder.h"
#include "platform/ffmpeg/ffmpeg_handles.h"

namespace sondrel {

class FfmpegProbe : public Decoder {
 public:
  void Close() override;
  int Open(const std::string& path, int renderRate) override;
  int Read(int16_t* left, int16_t* right) override;
  int HasAudio() override { return m_streamIndex >= 0 ? 1 : 0; }

 private:
  ffmpeg::InputContext m_input;
  int m_streamIndex = -1;
};

}  // namespace sondrel
