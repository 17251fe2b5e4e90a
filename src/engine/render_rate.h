// The rate at which a source is opened for a conversion pass: what MIDI and
// tracker modules are synthesised at, shared by the normalising pass and the
// conversion so that both read the same samples.
#pragma once

namespace sondrel {

struct ConvertSettings;
struct FormatRow;

// AMR: 16000 Hz for wide band, else 8000; AWB: 16000; every other format:
// 44100 with automatic parameters, else its SampleRate setting (44100 when
// that is below 1).
int RenderRate(const FormatRow& format, const ConvertSettings& settings);

}  // namespace sondrel
