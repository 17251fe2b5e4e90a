#include "decode/ffmpeg_probe.h"

#include "decode/ffmpeg_input.h"

namespace sondrel {

void FfmpegProbe::Close() {
  m_input.reset();
  m_streamIndex = -1;
  ResetProperties();
}

int FfmpegProbe::Open(const std::string& path, int renderRate) {
  (void)renderRate;
  Close();
  m_input = OpenAnalysedInput(path);
  if (!m_input) return 0;
  m_streamIndex = FirstAudioStream(m_input.get(), false);
  if (m_streamIndex >= 0) {
    const AVCodecParameters* par = m_input->streams[m_streamIndex]->codecpar;
    m_sampleRate = par->sample_rate;
    m_bitRate = static_cast<int>(par->bit_rate / 1000);
    SetChannelProperties(par->ch_layout.nb_channels);
    if (par->ch_layout.nb_channels < 1) m_outputChannels = 1;
  }
  m_bitsPerSample = 16;
  m_bytesPerSample = 2;
  m_duration = DurationSeconds(m_input.get());
  // The probe keeps nothing open: the file list only reads the properties.
  m_input.reset();
  return 1;
}

int FfmpegProbe::Read(int16_t* left, int16_t* right) {
  (void)left;
  (void)right;
  return 0;
}

}  // namespace sondrel
