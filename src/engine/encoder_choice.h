// The encoder choice of both runs: which writer the format's family uses,
// the sample rate, channels and bit rate it gets under the format's and the
// options' parameter rules, and how a source's samples are fed to it; with
// the rules themselves (the automatic bit-rate tables, the nearest-value
// pick from a codec entry's lists) and the rate sources are rendered at.
#pragma once

#include <memory>

#include "encode/encoder.h"
#include "engine/channel_wiring.h"
#include "engine/run_context.h"

namespace sondrel {

// Bit rate in bit/s for a sample rate; one channel uses the mono column,
// every other count the stereo one.
int DefaultBitRate(int sampleRate, int channels);

struct WmaParameters {
  int sampleRate = 0;
  int bitRate = 0;
};

// The automatic Windows Media sample rate and bit rate for a source.
WmaParameters ChooseWmaParameters(int sampleRate, int channels);

// Picks from an ascending list that ends in -1 the entry nearest to `value`
// (the lower one on a tie; the first or last one outside the range). A null
// list, or one holding only -1, returns `value` unchanged.
int NearestValue(int value, const int* list);

// The rate at which a source is opened for a conversion pass: what MIDI and
// tracker modules are synthesised at, shared by the normalising pass and the
// conversion so that both read the same samples. AMR: 16000 Hz for wide band,
// else 8000; AWB: 16000; every other format: 44100 with automatic
// parameters, else its SampleRate setting (44100 when that is below 1).
int RenderRate(const FormatRow& format, const ConvertSettings& settings);

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
