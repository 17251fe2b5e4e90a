// The file bar and the upper text of the conversion window during one pass
// over a file (normalising, DTS preprocessing, converting).
//
// The percentage text and the bar are touched only when they grow, so a long
// file costs about a hundred text updates and one bar update per pixel.
#pragma once

#include <cstdint>
#include <string>

#include "engine/frontend.h"

namespace sondrel {

class PassProgress {
 public:
  // Puts the file bar at 0 over the range 0..its width in pixels and shows
  // "[0%] <verb> <fileName>...". `total` is the decoder's length; 0 or less
  // counts as 1.
  PassProgress(ProgressWindow& window, std::string verb, std::string fileName, int64_t total);

  // Shows the percentage of `position` (at most 100) and moves the bar when
  // either grew since the last call.
  void Update(int64_t position);
  // At the normal end of a pass: 100% and a full bar, unless shown already.
  void Finish();

  int LastPercent() const { return m_lastPercent; }
  int LastPixel() const { return m_lastPixel; }

  // "[<percent>%] <verb> <fileName>..."
  std::string Text(int percent) const;

 private:
  ProgressWindow& m_window;
  std::string m_verb;
  std::string m_fileName;
  int64_t m_hundredth = 1;
  int64_t m_pixelStep = 1;
  int m_barWidth = 1;
  int m_lastPercent = 0;
  int m_lastPixel = 0;
};

}  // namespace sondrel
