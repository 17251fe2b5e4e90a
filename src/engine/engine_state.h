// What the runs and the source opener keep between files, owned by the main
// window (or the command-line front end) and reached by the engine only.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "decode/source_opener.h"
#include "encode/wma_formats.h"
#include "encode/writer_factories.h"
#include "engine/file_item.h"
#include "engine/frontend.h"
#include "platform/mediaruntime/media_runtime.h"
#include "platform/paths.h"

namespace sondrel {

struct EngineState {
  explicit EngineState(Frontend& frontend, ReaderFactories factories = DefaultReaderFactories())
      : frontend(frontend), opener(std::move(factories)) {
    opener.SetPrompts(&frontend);
    opener.SetOnMediaRuntimeLoaded([this] { wmaFormats->Build(); });
  }
  EngineState(const EngineState&) = delete;
  EngineState& operator=(const EngineState&) = delete;

  Frontend& frontend;
  // Holds the FFmpeg-retry flag and the failure note (`note`).
  SourceOpener opener;
  // Nonzero once a default MIDI soundfont is installed; stays for the process.
  int soundFont = 0;
  float normalizeGain = -1.0f;  // -1: none
  float appliedGain = 1.0f;     // 1.0: unchanged
  int mergeRate = 0;
  int mergeChannels = 0;
  int sequenceNumber = 0;       // 1-based position in the run
  const FileItem* currentItem = nullptr;

  // The writers a run creates, by family.
  WriterFactories writers = DefaultWriterFactories();
  // The Windows Media audio formats; built once the runtime has loaded.
  std::unique_ptr<WmaFormats> wmaFormats = MakeWmaFormats();
  // Installs the default MIDI soundfont and returns the new `soundFont`
  // value (0: none found). Empty until the audio engine offers it.
  std::function<int()> loadDefaultSoundfont;
  // The Windows Media runtime, as the run's start checks it.
  std::function<int()> loadMediaRuntime = LoadWindowsMediaRuntime;
  std::function<int()> isMediaRuntimeLoaded = IsWindowsMediaRuntimeLoaded;
  // The documents folder that target naming falls back to (created when
  // missing; empty when there is none). Tests put a folder of their own here.
  std::function<std::string()> documentsFolder = DocumentsFolder;
};

}  // namespace sondrel
