#include "engine/encoder_choice.h"

#include <algorithm>
#include <cstdint>

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
  } else {
    params = {0, s.AWBDTX, s.AMRMode, s.AWBMode};
  }
  // AMR is rendered and written at the one rate of its band.
  choice.rate = run.renderRate;
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

int DefaultBitRate(int sampleRate, int channels) {
  struct Row {
    int upTo;
    int mono;
    int stereo;
  };
  static constexpr Row kRows[] = {
      {12000, 24000, 48000}, {16000, 32000, 56000},  {24000, 48000, 64000},
      {32000, 64000, 96000}, {44100, 96000, 128000},
  };
  const bool mono = channels == 1;
  for (const Row& r : kRows) {
    if (sampleRate <= r.upTo) return mono ? r.mono : r.stereo;
  }
  return mono ? 128000 : 192000;
}

WmaParameters ChooseWmaParameters(int sampleRate, int channels) {
  const bool mono = channels == 1;
  if (sampleRate <= 12000) return {22050, mono ? 20000 : 32000};
  if (sampleRate <= 16000) return {44100, mono ? 32000 : 48000};
  if (sampleRate <= 24000) return {44100, mono ? 48000 : 64000};
  if (sampleRate <= 32000) return {44100, mono ? 48000 : 96000};
  if (sampleRate <= 44100) return {44100, mono ? 48000 : 128000};
  return mono ? WmaParameters{44100, 48000} : WmaParameters{48000, 192000};
}

int NearestValue(int value, const int* list) {
  if (!list || list[0] == -1) return value;
  int i = 0;
  for (; list[i] != -1; ++i) {
    if (list[i] == value) return value;
    if (list[i] > value) {
      if (i == 0) return list[0];
      // Differences in 64 bits: values near INT_MIN must not overflow.
      const int64_t above = static_cast<int64_t>(list[i]) - value;
      const int64_t below = static_cast<int64_t>(value) - list[i - 1];
      return above < below ? list[i] : list[i - 1];
    }
  }
  return list[i - 1];
}

int RenderRate(const FormatRow& format, const ConvertSettings& settings) {
  if (format.id == kFormatAmr) return settings.AMRType != kAmrNarrowBand ? 16000 : 8000;
  if (format.id == kFormatAwb) return 16000;
  if (format.AutoEncParam) return 44100;
  return format.SampleRate < 1 ? 44100 : format.SampleRate;
}

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
