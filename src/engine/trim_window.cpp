#include "engine/trim_window.h"

#include <cstring>

#include "decode/decoder.h"
#include "engine/settings.h"

namespace sondrel {

int64_t TrimWindow::FramesFor(int sampleRate, int milliseconds) {
  if (sampleRate <= 0 || milliseconds <= 0) return 0;
  // Formed in extended precision with 0.001 as a double, as the stored
  // option values have always been turned into frames.
  const long double seconds =
      static_cast<long double>(milliseconds) * static_cast<long double>(0.001);
  return static_cast<int64_t>(static_cast<long double>(sampleRate) * seconds);
}

void TrimWindow::Setup(int sampleRate, bool enableSkip, int skipMilliseconds, bool enableLimit,
                       int limitMilliseconds) {
  m_skipActive = enableSkip && skipMilliseconds > 0;
  m_skipRemaining = m_skipActive ? FramesFor(sampleRate, skipMilliseconds) : 0;
  m_limitActive = enableLimit && limitMilliseconds > 0;
  m_limitRemaining = m_limitActive ? FramesFor(sampleRate, limitMilliseconds) : 0;
}

void TrimWindow::Setup(Decoder& decoder, const ConvertSettings& settings) {
  Setup(decoder.GetSampleRate(), settings.EnableSkipLength != 0, settings.SkipLength,
        settings.EnableConvertLength != 0, settings.ConvertLength);
}

bool TrimWindow::SkipStep(int16_t* left, int16_t* right, int& n) {
  if (n <= 0 || !m_skipActive || m_skipRemaining <= 0) return true;
  m_skipRemaining -= n;
  if (m_skipRemaining >= 0) return false;
  // Skipping ends inside this block: keep its last frames.
  const int keep = static_cast<int>(-m_skipRemaining);
  const size_t bytes = static_cast<size_t>(keep) * sizeof(int16_t);
  if (left) std::memmove(left, left + (n - keep), bytes);
  if (right && right != left) std::memmove(right, right + (n - keep), bytes);
  n = keep;
  return true;
}

bool TrimWindow::LimitStep(int& n) {
  if (!m_limitActive) return true;
  if (m_limitRemaining <= 0) return false;
  if (n < 0) n = 0;
  if (n >= m_limitRemaining) {
    n = static_cast<int>(m_limitRemaining);
    m_limitRemaining = 0;
  } else {
    m_limitRemaining -= n;
  }
  return true;
}

}  // namespace sondrel
