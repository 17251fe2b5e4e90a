// The encoder choice of both runs: which writer the format's family uses,
// the sample rate, channels and bit rate it gets under the format's and the
// options' parameter rules, and how a source's samples are fed to it.
#pragma once

#include <memory>

#include "encode/encoder.h"
#include "engine/channel_wiring.h"
#include "engine/run_context.h"

namespace sondrel {

// The rates of one file's samples on their way to the encoder and the
// planes' wiring between decoder, resampler and encoder.
struct StreamPlan {
  int srcRate = 0;
  int targetRate = 0;
  ChannelPlan channels;  // sourceChannels: the decoder's output channels
};

// The plan for feeding a source of (srcRate, srcChannels) to a fixed target
// rate and channel count (resampling when the rates differ or two channels
// are averaged into one).
StreamPlan PlanForTarget(const ConvertSettings& settings, int srcRate, int srcChannels,
                         int targetRate, int targetChannels);

// A configured encoder (not yet given tags, path or Open) and the stream it
// is configured for.
struct EncoderChoice {
  std::unique_ptr<Encoder> encoder;  // null when nothing fits
  int rate = 0;                      // the output's sample rate
  int channels = 0;                  // the output's channels (1 or 2)
};

// The writer of the run's format for sources of (rate, channels): AMR at its
// fixed rate in one channel; Windows Media with the format list's entry
// that fits the automatic or the chosen parameters; every other format with
// the codec entry of its CodecID, fitted automatically or from the format's
// own settings. The encoder is null when no codec entry or Windows Media
// format fits, or when the family's writer is not built in.
EncoderChoice ChooseEncoder(const RunContext& run, int rate, int channels);

// How the per-file run feeds a source of (srcRate, srcChannels) to `choice`:
// resampled and mapped to the chosen stream, except for the Windows Media
// writer, which converts rate and channels itself and is told to expect the
// source as decoded.
StreamPlan FeedPlan(const RunContext& run, EncoderChoice& choice, int srcRate, int srcChannels);

}  // namespace sondrel
