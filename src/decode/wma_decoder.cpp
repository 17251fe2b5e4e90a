#include "decode/wma_decoder.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/mediaruntime/wm_sync_reader.h"
#include "platform/text.h"

namespace sondrel {

namespace {

constexpr uint32_t kInitialBufferBytes = 102400;
constexpr int64_t kUnitsPerSecond = 10000000;

// A stored text in the locale's charset; empty for an attribute that is not
// a string (a text attribute of another type carries no text).
std::string TextOf(const WmAttribute& a) {
  if (a.type != WmAttrType::kString) return {};
  return Utf8ToAnsi(a.AsText()).value_or(std::string());
}

// The leading decimal number of a text, as C's conversion reads it; 0 when
// there is none, clamped to the int range.
int LeadingNumber(const std::string& text) {
  errno = 0;
  const long v = std::strtol(text.c_str(), nullptr, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

}  // namespace

WmaDecoder::WmaDecoder() : m_buffer(kInitialBufferBytes) {}

WmaDecoder::~WmaDecoder() { Close(); }

uint32_t WmaDecoder::GrownCapacity(uint32_t length) {
  const uint64_t grown = uint64_t{length} + length / 8;
  return static_cast<uint32_t>(std::min<uint64_t>(grown & ~uint64_t{3}, UINT32_MAX - 7) + 4);
}

void WmaDecoder::Close() {
  if (m_reader && m_readerOpened) m_reader->Close();
  m_reader.reset();
  m_readerOpened = false;
  m_title.clear();
  m_artist.clear();
  m_comment.clear();
  m_album.clear();
  m_genre.clear();
  m_year.clear();
  m_copyright.clear();
  m_composer.clear();
  m_track = 0;
  ResetProperties();
  m_cursor = 0;
  m_framesLeft = 0;
}

void WmaDecoder::ReadAttributes(bool& failed) {
  failed = false;
  // Asks for one attribute of the file; absence is not a failure.
  auto get = [&](const char* name, WmAttribute& value) {
    const WmStatus status = m_reader->GetAttributeByName(0, name, value);
    if (status == WmStatus::kOk) return true;
    if (status != WmStatus::kNotFound) failed = true;
    return false;
  };
  WmAttribute a;
  if (get("Title", a)) m_title = TextOf(a);
  if (get("Author", a)) m_artist = TextOf(a);
  if (get("Description", a)) m_comment = TextOf(a);
  if (get("WM/AlbumTitle", a)) m_album = TextOf(a);
  if (get("WM/Genre", a)) m_genre = TextOf(a);
  if (get("WM/TrackNumber", a)) {
    uint32_t number = 0;
    if (a.AsDword(number)) {
      m_track = static_cast<int>(number);
    } else if (a.type == WmAttrType::kString) {
      m_track = LeadingNumber(a.AsText());
    }
  }
  if (get("WM/Year", a)) m_year = TextOf(a);
  if (get("Copyright", a)) m_copyright = TextOf(a);
  if (get("WM/Composer", a)) m_composer = TextOf(a);
  if (get("Duration", a)) {
    uint64_t units = 0;
    if (a.AsQword(units)) {
      m_length = static_cast<int64_t>(std::min<uint64_t>(units, INT64_MAX));
      m_duration = static_cast<int>(std::min<uint64_t>(units / kUnitsPerSecond, INT_MAX));
    }
  }
  if (get("Bitrate", a)) {
    uint32_t bits = 0;
    if (a.AsDword(bits)) m_bitRate = static_cast<int>(bits / 1000);
  }
}

int WmaDecoder::Open(const std::string& path, int renderRate) {
  (void)renderRate;
  Close();
  m_streamNumber = 0;
  // Every failure below leaves the reader closed; the stream number stays so
  // that HasAudio tells a file without audio from one that failed later.
  auto fail = [this] {
    Close();
    return 0;
  };

  m_reader = CreateWmSyncReader();
  if (!m_reader) return fail();
  if (m_reader->Open(path) != WmStatus::kOk) return fail();
  m_readerOpened = true;

  for (uint32_t i = 0; i < m_reader->GetStreamCount(); ++i) {
    WmStreamInfo info;
    if (m_reader->GetStream(i, info) != WmStatus::kOk) return fail();
    if (info.type == WmMajorType::kAudio) {
      m_streamNumber = info.number;
      break;
    }
  }
  if (m_streamNumber == 0) return fail();

  if (m_reader->SetStreamsSelected(m_streamNumber, true) != WmStatus::kOk ||
      m_reader->SetReadStreamSamples(m_streamNumber, false) != WmStatus::kOk) {
    return fail();
  }

  bool failed = false;
  ReadAttributes(failed);
  if (failed) return fail();
  m_position = 0;

  bool found = false;
  for (uint32_t i = 0; i < m_reader->GetOutputCount() && !found; ++i) {
    WmMediaType type;
    if (m_reader->GetOutputProps(i, type) != WmStatus::kOk) return fail();
    if (type.majorType != WmMajorType::kAudio || type.formatType != WmFormatType::kWaveFormatEx) {
      continue;
    }
    if (type.wave.channels < 1 || type.wave.samplesPerSec < 1) continue;
    m_sampleRate = static_cast<int>(type.wave.samplesPerSec);
    SetChannelProperties(type.wave.channels);
    found = true;
  }
  if (!found) return fail();

  m_framesLeft = 0;
  m_cursor = 0;
  return 1;
}

int WmaDecoder::Deliver(int16_t* left, int16_t* right, int delivered) {
  const int want = kBlockFrames - delivered;
  const int n = static_cast<int>(std::min<uint32_t>(m_framesLeft, static_cast<uint32_t>(want)));
  const uint8_t* src = m_buffer.data() + m_cursor * 2;
  if (m_outputChannels == 2) {
    for (int i = 0; i < n; ++i, src += 4) {
      std::memcpy(&left[delivered + i], src, 2);
      if (right) std::memcpy(&right[delivered + i], src + 2, 2);
    }
    m_cursor += static_cast<size_t>(n) * 2;
  } else {
    std::memcpy(&left[delivered], src, static_cast<size_t>(n) * 2);
    m_cursor += static_cast<size_t>(n);
  }
  m_framesLeft -= static_cast<uint32_t>(n);
  return delivered + n;
}

int WmaDecoder::Read(int16_t* left, int16_t* right) {
  if (!m_readerOpened || !left || m_outputChannels < 1) return 0;
  int delivered = Deliver(left, right, 0);
  while (delivered < kBlockFrames) {
    WmSample sample;
    if (m_reader->GetNextSample(m_streamNumber, sample) != WmStatus::kOk) break;
    m_position = sample.time;
    if (sample.length > m_buffer.size()) {
      m_buffer.assign(GrownCapacity(sample.length), 0);
    }
    if (sample.length > 0) std::memcpy(m_buffer.data(), sample.data, sample.length);
    m_framesLeft = sample.length / (2u * static_cast<uint32_t>(m_outputChannels));
    m_cursor = 0;
    delivered = Deliver(left, right, delivered);
  }
  return delivered;
}

int WmaDecoder::GetTags(TagInfo& tags) {
  tags.title = m_title;
  tags.artist = m_artist;
  tags.album = m_album;
  tags.year = m_year;
  tags.genre = m_genre;
  tags.comment = m_comment;
  tags.track = std::to_string(m_track);
  tags.composer = m_composer;
  tags.copyright = m_copyright;
  return 1;
}

}  // namespace sondrel
