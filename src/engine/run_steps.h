// Steps shared by the conversion run and the merge run: the start checks,
// opening a source for a pass, the encoder parameter rules, the block loop
// from decoder to encoder, the per-item status handling and the end of a run.
// Internal to the engine.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "decode/decoder.h"
#include "encode/encoder.h"
#include "encode/format_catalogue.h"
#include "engine/channel_wiring.h"
#include "engine/engine_state.h"
#include "engine/frontend.h"
#include "engine/settings.h"

namespace sondrel::run {

// The format's name in the progress texts: its display name, or its
// extension in upper case.
std::string FormatName(const FormatRow& format);

// The start checks of both runs. False ends the run.
// The Windows Media runtime, for the three Windows Media outputs.
bool CheckMediaRuntime(EngineState& state, const FormatRow& format);
// The soundfont for the first MIDI item, if any; `midiFound` tells whether
// to check at all.
bool CheckSoundfont(EngineState& state, bool midiFound);

// Opens the conversion source for a pass: null when no reader opens it or it
// reports no sample rate (then hasAudio is 0).
std::unique_ptr<Decoder> OpenForPass(EngineState& state, const FileItem& source, int renderRate,
                                     int& hasAudio);

// True when the skip set at the options is not shorter than the file; then
// the FFmpeg-retry flag is cleared and the note says so.
bool SkipCoversFile(EngineState& state, const ConvertSettings& settings, Decoder& decoder);

// The rates of one file's samples on their way to the encoder and the
// planes' wiring between decoder, resampler and encoder.
struct StreamPlan {
  int srcRate = 0;
  int targetRate = 0;
  ChannelPlan channels;  // sourceChannels: the decoder's output channels
};

// The FFmpeg family's parameters for a source of (srcRate, srcChannels) and
// the format's codec entry, automatic or from the format's settings.
struct FfmpegParameters {
  StreamPlan plan;
  int encoderChannels = 0;  // for SetChannels
  int bitRate = 0;
};
FfmpegParameters ChooseFfmpegParameters(const FormatRow& format, const CodecEntry& entry,
                                        const ConvertSettings& settings, int srcRate,
                                        int srcChannels);

// The plan for feeding a source of (srcRate, srcChannels) to a fixed target
// rate and channel count (resampling when the rates differ or two channels
// are averaged into one).
StreamPlan PlanForTarget(const ConvertSettings& settings, int srcRate, int srcChannels,
                         int targetRate, int targetChannels);

// The gain of a file; 0 when none applies. Sets the state's appliedGain.
float ChooseGain(EngineState& state, const ConvertSettings& settings);

// How a block loop ended.
enum class PassEnd { Done, Empty, Cancelled, WriteFailed };

// Reads every block of `decoder` and writes it through trim, resampling,
// channel mapping and gain into `encoder`, with the progress texts
// "[%d%%] Converting %s..." of the current item.
PassEnd MoveBlocks(EngineState& state, const ConvertSettings& settings, Decoder& decoder,
                   Encoder& encoder, const StreamPlan& plan, float gain, int sourceType,
                   ProgressWindow& progress);

// Deletes a partial or failed output, never a source: nothing happens when
// `target` is empty, names one of `sources` (by path or as the same file), or
// is not a regular file or link.
void RemoveOutput(const std::string& target, const std::vector<std::string>& sources);

// The per-item part that differs between the two runs.
struct ItemHandler {
  // Name in the lower progress text ("to %s").
  std::string lowerName;
  // Gives the item its target; false with the reason in `status`.
  std::function<bool(FileItem& item, std::string& status)> prepare;
  // One conversion attempt of the item or its preprocessed copy.
  std::function<bool(FileItem& source, ProgressWindow& progress, int& hasAudio)> convert;
};

struct ItemsResult {
  int reached = 0;  // items whose turn came
  bool cancelled = false;
};

// Runs every item with the steps of the per-file run: soundfont check,
// progress texts, target, DTS preprocessing, normalising, conversion with
// the single retry, and the row texts of the outcome.
ItemsResult RunItems(EngineState& state, const ConvertSettings& settings, const FormatRow& format,
                     const std::vector<FileItem*>& items, const std::vector<int>& rows,
                     ProgressWindow& progress, const ItemHandler& handler);

// The window for a run: overall bar 0..count, shown and pumped.
std::unique_ptr<ProgressWindow> OpenRunProgress(EngineState& state, int count);

// Opens the first reached item's existing target in the file manager.
void BrowseFirstTarget(EngineState& state, const ConvertSettings& settings,
                       const std::vector<FileItem*>& items, int reached);

}  // namespace sondrel::run
