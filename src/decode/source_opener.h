// Picks the reader for a source type, with the fallbacks, and opens it.
//
// Readers are made through `ReaderFactories` so that a reader that is not
// built (or cannot be allocated) simply counts as a failed Open, and so that
// tests can script the readers. The opener keeps the FFmpeg-retry flag and the
// failure note that the conversion run reads between attempts.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "decode/decoder.h"

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
  Make ffmpegProbe;  // FfmpegProbe, for the file list
};

// The factories of every reader built into this program.
ReaderFactories DefaultReaderFactories();

class SourceOpener {
 public:
  explicit SourceOpener(ReaderFactories factories = DefaultReaderFactories());

  // Returns an open reader, or null when none opens the file. `hasAudio`
  // receives HasAudio of each reader that failed, so its last value tells a
  // file without audio from one that could not be decoded. With
  // `forConversion` the full FFmpeg reader is used and a failure leaves the
  // support hint in Note().
  std::unique_ptr<Decoder> OpenSource(const std::string& path, int sourceType, int renderRate,
                                      int forConversion, int& hasAudio);

  // 1 after a type-specific reader was chosen, 0 after an FFmpeg reader;
  // nonzero on entry sends OpenSource straight to the FFmpeg reader.
  int FfmpegRetry() const { return m_ffmpegRetry; }
  void SetFfmpegRetry(int value) { m_ffmpegRetry = value; }

  const std::string& Note() const { return m_note; }
  void SetNote(std::string note) { m_note = std::move(note); }

  // Where the Windows Media runtime offer is asked; may be null (then the
  // question is answered No).
  void SetPrompts(UserPrompts* prompts) { m_prompts = prompts; }
  // Loads the Windows Media runtime (default: LoadWindowsMediaRuntime) and is
  // told when it did, so that the owner can build its WMA format list.
  void SetMediaRuntimeLoader(std::function<int()> load) { m_loadMediaRuntime = std::move(load); }
  void SetMediaRuntimeLoaded(std::function<int()> isLoaded) {
    m_isMediaRuntimeLoaded = std::move(isLoaded);
  }
  void SetOnMediaRuntimeLoaded(std::function<void()> onLoaded) {
    m_onMediaRuntimeLoaded = std::move(onLoaded);
  }

  ReaderFactories& Factories() { return m_factories; }

 private:
  // The type-specific reader of step 2, or no factory when the type has none.
  bool PickTypeReader(int sourceType, ReaderFactories::Make& reader, bool& bassFallback);
  bool EnsureMediaRuntime();

  ReaderFactories m_factories;
  int m_ffmpegRetry = 0;
  std::string m_note;
  UserPrompts* m_prompts = nullptr;
  std::function<int()> m_loadMediaRuntime;
  std::function<int()> m_isMediaRuntimeLoaded;
  std::function<void()> m_onMediaRuntimeLoaded;
};

}  // namespace sondrel
