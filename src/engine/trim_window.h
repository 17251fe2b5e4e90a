// The trim window of one file: drops the first milliseconds and ends the file
// after a given length. Both counts are frames at the source's sample rate,
// before any resampling; the limit counts only frames after the skipped ones.
#pragma once

#include <cstdint>

namespace sondrel {

class Decoder;
struct ConvertSettings;

class TrimWindow {
 public:
  // Frames in `milliseconds` at `sampleRate`, truncated toward zero; 0 for a
  // rate or a length of 0 or less.
  static int64_t FramesFor(int sampleRate, int milliseconds);

  // Skip and limit of the options at the decoder's sample rate.
  void Setup(Decoder& decoder, const ConvertSettings& settings);
  // Skip and limit from the options; a length of 0 or less is no trim.
  void Setup(int sampleRate, bool enableSkip, int skipMilliseconds, bool enableLimit,
             int limitMilliseconds);

  // Skip step for a block of n frames. False: drop the whole block. True: the
  // block goes on, possibly shortened to its last frames, which are moved to
  // the front of `left` and, when not null, `right`.
  bool SkipStep(int16_t* left, int16_t* right, int& n);
  // Limit step. False: the file ends before this block. True: the block goes
  // on, possibly shortened so that the file ends with it.
  bool LimitStep(int& n);

  bool SkipActive() const { return m_skipActive; }
  bool LimitActive() const { return m_limitActive; }
  int64_t SkipRemaining() const { return m_skipRemaining; }
  int64_t LimitRemaining() const { return m_limitRemaining; }

 private:
  bool m_skipActive = false;
  bool m_limitActive = false;
  int64_t m_skipRemaining = 0;
  int64_t m_limitRemaining = 0;
};

}  // namespace sondrel
