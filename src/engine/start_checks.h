// The checks both runs make before the first item: the Windows Media runtime
// for the three Windows Media outputs, and the MIDI soundfont. A failed check
// has asked its question; the run then ends before it shows anything.
#pragma once

#include "encode/format_catalogue.h"
#include "engine/engine_state.h"

namespace sondrel {

// The Windows Media runtime, for the Windows Media outputs (loaded when
// missing; otherwise the offer to fetch it is asked and the check fails).
// Builds the WMA format list. True for every other format.
bool CheckMediaRuntime(EngineState& state, const FormatRow& format);

// The soundfont for the run's first MIDI item; `midiFound` tells whether
// there is one. Installs the default soundfont when none is; when there is
// no soundfont at all, asks whether to fetch it: Yes opens the program's
// folder and the download page and fails the check, No lets the run go on
// (its MIDI items then fail one by one).
bool CheckSoundfont(EngineState& state, bool midiFound);

}  // namespace sondrel
