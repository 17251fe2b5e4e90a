// Changes the sample rate of interleaved 16-bit samples through swresample,
// keeping the filter's state from call to call, so that a stream can be
// converted in pieces of any size. Not thread-safe: one converter belongs to
// one reader.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ffmpeg/ffmpeg_handles.h"

namespace sondrel::ffmpeg {

class RateConverter {
 public:
  // Ready for `channels` (1 or 2) channels from `inRate` to `outRate` Hz,
  // dropping what an earlier set-up held. False when swresample refuses.
  bool Start(int channels, int inRate, int outRate);
  // Back to idle, dropping what the filter holds.
  void Stop();
  bool Active() const { return m_swr != nullptr; }
  int InRate() const { return m_inRate; }

  // Appends the converted samples of `frames` input frames to `out`. False
  // on an error (nothing appended) or when idle.
  bool Convert(const int16_t* in, int frames, std::vector<int16_t>& out);
  // Appends what the filter still holds (the end of the piece) and stops.
  void Finish(std::vector<int16_t>& out);

 private:
  // Runs swresample on `frames` frames of `in` (null: drain).
  bool Run(const int16_t* in, int frames, std::vector<int16_t>& out);

  Resampler m_swr;
  int m_channels = 0;
  int m_inRate = 0;
};

}  // namespace sondrel::ffmpeg
