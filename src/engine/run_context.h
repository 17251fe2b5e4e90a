// What the steps of a run work with, passed as values: what every item of
// one run shares (RunContext) and what one item carries (ItemJob).
//
// A step reads what it needs from these and returns what it finds; nothing
// an item changes is left in a field that other items share. The opener is
// the one mutable thing an item uses, and it is the job's own: a run that
// converts several items at once would give each worker its own opener and
// jobs over the same RunContext.
#pragma once

#include "decode/source_opener.h"
#include "encode/format_catalogue.h"
#include "encode/wma_formats.h"
#include "encode/writer_factories.h"
#include "engine/file_item.h"
#include "engine/frontend.h"
#include "engine/settings.h"

namespace sondrel {

struct EngineState;
class ReservedTarget;

// Fixed when the run starts (after its start checks); only read while its
// items are converted. Everything it refers to outlives the run.
struct RunContext {
  Frontend& frontend;
  const ConvertSettings& settings;
  const FormatRow& format;
  const WriterFactories& writers;
  WmaFormats& wmaFormats;  // built by the start checks; only asked to Choose
  bool soundFont = false;  // a MIDI soundfont is installed
  int renderRate = 0;      // RenderRate(format, settings): what MIDI and modules render at
};

// The context of a run over `state` (which outlives it).
RunContext MakeRunContext(EngineState& state, const ConvertSettings& settings,
                          const FormatRow& format);

// One item of a run.
struct ItemJob {
  ItemJob(SourceOpener& opener, const FileItem& item, int position = 0)
      : opener(opener), item(item), source(&item), position(position) {}

  // Chooses the readers of this item; holds its FFmpeg-retry flag and note.
  SourceOpener& opener;
  // The listed item: its name is shown, its file is never deleted.
  const FileItem& item;
  // What the passes read: the item, or its preprocessed copy (with the same
  // targetPath). Never null.
  const FileItem* source;
  // 1-based place in the run: the track number of the sequence option.
  int position = 0;
  // The gain of the volume step (ChooseGain); 0: none.
  float gain = 0.0f;
  // The per-file run's reserved target of the item: what the writer writes
  // and what becomes the target when the item succeeds. Null in merge runs.
  ReservedTarget* target = nullptr;
};

}  // namespace sondrel
