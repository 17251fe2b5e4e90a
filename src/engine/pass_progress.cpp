#include "engine/pass_progress.h"

#include <algorithm>

namespace sondrel {

PassProgress::PassProgress(ProgressWindow& window, std::string verb, std::string fileName,
                           int64_t total)
    : m_window(window), m_verb(std::move(verb)), m_fileName(std::move(fileName)) {
  if (total <= 0) total = 1;
  m_hundredth = std::max<int64_t>(1, total / 100);
  m_barWidth = std::max(1, m_window.BarWidth(ProgressPart::Upper));
  m_pixelStep = std::max<int64_t>(1, total / m_barWidth);
  m_window.SetRange(ProgressPart::Upper, m_barWidth);
  m_window.SetPosition(ProgressPart::Upper, 0);
  m_window.SetText(ProgressPart::Upper, Text(0));
}

std::string PassProgress::Text(int percent) const {
  // Appended piece by piece: GCC 12 at -O3 warns falsely on a chain of "+".
  std::string text = "[";
  text.append(std::to_string(percent)).append("%] ").append(m_verb);
  text.append(" ").append(m_fileName).append("...");
  return text;
}

void PassProgress::Update(int64_t position) {
  // A reader that reports a negative position has made no progress.
  const int64_t pos = std::max<int64_t>(0, position);
  const int percent = static_cast<int>(std::min<int64_t>(100, pos / m_hundredth));
  if (percent > m_lastPercent) {
    m_lastPercent = percent;
    m_window.SetText(ProgressPart::Upper, Text(percent));
  }
  // A position past the length (or an unknown length) keeps the bar full.
  const int pixel = static_cast<int>(std::min<int64_t>(m_barWidth, pos / m_pixelStep));
  if (pixel > m_lastPixel) {
    m_lastPixel = pixel;
    m_window.SetPosition(ProgressPart::Upper, pixel);
  }
}

void PassProgress::Finish() {
  if (m_lastPercent != 100) {
    m_lastPercent = 100;
    m_window.SetText(ProgressPart::Upper, Text(100));
  }
  if (m_lastPixel != m_barWidth) {
    m_lastPixel = m_barWidth;
    m_window.SetPosition(ProgressPart::Upper, m_barWidth);
  }
}

}  // namespace sondrel
