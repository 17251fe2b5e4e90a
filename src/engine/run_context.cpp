#include "engine/run_context.h"

#include "engine/engine_state.h"
#include "engine/encoder_choice.h"

namespace sondrel {

RunContext MakeRunContext(EngineState& state, const ConvertSettings& settings,
                          const FormatRow& format) {
  return RunContext{state.frontend,
                    settings,
                    format,
                    state.writers,
                    *state.wmaFormats,
                    state.soundFont != 0,
                    RenderRate(format, settings)};
}

}  // namespace sondrel
