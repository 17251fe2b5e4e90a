#include "support/fake_decoder.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sondrel::test {

void FakeDecoder::Close() {
  m_open = false;
  m_frame = 0;
  ResetProperties();
}

int FakeDecoder::Open(const std::string&, int renderRate) {
  Close();
  m_renderRate = renderRate;
  if (!m_script.openSucceeds) {
    if (m_log) m_log->push_back(m_name + ":fail");
    return 0;
  }
  if (m_log) m_log->push_back(m_name + ":open");
  m_open = true;
  SetChannelProperties(m_script.channels);
  m_sampleRate = m_script.sampleRate;
  m_bitRate = m_script.bitRate;
  m_length = m_script.frames;
  m_duration = m_script.sampleRate > 0 ? static_cast<int>(m_script.frames / m_script.sampleRate) : 0;
  return 1;
}

int16_t FakeDecoder::SampleAt(int64_t frame, int channel) const {
  const double f = m_script.frequency * (channel == 0 ? 1.0 : 1.5);
  const double t = static_cast<double>(frame) / std::max(1, m_script.sampleRate);
  switch (m_script.wave) {
    case FakeDecoderScript::Wave::Constant:
      return channel == 0 ? m_script.amplitude : static_cast<int16_t>(-m_script.amplitude);
    case FakeDecoderScript::Wave::Square:
      return std::sin(2 * std::numbers::pi * f * t) >= 0 ? m_script.amplitude
                                                          : static_cast<int16_t>(-m_script.amplitude);
    case FakeDecoderScript::Wave::Sine:
    default:
      return static_cast<int16_t>(m_script.amplitude * std::sin(2 * std::numbers::pi * f * t));
  }
}

int FakeDecoder::Read(int16_t* left, int16_t* right) {
  if (!m_open) return 0;
  int64_t end = m_script.frames;
  if (m_script.failReadAfterFrames >= 0) end = std::min(end, m_script.failReadAfterFrames);
  const int n = static_cast<int>(std::min<int64_t>(kBlockFrames, end - m_frame));
  if (n <= 0) return 0;
  for (int i = 0; i < n; ++i) {
    left[i] = SampleAt(m_frame + i, 0);
    if (m_outputChannels == 2 && right) right[i] = SampleAt(m_frame + i, 1);
  }
  m_frame += n;
  m_position = m_frame;
  return n;
}

int FakeDecoder::GetTags(TagInfo& tags) {
  if (!m_script.hasTags) return 0;
  tags = m_script.tags;
  return 1;
}

ReaderFactories::Make FakeFactory(FakeDecoderScript script, std::string name,
                                  std::vector<std::string>* log) {
  return [script, name, log]() -> std::unique_ptr<Decoder> {
    return std::make_unique<FakeDecoder>(script, name, log);
  };
}

}  // namespace sondrel::test
