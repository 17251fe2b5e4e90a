#include "decode/source_opener.h"

#include <new>

#include "decode/messages.h"
#include "decode/source_type.h"
#include "decode/user_prompts.h"
#include "platform/product.h"

namespace sondrel {

namespace {

std::shared_ptr<const OpenerSetup> SetupOver(ReaderFactories readers) {
  auto setup = std::make_shared<OpenerSetup>();
  setup->readers = std::move(readers);
  return setup;
}

}  // namespace

SourceOpener::SourceOpener(ReaderFactories readers) : m_setup(SetupOver(std::move(readers))) {}

SourceOpener::SourceOpener(std::shared_ptr<const OpenerSetup> setup) : m_setup(std::move(setup)) {}

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
  const OpenerSetup& setup = *m_setup;
  if (setup.isMediaRuntimeLoaded && setup.isMediaRuntimeLoaded()) return true;
  if (setup.loadMediaRuntime && setup.loadMediaRuntime()) {
    if (setup.onMediaRuntimeLoaded) setup.onMediaRuntimeLoaded();
    return true;
  }
  if (setup.prompts && setup.prompts->AskYesNo(kMediaRuntimeQuestion)) {
    setup.prompts->OpenDocument(kMediaRuntimeDownloadUrl);
  }
  return setup.isMediaRuntimeLoaded && setup.isMediaRuntimeLoaded();
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
      reader = m_setup->readers.bass;
      return true;
    case kSourceOgg:
      reader = m_setup->readers.vorbis;
      bassFallback = true;
      return true;
    case kSourceAiff:
      reader = m_setup->readers.aiff;
      bassFallback = true;
      return true;
    case kSourceAu:
      reader = m_setup->readers.au;
      return true;
    case kSourceAmr:
      reader = m_setup->readers.amr;
      return true;
    case kSourceWindowsMedia:
      if (!EnsureMediaRuntime()) return false;
      reader = m_setup->readers.wma;
      return true;
    default:
      return false;
  }
}

std::unique_ptr<Decoder> SourceOpener::OpenSource(const std::string& path, int sourceType,
                                                  int renderRate, OpenPurpose purpose,
                                                  int& hasAudio) {
  const ReaderFactories& readers = m_setup->readers;
  const bool forConversion = purpose == OpenPurpose::Conversion;
  m_problem = readers.sourceProblem ? readers.sourceProblem(path) : std::string();
  if (!m_problem.empty()) {
    m_note = m_problem;
    return nullptr;
  }
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
      if (std::unique_ptr<Decoder> bass = Make(readers.bass)) {
        if (bass->Open(path, renderRate)) return bass;
      }
    }
  }

  m_ffmpegRetry = 0;
  // A preprocessed DTS stream is raw data that probing could take for
  // another format: it is read as what it was made.
  const ReaderFactories::Make& last = !forConversion                ? readers.ffmpegProbe
                                      : sourceType == kSourceRawDts ? readers.ffmpegDts
                                                                    : readers.ffmpeg;
  if (std::unique_ptr<Decoder> ffmpeg = Make(last)) {
    if (ffmpeg->Open(path, renderRate)) return ffmpeg;
    hasAudio = ffmpeg->HasAudio();
  }

  if (forConversion) m_note = SupportNote();
  return nullptr;
}

}  // namespace sondrel
