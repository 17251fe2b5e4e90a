#include "engine/engine_state.h"

namespace sondrel {

namespace {

std::shared_ptr<OpenerSetup> MakeOpenerSetup(Frontend& frontend, ReaderFactories readers) {
  auto setup = std::make_shared<OpenerSetup>();
  setup->readers = std::move(readers);
  setup->prompts = &frontend;
  return setup;
}

}  // namespace

EngineState::EngineState(Frontend& frontend, ReaderFactories readers)
    : frontend(frontend),
      openerSetup(MakeOpenerSetup(frontend, std::move(readers))),
      opener(openerSetup) {
  openerSetup->onMediaRuntimeLoaded = [this] { wmaFormats->Build(); };
}

}  // namespace sondrel
