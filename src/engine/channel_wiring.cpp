#include "engine/channel_wiring.h"

namespace sondrel {

PlaneWiring WirePlanes(const ChannelPlan& plan, int16_t* decL, int16_t* decR, int16_t* outL,
                       int16_t* outR) {
  PlaneWiring w;
  // The picked channel; a pick needs a stereo source, so decR is there then.
  int16_t* picked = plan.monoType == 2 && decR ? decR : decL;
  if (plan.resample) {
    if (plan.pickOneChannel) {
      w.resampleLeft = picked;
      w.resampleInputChannels = 1;
    } else {
      w.resampleLeft = decL;
      w.resampleRight = plan.sourceChannels == 2 ? decR : nullptr;
      w.resampleInputChannels = w.resampleRight ? 2 : 1;
    }
    w.encodeLeft = outL;
    w.encodeRight = plan.targetChannels == 2 ? outR : nullptr;
    return w;
  }
  if (plan.pickOneChannel) {
    w.encodeLeft = picked;
  } else if (plan.sourceChannels < plan.targetChannels) {
    w.encodeLeft = decL;
    w.encodeRight = decL;
  } else {
    w.encodeLeft = decL;
    w.encodeRight = plan.sourceChannels == 2 ? decR : nullptr;
  }
  return w;
}

}  // namespace sondrel
