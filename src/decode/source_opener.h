// Picks the reader for a source type, with the fallbacks, and opens it.
//
// Readers are made through `ReaderFactories` so that a reader that is not
// built (or cannot be allocated) simply counts as a failed Open, and so that
// tests can script the readers.
//
// What every opener of the program shares (the factories, the Windows Media
// runtime hooks, where the runtime offer is asked) is one `OpenerSetup`,
// owned by the engine state. What one opener keeps between the attempts of
// one item (the FFmpeg-retry flag and the failure note) is its own, so a run
// that converts several items at once gives each worker an opener of its own
// over the same setup.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "decode/decoder.h"
#include "platform/mediaruntime/media_runtime.h"

namespace sondrel {

class UserPrompts;

struct ReaderFactories {
  using Make = std::function<std::unique_ptr<Decoder>()>;
  Make bass;         // BassDecoder
  Make aiff;         // AiffDecoder
  Make amr;          // AmrDecoder
  Make au;           // AuDecoder
  Make vorbis;       // VorbisDecoder
  Make wma;          // WmaDecoder
  Make ffmpeg;       // FfmpegDecoder, for conversions
  Make ffmpegDts;    // FfmpegDecoder on the raw DTS demuxer, for kSourceRawDts
  Make ffmpegProbe;  // FfmpegProbe, for the file list
  // Why a path cannot be read at all (empty: it can), asked once before any
  // reader is tried; no function: not asked (scripted readers read no file).
  std::function<std::string(const std::string&)> sourceProblem;
};

// The factories of every reader built into this program.
ReaderFactories DefaultReaderFactories();

// What every opener of the program shares. Set up before the openers are
// used; they only read it.
struct OpenerSetup {
  ReaderFactories readers = DefaultReaderFactories();
  // Loads the Windows Media runtime, and tells whether it is loaded.
  std::function<int()> loadMediaRuntime = LoadWindowsMediaRuntime;
  std::function<int()> isMediaRuntimeLoaded = IsWindowsMediaRuntimeLoaded;
  // Told after an opener loaded the runtime (the owner builds its WMA format
  // list then); may be empty.
  std::function<void()> onMediaRuntimeLoaded;
  // Where the Windows Media runtime offer is asked; null: answered No.
  UserPrompts* prompts = nullptr;
};

// What a source is opened for: the file list's probe (the light FFmpeg
// reader, no note) or a conversion pass (the full FFmpeg reader; a failure
// leaves the support hint in the note).
enum class OpenPurpose { Probe, Conversion };

class SourceOpener {
 public:
  // An opener with a setup of its own over `readers`.
  explicit SourceOpener(ReaderFactories readers = DefaultReaderFactories());
  // An opener over a shared setup (never null).
  explicit SourceOpener(std::shared_ptr<const OpenerSetup> setup);

  // Returns an open reader, or null when none opens the file. `hasAudio`
  // receives HasAudio of each reader that failed, so its last value tells a
  // file without audio from one that could not be decoded. A path that cannot
  // be read at all (not a regular file, no permission) is tried by no reader:
  // its reason becomes the note and SourceProblem.
  std::unique_ptr<Decoder> OpenSource(const std::string& path, int sourceType, int renderRate,
                                      OpenPurpose purpose, int& hasAudio);

  // 1 after a type-specific reader was chosen, 0 after an FFmpeg reader;
  // nonzero on entry sends OpenSource straight to the FFmpeg reader.
  int FfmpegRetry() const { return m_ffmpegRetry; }
  void SetFfmpegRetry(int value) { m_ffmpegRetry = value; }

  // Why the last item failed, shown with its failure; empty when unknown.
  const std::string& Note() const { return m_note; }
  void SetNote(std::string note) { m_note = std::move(note); }

  // Why the last OpenSource could not read its path at all; empty when it could.
  const std::string& SourceProblem() const { return m_problem; }

  const OpenerSetup& Setup() const { return *m_setup; }

 private:
  // The type-specific reader of step 2, or no factory when the type has none.
  bool PickTypeReader(int sourceType, ReaderFactories::Make& reader, bool& bassFallback);
  bool EnsureMediaRuntime();

  std::shared_ptr<const OpenerSetup> m_setup;
  int m_ffmpegRetry = 0;
  std::string m_note;
  std::string m_problem;
};

}  // namespace sondrel
