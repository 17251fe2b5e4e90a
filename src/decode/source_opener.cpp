#include "decode/source_opener.h"

#include <new>

#include "decode/messages.h"
#include "decode/source_type.h"
#include "decode/user_prompts.h"
#include "platform/mediaruntime/media_runtime.h"
#include "platform/product.h"

namespace sondrel {

SourceOpener::SourceOpener(ReaderFactories factories)
    : m_factories(std::move(factories)),
      m_loadMediaRuntime(LoadWindowsMediaRuntime),
      m_isMediaRuntimeLoaded(IsWindowsMediaRuntimeLoaded) {}

namespace {

// Creates a reader; a missing factory or a failed allocation gives null.
// The factories allocate with new, so a failed allocation arrives as
// std::bad_alloc and must not leave the opener.
std::unique_ptr<Decoder> Make(const ReaderFactories::Make& make) {
  if (!make) return nullptr;
  try {
    return make();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

bool SourceOpener::EnsureMediaRuntime() {
  if (m_isMediaRuntimeLoaded && m_isMediaRuntimeLoaded()) return true;
  if (m_loadMediaRuntime && m_loadMediaRuntime()) {
    if (m_onMediaRuntimeLoaded) m_onMediaRuntimeLoaded();
    return true;
  }
  if (m_prompts && m_prompts->AskYesNo(kMediaRuntimeQuestion)) {
    m_prompts->OpenDocument(kMediaRuntimeDownloadUrl);
  }
  return m_isMediaRuntimeLoaded && m_isMediaRuntimeLoaded();
}

bool SourceOpener::PickTypeReader(int sourceType, ReaderFactories::Make& reader,
                                  bool& bassFallback) {
  bassFallback = false;
  switch (sourceType) {
    case kSourceMp3:
    case kSourceWav:
    case kSourceModule:
    case kSourceMidi:
    case kSourceCdTrack:
    case kSourceFlac:
    case kSourceWavPack:
    case kSourceAdx:
    case kSourceAac:
    case kSourceMp4:
      reader = m_factories.bass;
      return true;
    case kSourceOgg:
      reader = m_factories.vorbis;
      bassFallback = true;
      return true;
    case kSourceAiff:
      reader = m_factories.aiff;
      bassFallback = true;
      return true;
    case kSourceAu:
      reader = m_factories.au;
      return true;
    case kSourceAmr:
      reader = m_factories.amr;
      return true;
    case kSourceWindowsMedia:
      if (!EnsureMediaRuntime()) return false;
      reader = m_factories.wma;
      return true;
    default:
      return false;
  }
}

std::unique_ptr<Decoder> SourceOpener::OpenSource(const std::string& path, int sourceType,
                                                  int renderRate, int forConversion,
                                                  int& hasAudio) {
  ReaderFactories::Make typeReader;
  bool bassFallback = false;
  if (m_ffmpegRetry == 0 && PickTypeReader(sourceType, typeReader, bassFallback)) {
    m_ffmpegRetry = 1;
    if (std::unique_ptr<Decoder> reader = Make(typeReader)) {
      if (reader->Open(path, renderRate)) return reader;
      hasAudio = reader->HasAudio();
    }
    // A reader that cannot be allocated counts as a failed Open whose
    // HasAudio is unknown; hasAudio keeps the caller's value then.
    if (bassFallback) {
      if (std::unique_ptr<Decoder> bass = Make(m_factories.bass)) {
        if (bass->Open(path, renderRate)) return bass;
      }
    }
  }

  m_ffmpegRetry = 0;
  if (std::unique_ptr<Decoder> ffmpeg =
          Make(forConversion ? m_factories.ffmpeg : m_factories.ffmpegProbe)) {
    if (ffmpeg->Open(path, renderRate)) return ffmpeg;
    hasAudio = ffmpeg->HasAudio();
  }

  if (forConversion) m_note = SupportNote();
  return nullptr;
}

}  // namespace sondrel
