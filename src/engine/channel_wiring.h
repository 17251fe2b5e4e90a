// Which planes go into the resampler and which into the gain step and the
// encoder, for every combination of resampling and channel picking.
//
// decL and decR are the decoder's planes (decR only when it delivers two
// channels); outL and outR are the resampler's output planes (outR only when
// the target has two channels). Mixing two channels into one as (L+R)/2 is the
// resampler's job, so a run that averages sets `resample` even at equal rates.
#pragma once

#include <cstdint>

namespace sondrel {

struct ChannelPlan {
  bool resample = false;
  // Only one channel of a stereo source goes on: the right one for mono type
  // 2, the left one otherwise.
  bool pickOneChannel = false;
  int monoType = 0;        // 0 = (L+R)/2, 1 = left, 2 = right
  int sourceChannels = 2;  // the decoder's output channels (1 or 2)
  int targetChannels = 2;  // 1 or 2
};

struct PlaneWiring {
  // Resampler input; both null without resampling, right null for one channel.
  const int16_t* resampleLeft = nullptr;
  const int16_t* resampleRight = nullptr;
  // Channels the resampler is set up with on its input side.
  int resampleInputChannels = 0;
  // What the gain step scales and the encoder writes; right may be null, or
  // the same plane as left for one channel written as two.
  int16_t* encodeLeft = nullptr;
  int16_t* encodeRight = nullptr;
};

PlaneWiring WirePlanes(const ChannelPlan& plan, int16_t* decL, int16_t* decR, int16_t* outL,
                       int16_t* outR);

}  // namespace sondrel
