#include "engine/encoder_choice.h"

#include <algorithm>

#include "engine/encoder_parameters.h"

namespace sondrel {

namespace {

// Fits a channel count to an entry's channel bits (and to 1..2).
int FitChannels(int channels, int channelBits) {
  channels = std::clamp(channels, 1, 2);
  if (channels == 2 && !(channelBits & kChannelsStereo)) return 1;
  if (channels == 1 && !(channelBits & kChannelsMono)) return 2;
  return channels;
}

std::unique_ptr<Encoder> Make(const WriterFactories::Make& make) { return make ? make() : nullptr; }

EncoderChoice ChooseAmr(const RunContext& run) {
  const ConvertSettings& s = run.settings;
  AmrFormatParams params;
  EncoderChoice choice;
  if (run.format.id == kFormatAmr) {
    params = {s.AMRType == kAmrNarrowBand ? 1 : 0, s.AMRDTX, s.AMRMode, s.AMRWBMode};
    choice.rate = s.AMRType != kAmrNarrowBand ? 16000 : 8000;
  } else {
    params = {0, s.AWBDTX, s.AMRMode, s.AWBMode};
    choice.rate = 16000;
  }
  choice.channels = 1;
  choice.encoder = Make(run.writers.amr);
  if (choice.encoder) choice.encoder->SetFormat(params);
  return choice;
}

EncoderChoice ChooseWma(const RunContext& run, int rate, int channels) {
  const ConvertSettings& s = run.settings;
  EncoderChoice choice;
  int bitRate = 0;
  if (s.WMAAutoEncParam) {
    const WmaParameters p = ChooseWmaParameters(rate, channels);
    choice.rate = p.sampleRate;
    bitRate = p.bitRate;
    choice.channels = channels;
  } else {
    choice.rate = s.WMASampleRate;
    bitRate = s.WMABitRate;
    choice.channels = s.WMAChannels;
  }
  const WmaFormatEntry* entry = run.wmaFormats.Choose(choice.rate, bitRate, choice.channels);
  if (!entry) return choice;
  choice.encoder = Make(run.writers.wma);
  if (choice.encoder) {
    choice.encoder->SetSampleRate(choice.rate);
    choice.encoder->SetChannels(choice.channels);
    choice.encoder->SetBitRate(run.wmaFormats.BitRateOf(entry));
    choice.encoder->SetFormat(entry);
  }
  return choice;
}

EncoderChoice ChooseFfmpeg(const RunContext& run, int rate, int channels) {
  const FormatRow& format = run.format;
  EncoderChoice choice;
  const CodecEntry* entry = FindCodecEntry(format, format.CodecID);
  if (!entry) return choice;
  int bitRate = 0;
  if (format.AutoEncParam) {
    choice.channels = FitChannels(channels, entry->channelBits);
    choice.rate = NearestValue(rate, entry->sampleRates);
    bitRate = entry->bitRates
                  ? NearestValue(DefaultBitRate(choice.rate, choice.channels), entry->bitRates)
                  : 0;
  } else {
    choice.rate =
        NearestValue(format.SampleRate != 0 ? format.SampleRate : rate, entry->sampleRates);
    choice.channels =
        FitChannels(format.Channels != 0 ? format.Channels : channels, entry->channelBits);
    bitRate = format.BitRate;
    if (bitRate == 0) bitRate = entry->bitRates ? DefaultBitRate(choice.rate, choice.channels) : 0;
    bitRate = NearestValue(bitRate, entry->bitRates);
  }
  choice.encoder = Make(run.writers.ffmpeg);
  if (choice.encoder) {
    choice.encoder->SetFormat(FfmpegFormatParams{format.muxerName, format.CodecID});
    choice.encoder->SetSampleRate(choice.rate);
    choice.encoder->SetChannels(choice.channels);
    choice.encoder->SetBitRate(bitRate);
  }
  return choice;
}

}  // namespace

StreamPlan PlanForTarget(const ConvertSettings& settings, int srcRate, int srcChannels,
                         int targetRate, int targetChannels) {
  StreamPlan plan;
  plan.srcRate = srcRate;
  plan.targetRate = targetRate;
  plan.channels.monoType = settings.MonoType;
  plan.channels.sourceChannels = srcChannels;
  plan.channels.targetChannels = targetChannels;
  const bool fewer = targetChannels < srcChannels;
  plan.channels.resample = targetRate != srcRate || (fewer && settings.MonoType == kMonoMix);
  plan.channels.pickOneChannel = fewer && settings.MonoType > 0;
  return plan;
}

EncoderChoice ChooseEncoder(const RunContext& run, int rate, int channels) {
  switch (WriterFamilyOf(run.format.id)) {
    case WriterFamily::Amr:
      return ChooseAmr(run);
    case WriterFamily::Wma:
      return ChooseWma(run, rate, channels);
    case WriterFamily::Ffmpeg:
    default:
      return ChooseFfmpeg(run, rate, channels);
  }
}

StreamPlan FeedPlan(const RunContext& run, EncoderChoice& choice, int srcRate, int srcChannels) {
  if (WriterFamilyOf(run.format.id) != WriterFamily::Wma) {
    return PlanForTarget(run.settings, srcRate, srcChannels, choice.rate, choice.channels);
  }
  // Only one channel of a stereo source may be picked here; rate and the
  // mix of two channels into one are the writer's.
  StreamPlan plan = PlanForTarget(run.settings, srcRate, srcChannels, srcRate, choice.channels);
  plan.channels.resample = false;
  const int fed = plan.channels.pickOneChannel ? 1 : srcChannels;
  if (choice.encoder) {
    choice.encoder->SetSampleRate(srcRate);
    choice.encoder->SetChannels(fed < choice.channels ? 2 : fed);
  }
  return plan;
}

}  // namespace sondrel
