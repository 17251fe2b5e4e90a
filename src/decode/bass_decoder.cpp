#include "decode/bass_decoder.h"

#include "decode/downmix.h"
#include "decode/source_type.h"
#include "platform/audioengine/bass.h"
#include "platform/audioengine/bass_midi.h"
#include "platform/audioengine/tags.h"

namespace sondrel {

const char* const kBassTagFormat = "%TRCK\n%TITL\n%ARTI\n%ALBM\n%GNRE\n%YEAR\n%CMNT\n%COMP\n%COPY";

namespace {

constexpr DWORD kMusicFlags = BASS_MUSIC_DECODE | BASS_MUSIC_PRESCAN | BASS_MUSIC_RAMP;
constexpr QWORD kNoValue = ~QWORD{0};

bool IsMidiExtension(const std::string& extension) {
  return extension == ".midi" || extension == ".mid" || extension == ".rmi" || extension == ".kar";
}

}  // namespace

void StoreBassTagText(const std::string& text, TagInfo& tags) {
  std::string* const lines[] = {&tags.track, &tags.title, &tags.artist,  &tags.album,
                                &tags.genre, &tags.year,  &tags.comment, &tags.composer};
  size_t start = 0;
  for (std::string* field : lines) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) return;
    *field = text.substr(start, end - start);
    start = end + 1;
  }
  tags.copyright = text.substr(start);
}

BassDecoder::~BassDecoder() { Close(); }

void BassDecoder::Close() {
  if (m_handle != 0) {
    if (m_kind == Kind::Module) {
      BASS_MusicFree(m_handle);
    } else {
      BASS_StreamFree(m_handle);
    }
  }
  m_handle = 0;
  m_kind = Kind::Stream;
  m_raw.clear();
  m_raw.shrink_to_fit();
  m_rawSize = 0;
  m_rawBits = 0;
  m_rawBytes = 0;
  m_eightBitPath = false;
  m_path.clear();
  ResetProperties();
}

int BassDecoder::Open(const std::string& path, int renderRate) {
  Close();
  const DWORD rate = renderRate > 0 ? static_cast<DWORD>(renderRate) : 0;
  if (IsMidiExtension(SourceExtension(path))) {
    m_kind = Kind::Midi;
    m_handle = BASS_MIDI_StreamCreateFile(0, path.c_str(), 0, 0, BASS_STREAM_DECODE, rate);
  } else {
    m_handle = BASS_StreamCreateFile(0, path.c_str(), 0, 0, BASS_STREAM_DECODE);
    if (m_handle == 0) {
      m_handle = BASS_MusicLoad(0, path.c_str(), 0, 0, kMusicFlags, rate);
      if (m_handle != 0) m_kind = Kind::Module;
    }
  }
  if (m_handle == 0) {
    Close();
    return 0;
  }

  // A length the engine cannot tell (all bits set) fails like a zero one.
  const QWORD length = BASS_ChannelGetLength(m_handle, BASS_POS_BYTE);
  BASS_CHANNELINFO info{};
  if (length == 0 || length == kNoValue || !BASS_ChannelGetInfo(m_handle, &info) ||
      info.freq == 0 || info.chans == 0) {
    Close();
    return 0;
  }
  m_length = static_cast<int64_t>(length);
  const double seconds = BASS_ChannelBytes2Seconds(m_handle, length);
  // Figures beyond the int range (absurd headers) are held at its top.
  constexpr double kIntTop = 2147483647.0;
  m_duration = seconds < kIntTop ? static_cast<int>(seconds) : 0x7FFFFFFF;
  m_sampleRate = static_cast<int>(info.freq);
  SetChannelProperties(static_cast<int>(info.chans));
  if (info.flags & BASS_SAMPLE_8BITS) {
    m_rawBits = 8;
    m_rawBytes = 1;
    m_eightBitPath = true;
  } else {
    m_rawBits = 16;
    m_rawBytes = 2;
    m_eightBitPath = false;
  }

  const QWORD size = BASS_StreamGetFilePosition(m_handle, BASS_FILEPOS_END);
  if (seconds > 0 && size != kNoValue) {
    const double kbps = static_cast<double>(size) / (seconds * 125) + 0.5;
    m_bitRate = kbps < kIntTop ? static_cast<int>(kbps) : 0x7FFFFFFF;
  } else {
    m_bitRate = static_cast<int>(static_cast<unsigned>(m_rawBits) * info.freq * info.chans / 1000);
  }

  m_rawSize = static_cast<uint32_t>(m_outputChannels * m_rawBytes * kBlockFrames);
  m_raw.assign((m_rawSize + 1) / 2, 0);
  m_path = path;
  return 1;
}

int BassDecoder::Read(int16_t* left, int16_t* right) {
  if (m_handle == 0 || left == nullptr || (m_outputChannels == 2 && right == nullptr)) return 0;
  return m_eightBitPath ? Read8(left, right) : Read16(left, right);
}

int BassDecoder::Read16(int16_t* left, int16_t* right) {
  void* target = m_channels < 2 ? static_cast<void*>(left) : static_cast<void*>(m_raw.data());
  const DWORD bytes = BASS_ChannelGetData(m_handle, target, m_rawSize);
  if (bytes == ~DWORD{0}) return 0;
  const int n = static_cast<int>(bytes / 2);
  if (m_channels < 2) return n;
  const int16_t* raw = m_raw.data();
  if (m_channels == 2) {
    for (int i = 0; i < n / 2; ++i) {
      left[i] = raw[2 * i];
      right[i] = raw[2 * i + 1];
    }
    return n / 2;
  }
  const int frames = n / m_channels;
  for (int i = 0; i < frames; ++i) {
    DownmixToStereo(m_channels, raw + static_cast<size_t>(i) * m_channels, left[i], right[i]);
  }
  return frames;
}

int BassDecoder::Read8(int16_t* left, int16_t* right) {
  auto* raw = reinterpret_cast<uint8_t*>(m_raw.data());
  const DWORD bytes = BASS_ChannelGetData(m_handle, raw, m_rawSize);
  if (bytes == ~DWORD{0}) return 0;
  const int n = static_cast<int>(bytes);
  auto widen = [](uint8_t b) { return static_cast<int16_t>((b - 128) * 256); };
  if (m_channels == 1) {
    for (int i = 0; i < n; ++i) left[i] = widen(raw[i]);
    return n;
  }
  if (m_channels == 2) {
    for (int i = 0; i < n / 2; ++i) {
      left[i] = widen(raw[2 * i]);
      right[i] = widen(raw[2 * i + 1]);
    }
    return n / 2;
  }
  const int frames = n / m_channels;
  const int used = m_channels < 8 ? m_channels : 8;
  int16_t frame[8] = {};
  for (int i = 0; i < frames; ++i) {
    const uint8_t* src = raw + static_cast<size_t>(i) * m_channels;
    for (int c = 0; c < used; ++c) frame[c] = widen(src[c]);
    DownmixToStereo(m_channels, frame, left[i], right[i]);
  }
  return frames;
}

int64_t BassDecoder::GetPosition() {
  if (m_handle == 0) return 0;
  const QWORD position = BASS_ChannelGetPosition(m_handle, BASS_POS_BYTE);
  return position == kNoValue ? 0 : static_cast<int64_t>(position);
}

int BassDecoder::GetTags(TagInfo& tags) {
  if (m_handle == 0) return 0;
  const char* text = TAGS_Read(m_handle, kBassTagFormat);
  if (text == nullptr || *text == '\0') return 0;
  StoreBassTagText(text, tags);
  return 1;
}

}  // namespace sondrel
