#include "platform/audioengine/sndfile_channel.h"

#include <sndfile.h>

#include <vector>

#include "platform/audioengine/bass.h"
#include "platform/c_handle.h"

namespace sondrel::audioengine {

namespace {

using SndfilePtr = CHandle<SNDFILE, sf_close>;

// Channels beyond this count are not a real file.
constexpr int kMaxChannels = 64;

class SndfileChannel : public Channel {
 public:
  SndfileChannel(SndfilePtr file, const SF_INFO& info, const std::string& path, ContentKind kind)
      : m_file(std::move(file)) {
    const int major = info.format & SF_FORMAT_TYPEMASK;
    const int sub = info.format & SF_FORMAT_SUBMASK;
    // Stored 8-bit samples are passed on as they are; compressed 8-bit data
    // (FLAC) has no stored samples to pass and is decoded to 16 bits.
    const bool eightBit =
        (sub == SF_FORMAT_PCM_U8 || sub == SF_FORMAT_PCM_S8) && major != SF_FORMAT_FLAC;
    m_signed8 = sub == SF_FORMAT_PCM_S8;
    // Float data is converted here: libsndfile's own float-to-short reading
    // either truncates or normalises to the file's peak.
    m_readFloat = sub == SF_FORMAT_FLOAT || sub == SF_FORMAT_DOUBLE || major == SF_FORMAT_OGG;
    uint32_t ctype = BASS_CTYPE_STREAM_WAV_PCM;
    TagSource tags = TagSource::Wav;
    if (major == SF_FORMAT_FLAC) {
      ctype = BASS_CTYPE_STREAM_FLAC;
      tags = TagSource::Flac;
    } else if (major == SF_FORMAT_OGG) {
      ctype = BASS_CTYPE_STREAM_OGG;
      tags = TagSource::OggVorbis;
    } else if (major == SF_FORMAT_AIFF) {
      ctype = BASS_CTYPE_STREAM_AIFF;
      tags = TagSource::Aiff;
    } else if (sub == SF_FORMAT_FLOAT || sub == SF_FORMAT_DOUBLE) {
      ctype = BASS_CTYPE_STREAM_WAV_FLOAT;
    }
    (void)kind;
    SetFormat(static_cast<uint32_t>(info.samplerate), static_cast<uint32_t>(info.channels),
              eightBit, ctype, OriginalBits(sub));
    SetLengthFrames(static_cast<uint64_t>(info.frames));
    SetSourceFile(path, tags);
  }

 protected:
  size_t Decode(void* out, size_t frames) override {
    if (EightBit()) {
      const sf_count_t bytes = static_cast<sf_count_t>(frames * Channels());
      const sf_count_t got = sf_read_raw(m_file.get(), out, bytes);
      if (got <= 0) return 0;
      if (m_signed8) {
        auto* p = static_cast<uint8_t*>(out);
        for (sf_count_t i = 0; i < got; ++i) p[i] ^= 0x80;
      }
      return static_cast<size_t>(got) / Channels();
    }
    if (m_readFloat) {
      m_floats.resize(frames * Channels());
      const sf_count_t got =
          sf_readf_float(m_file.get(), m_floats.data(), static_cast<sf_count_t>(frames));
      if (got <= 0) return 0;
      auto* dst = static_cast<int16_t*>(out);
      const size_t count = static_cast<size_t>(got) * Channels();
      for (size_t i = 0; i < count; ++i) dst[i] = FloatToInt16(m_floats[i]);
      return static_cast<size_t>(got);
    }
    const sf_count_t got =
        sf_readf_short(m_file.get(), static_cast<short*>(out), static_cast<sf_count_t>(frames));
    return got > 0 ? static_cast<size_t>(got) : 0;
  }

 private:
  static uint32_t OriginalBits(int sub) {
    switch (sub) {
      case SF_FORMAT_PCM_S8:
      case SF_FORMAT_PCM_U8:
        return 8;
      case SF_FORMAT_PCM_16:
        return 16;
      case SF_FORMAT_PCM_24:
        return 24;
      case SF_FORMAT_PCM_32:
      case SF_FORMAT_FLOAT:
        return 32;
      case SF_FORMAT_DOUBLE:
        return 64;
      default:
        return 0;
    }
  }

  SndfilePtr m_file;
  bool m_signed8 = false;
  bool m_readFloat = false;
  std::vector<float> m_floats;
};

bool MajorMatches(ContentKind kind, int major) {
  switch (kind) {
    case ContentKind::Wav:
      return major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64 ||
             major == SF_FORMAT_W64;
    case ContentKind::Aiff:
      return major == SF_FORMAT_AIFF;
    case ContentKind::Flac:
      return major == SF_FORMAT_FLAC;
    case ContentKind::Ogg:
      return major == SF_FORMAT_OGG;
    default:
      return false;
  }
}

}  // namespace

std::unique_ptr<Channel> OpenSndfileChannel(const std::string& path, ContentKind kind,
                                            bool allowFlac, int& error) {
  SF_INFO info{};
  SndfilePtr file(sf_open(path.c_str(), SFM_READ, &info));
  if (!file) {
    error = BASS_ERROR_FILEFORM;
    return nullptr;
  }
  const int major = info.format & SF_FORMAT_TYPEMASK;
  const int sub = info.format & SF_FORMAT_SUBMASK;
  if (!MajorMatches(kind, major) || info.channels < 1 || info.channels > kMaxChannels ||
      info.samplerate < 1 || info.frames < 0) {
    error = BASS_ERROR_FILEFORM;
    return nullptr;
  }
  // Ogg here is Vorbis only; FLAC data needs the FLAC decoder enabled.
  if ((major == SF_FORMAT_OGG && sub != SF_FORMAT_VORBIS) ||
      (major == SF_FORMAT_FLAC && !allowFlac)) {
    error = BASS_ERROR_FILEFORM;
    return nullptr;
  }
  return std::make_unique<SndfileChannel>(std::move(file), info, path, kind);
}

}  // namespace sondrel::audioengine
