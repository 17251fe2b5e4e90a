#include "engine/file_probe.h"

#include <cstdint>
#include <memory>

#include "decode/source_type.h"
#include "platform/product.h"

namespace sondrel {

const char* const kCdTrackNote =
    "IMPORTANT: please DO NOT add CDA file from hard drive, but add CDA file from CD drive.";

bool NameFitsCharset(const std::string& path) {
  // Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
  const auto* s = reinterpret_cast<const unsigned char*>(path.data());
  const size_t n = path.size();
  for (size_t i = 0; i < n;) {
    const unsigned char c = s[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    int more = 0;
    uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + static_cast<size_t>(more) >= n) return false;
    for (int k = 1; k <= more; ++k) {
      const unsigned char t = s[i + static_cast<size_t>(k)];
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if ((more == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (more == 3 && (cp < 0x10000 || cp > 0x10FFFF))) {
      return false;
    }
    i += static_cast<size_t>(more) + 1;
  }
  return true;
}

bool ProbeFile(SourceOpener& opener, const std::string& path, FileItem& item) {
  const int sourceType = ClassifySource(path);
  opener.SetFfmpegRetry(0);
  int hasAudio = 1;
  std::unique_ptr<Decoder> reader = opener.OpenSource(path, sourceType, 0, 0, hasAudio);
  if (!reader) {
    if (sourceType == kSourceCdTrack) opener.SetNote(kCdTrackNote);
    return false;
  }
  item = FileItem{};
  item.sourcePath = path;
  item.duration = reader->GetDuration();
  item.sampleRate = reader->GetSampleRate();
  item.bitRate = reader->GetBitRate();
  item.channels = reader->GetChannels();
  item.sourceType = sourceType;
  reader->Close();
  return true;
}

void AddFailureReport::Clear() {
  m_list.clear();
  m_count = 0;
  m_charset = false;
}

void AddFailureReport::Add(const std::string& path, bool charset) {
  if (charset) m_charset = true;
  ++m_count;
  if (m_count <= 30) {
    m_list += path + "\n";
  } else if (m_count == 31) {
    m_list += "<more files>...\n";
  }
}

std::string AddFailureReport::Message(const std::string& note) const {
  std::string text = "Failed to load the following files.\n\n" + m_list;
  if (m_charset) {
    text +=
        "\nThere are non-English characters in filename of some files. Please remove the "
        "characters from filename and then try again.";
  } else if (!note.empty()) {
    text += "\n" + note;
  } else {
    text += std::string("\nPlease send these files to ") + kSupportAddress +
            " so that a future version can read them.";
  }
  return text;
}

}  // namespace sondrel
