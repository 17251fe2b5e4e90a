// WAV (every PCM width, float, and the codecs libsndfile reads), AIFF, FLAC
// and Ogg Vorbis through libsndfile. 8-bit PCM is delivered as stored
// (unsigned, BASS_SAMPLE_8BITS); everything else as 16-bit.
#pragma once

#include <memory>
#include <string>

#include "platform/audioengine/channel.h"
#include "platform/audioengine/content_sniffer.h"

namespace sondrel::audioengine {

// Opens `path` as `kind` (Wav, Aiff, Flac or Ogg); null when libsndfile cannot
// read it. `allowFlac` false refuses FLAC data (its decoder is not enabled).
std::unique_ptr<Channel> OpenSndfileChannel(const std::string& path, ContentKind kind,
                                            bool allowFlac, int& error);

}  // namespace sondrel::audioengine
