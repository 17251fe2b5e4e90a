#include "engine/start_checks.h"

#include "decode/messages.h"
#include "engine/messages.h"
#include "platform/paths.h"
#include "platform/product.h"

namespace sondrel {

namespace {

bool IsWindowsMediaFormat(int id) {
  return id == kFormatWma || id == kFormatWmv || id == kFormatAsf;
}

}  // namespace

bool CheckMediaRuntime(EngineState& state, const FormatRow& format) {
  if (!IsWindowsMediaFormat(format.id)) return true;
  const OpenerSetup& setup = *state.openerSetup;
  if (!(setup.isMediaRuntimeLoaded && setup.isMediaRuntimeLoaded())) {
    if (!(setup.loadMediaRuntime && setup.loadMediaRuntime())) {
      if (state.frontend.AskYesNo(kMediaRuntimeQuestion)) {
        state.frontend.OpenDocument(kMediaRuntimeDownloadUrl);
      }
      return false;
    }
  }
  state.wmaFormats->Build();
  return true;
}

bool CheckSoundfont(EngineState& state, bool midiFound) {
  if (!midiFound || state.soundFont) return true;
  if (state.loadDefaultSoundfont) state.soundFont = state.loadDefaultSoundfont();
  if (state.soundFont) return true;
  const std::string folder = ProgramFolder();
  if (state.frontend.AskYesNo(SoundfontQuestion(folder))) {
    state.frontend.OpenDocument(folder);
    state.frontend.OpenDocument(kSoundfontDownloadUrl);
    return false;
  }
  return true;
}

}  // namespace sondrel
