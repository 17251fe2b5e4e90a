// Headerless 16-bit native-order PCM: the temporary file of DTS preprocessing.
#pragma once

#include <vector>

#include "encode/encoder.h"
#include "platform/file.h"

namespace sondrel {

// Two channels are interleaved L, R, L, R ... and written in chunks of at most
// 1152 frames per file write; one channel is written as the left plane.
// Only SetChannels and SetOutputPath are used; the other setters do nothing.
class RawPcmWriter : public Encoder {
 public:
  ~RawPcmWriter() override;

  void SetOutputPath(const std::string& path) override { m_path = path; }
  void SetChannels(int count) override { m_channels = count; }
  int Open() override;
  int Write(const int16_t* left, const int16_t* right, int frames) override;
  int Close() override;

 private:
  std::string m_path;
  int m_channels = 1;
  File m_file;
  std::vector<int16_t> m_interleaved;
};

}  // namespace sondrel
