// Decoded 16-bit samples waiting to be delivered: a channel whose source
// hands out blocks (a CD sector, a decoded frame) keeps the rest of the
// last block here and delivers it over as many Decode calls as it takes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace sondrel::audioengine {

struct PendingSamples {
  std::vector<int16_t> samples;  // interleaved
  size_t pos = 0;                // the first sample not yet delivered

  // Copies up to `frames` frames of `channels` samples into `out`. When
  // fewer than a whole frame is left, the rest is dropped and `refill()`
  // appends the next block to `samples`; it returns false at the end (or
  // on an error). Returns the frames copied.
  template <class Refill>
  size_t Deliver(int16_t* out, size_t frames, size_t channels, Refill&& refill) {
    size_t done = 0;
    while (done < frames) {
      const size_t available = (samples.size() - pos) / channels;
      if (available == 0) {
        samples.clear();
        pos = 0;
        if (!refill()) break;
        continue;
      }
      const size_t n = std::min(available, frames - done);
      std::memcpy(out + done * channels, samples.data() + pos, n * channels * sizeof(int16_t));
      pos += n * channels;
      done += n;
    }
    return done;
  }
};

}  // namespace sondrel::audioengine
