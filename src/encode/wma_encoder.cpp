#include "encode/wma_encoder.h"

#include <cstring>
#include <vector>

#include "encode/wma_format_list.h"
#include "platform/file_tags.h"
#include "platform/mediaruntime/wm_writer.h"
#include "platform/text.h"

namespace sondrel {

namespace {

// A tag text from the locale's charset; no value when it is empty.
std::optional<std::string> TagText(const std::string& ansi) {
  if (ansi.empty()) return std::nullopt;
  return AnsiToUtf8(ansi);
}

}  // namespace

WmaEncoder::WmaEncoder() = default;

// Releases the writer without ending the writing (the layer then removes
// the unfinished file).
WmaEncoder::~WmaEncoder() = default;

void WmaEncoder::SetTags(const std::string& title, const std::string& artist,
                         const std::string& album, const std::string& genre,
                         const std::string& year, const std::string& comment,
                         const std::string& composer, const std::string& copyright, int track) {
  m_title = TagText(title);
  m_artist = TagText(artist);
  m_album = TagText(album);
  m_genre = TagText(genre);
  m_year = TagText(year);
  m_comment = TagText(comment);
  m_composer = TagText(composer);
  m_copyright = TagText(copyright);
  m_track = track;
}

void WmaEncoder::SetSampleRate(int hertz) {
  m_sampleRate = hertz;
  m_bitsPerSample = 16;
}

void WmaEncoder::SetChannels(int count) {
  m_channels = count;
  m_bitsPerSample = 16;
}

void WmaEncoder::SetFormat(const FormatParams& params) {
  const auto* entry = std::get_if<const WmaFormatEntry*>(&params);
  m_format = entry ? *entry : nullptr;
}

void WmaEncoder::Reset() {
  m_writer.reset();
  m_path.clear();
  m_title.reset();
  m_album.reset();
  m_artist.reset();
  m_genre.reset();
  m_year.reset();
  m_comment.reset();
  m_composer.reset();
  m_copyright.reset();
  m_track = 0;
  m_cover.reset();
  m_sampleRate = 0;
  m_bitsPerSample = 0;
  m_channels = 0;
  m_format = nullptr;
  m_bitRate = 0;
  m_input = 0;
  m_sampleTime = 0;
}

void WmaEncoder::AddTags() {
  // Results are not checked: a tag the header cannot hold is left out.
  auto text = [this](const char* name, const std::optional<std::string>& value,
                     bool withTerminator) {
    if (value) m_writer->AddAttribute(0, name, WmAttribute::Text(*value, withTerminator));
  };
  text("Title", m_title, true);
  text("Author", m_artist, false);
  text("WM/AlbumArtist", m_artist, false);
  text("Description", m_comment, false);
  text("WM/AlbumTitle", m_album, false);
  text("WM/Genre", m_genre, false);
  m_writer->AddAttribute(0, "WM/TrackNumber",
                         WmAttribute::Dword(static_cast<uint32_t>(m_track > 0 ? m_track : 0)));
  text("WM/Year", m_year, false);
  text("WM/Composer", m_composer, false);
  text("Copyright", m_copyright, false);
}

int WmaEncoder::Open() {
  auto fail = [this] {
    Reset();
    return 0;
  };
  m_writer = CreateWmWriter();
  if (!m_writer) return fail();

  if (!m_format || m_bitRate == 0) return fail();
  WmProfile profile(kWmProfileVersion9);
  WmStreamConfig stream;
  if (profile.CreateNewStream(WmMajorType::kAudio, stream) != WmStatus::kOk) return fail();
  if (stream.SetMediaType(m_format->mediaType) != WmStatus::kOk) return fail();
  stream.SetStreamName("audio stream");
  stream.SetConnectionName("audio");
  stream.SetStreamNumber(1);
  stream.SetBitrate(static_cast<uint32_t>(m_bitRate));
  stream.SetBufferWindow(3000);
  if (profile.AddStream(stream) != WmStatus::kOk) return fail();
  if (m_writer->SetProfile(profile) != WmStatus::kOk) return fail();

  uint32_t inputs = 0;
  if (m_writer->GetInputCount(inputs) != WmStatus::kOk) return fail();
  m_input = 0;
  for (uint32_t i = 0; i < inputs; ++i) {
    WmMediaType type;
    if (m_writer->GetInputProps(i, type) != WmStatus::kOk) return fail();
    if (type.majorType == WmMajorType::kAudio) {
      m_input = i;
      break;
    }
  }

  WmMediaType pcm;
  pcm.majorType = WmMajorType::kAudio;
  pcm.subtype = WmSubtype::kPcm;
  pcm.fixedSizeSamples = true;
  pcm.temporalCompression = false;
  pcm.formatType = WmFormatType::kWaveFormatEx;
  pcm.wave.formatTag = kWaveFormatPcm;
  pcm.wave.channels = static_cast<uint16_t>(m_channels);
  pcm.wave.samplesPerSec = static_cast<uint32_t>(m_sampleRate);
  pcm.wave.bitsPerSample = 16;
  pcm.wave.blockAlign = static_cast<uint16_t>(m_channels * 16 / 8);
  pcm.wave.avgBytesPerSec = pcm.wave.samplesPerSec * pcm.wave.blockAlign;
  pcm.sampleSize = pcm.wave.blockAlign;
  if (m_channels < 1 || m_channels > 2 || m_sampleRate < 1) return fail();
  WmMediaType current;
  if (m_writer->GetInputProps(m_input, current) != WmStatus::kOk ||
      m_writer->SetInputProps(m_input, pcm) != WmStatus::kOk) {
    return fail();
  }

  AddTags();

  if (m_writer->SetOutputFilename(m_path) != WmStatus::kOk ||
      m_writer->BeginWriting() != WmStatus::kOk) {
    return fail();
  }
  m_sampleTime = 0;
  return 1;
}

int WmaEncoder::Write(const int16_t* left, const int16_t* right, int frames) {
  if (frames <= 0) return 1;
  if (!m_writer || !left) return 0;
  const uint32_t size = static_cast<uint32_t>(frames) * static_cast<uint32_t>(m_channels) * 2;
  std::unique_ptr<WmBuffer> buffer;
  if (m_writer->AllocateSample(size, buffer) != WmStatus::kOk) return 0;
  if (m_channels == 2) {
    // Without a right plane both sides carry the left one.
    const int16_t* r = right ? right : left;
    m_interleaved.resize(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
      m_interleaved[2 * i] = left[i];
      m_interleaved[2 * i + 1] = r[i];
    }
    std::memcpy(buffer->GetBuffer(), m_interleaved.data(), size);
  } else {
    std::memcpy(buffer->GetBuffer(), left, size);
  }
  buffer->SetLength(size);
  const WmStatus status = m_writer->WriteSample(m_input, m_sampleTime, 0, *buffer);
  m_sampleTime += static_cast<int64_t>(frames * 10000000.0 / m_sampleRate);
  return status == WmStatus::kOk ? 1 : 0;
}

int WmaEncoder::Close() {
  bool ok = !m_writer || m_writer->EndWriting() == WmStatus::kOk;
  if (ok && m_writer && m_cover) {
    FileTagFields cover;
    cover.cover = m_cover;
    ok = WriteFileTags(m_path, TagContainer::Asf, cover);
  }
  Reset();
  return ok ? 1 : 0;
}

}  // namespace sondrel
