// What the runs and the source opener keep between files, owned by the main
// window (or the command-line front end) and reached by the engine only.
#pragma once

#include <functional>
#include <string>

#include "decode/source_opener.h"
#include "engine/file_item.h"
#include "platform/paths.h"

namespace sondrel {

class Frontend;

struct EngineState {
  explicit EngineState(Frontend& frontend, ReaderFactories factories = DefaultReaderFactories())
      : frontend(frontend), opener(std::move(factories)) {
    opener.SetFrontend(&frontend);
  }

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
  // The documents folder that target naming falls back to (created when
  // missing; empty when there is none). Tests put a folder of their own here.
  std::function<std::string()> documentsFolder = DocumentsFolder;
};

}  // namespace sondrel
