// What lives from run to run: one object per program, owned by the main
// window (or the command-line front end) and reached by the engine only.
//
// Everything here is set up between runs. While a run goes on the engine
// only reads it, except `opener`, which the run's items use one after the
// other, and the WMA format list, which the start checks build. What one
// run or one item needs travels as values (engine/run_context.h).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "decode/source_opener.h"
#include "encode/wma_formats.h"
#include "encode/writer_factories.h"
#include "engine/frontend.h"
#include "platform/paths.h"

namespace sondrel {

struct EngineState {
  // Asks the opener's questions through `frontend` and builds the WMA format
  // list when an opener loads the Windows Media runtime.
  explicit EngineState(Frontend& frontend, ReaderFactories readers = DefaultReaderFactories());
  EngineState(const EngineState&) = delete;
  EngineState& operator=(const EngineState&) = delete;

  Frontend& frontend;
  // Shared by every opener: the reader factories and the Windows Media
  // runtime hooks, which the runs' start checks use too.
  std::shared_ptr<OpenerSetup> openerSetup;
  // The opener of adding files and of the runs: the FFmpeg-retry flag and
  // the failure note (`note`).
  SourceOpener opener;
  // Nonzero once a default MIDI soundfont is installed; stays for the process.
  int soundFont = 0;
  // The writers a run creates, by family.
  WriterFactories writers = DefaultWriterFactories();
  // The Windows Media audio formats; built once the runtime has loaded.
  std::unique_ptr<WmaFormats> wmaFormats = MakeWmaFormats();
  // Installs the default MIDI soundfont and returns the new `soundFont`
  // value (0: none found). Empty until the audio engine offers it.
  std::function<int()> loadDefaultSoundfont;
  // The documents folder that target naming falls back to (created when
  // missing; empty when there is none). Tests put a folder of their own here.
  std::function<std::string()> documentsFolder = DocumentsFolder;
};

}  // namespace sondrel
