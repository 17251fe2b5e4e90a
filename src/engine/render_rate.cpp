#include "engine/render_rate.h"

#include "encode/format_catalogue.h"
#include "engine/settings.h"

namespace sondrel {

int RenderRate(const FormatRow& format, const ConvertSettings& settings) {
  if (format.id == kFormatAmr) return settings.AMRType != kAmrNarrowBand ? 16000 : 8000;
  if (format.id == kFormatAwb) return 16000;
  if (format.AutoEncParam) return 44100;
  return format.SampleRate < 1 ? 44100 : format.SampleRate;
}

}  // namespace sondrel
