// The writer of the Windows Media outputs (wma, wmv, asf): one WMA audio
// stream of a format chosen from the WmaFormatList, through the Windows Media
// layer's writer.
//
// Configured with SetSampleRate and SetChannels (the PCM fed in: the layer
// converts it to the format), SetBitRate (the chosen entry's bit rate) and
// SetFormat (a `const WmaFormatEntry*`, which the list keeps alive).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "encode/encoder.h"

namespace sondrel {

class WmWriter;

class WmaEncoder : public Encoder {
 public:
  WmaEncoder();
  ~WmaEncoder() override;

  void SetTags(const std::string& title, const std::string& artist, const std::string& album,
               const std::string& genre, const std::string& year, const std::string& comment,
               const std::string& composer, const std::string& copyright, int track) override;
  // The cover goes in as WM/Picture once the file is complete (a header
  // attribute that may exceed 64 KiB).
  void SetCover(SharedCover cover) override { m_cover = std::move(cover); }
  void SetOutputPath(const std::string& path) override { m_path = path; }
  void SetSampleRate(int hertz) override;
  void SetChannels(int count) override;
  void SetBitRate(int value) override { m_bitRate = value; }
  void SetFormat(const FormatParams& params) override;
  int Open() override;
  int Write(const int16_t* left, const int16_t* right, int frames) override;
  int Close() override;

  // Time of the next sample in 100-ns units.
  int64_t SampleTime() const { return m_sampleTime; }

 private:
  void AddTags();
  void Reset();

  std::string m_path;
  // UTF-8 copies; no value = absent.
  std::optional<std::string> m_title, m_album, m_artist, m_genre, m_year, m_comment, m_composer,
      m_copyright;
  int m_track = 0;
  SharedCover m_cover;
  int m_sampleRate = 0;
  int m_bitsPerSample = 0;
  int m_channels = 0;
  const WmaFormatEntry* m_format = nullptr;
  int m_bitRate = 0;
  std::unique_ptr<WmWriter> m_writer;
  uint32_t m_input = 0;
  int64_t m_sampleTime = 0;
  std::vector<int16_t> m_interleaved;
};

}  // namespace sondrel
