#include "decode/decoder.h"

namespace sondrel {

void Decoder::ResetProperties() {
  m_length = 0;
  m_position = 0;
  m_duration = 0;
  m_sampleRate = 0;
  m_channels = 0;
  m_outputChannels = 0;
  m_bitsPerSample = 0;
  m_bytesPerSample = 0;
  m_bitRate = 0;
}

void Decoder::SetChannelProperties(int channels) {
  m_channels = channels;
  m_outputChannels = channels == 1 ? 1 : 2;
  m_bitsPerSample = 16;
  m_bytesPerSample = 2;
}

}  // namespace sondrel
