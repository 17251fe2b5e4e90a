#include "engine/file_probe.h"

#include <memory>

#include "decode/source_type.h"
#include "engine/messages.h"

namespace sondrel {

bool ProbeFile(SourceOpener& opener, const std::string& path, FileItem& item) {
  const int sourceType = ClassifySource(path);
  opener.SetFfmpegRetry(0);
  int hasAudio = 1;
  std::unique_ptr<Decoder> reader =
      opener.OpenSource(path, sourceType, 0, OpenPurpose::Probe, hasAudio);
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
    m_list += kMoreFilesLine;
  }
}

std::string AddFailureReport::Message(const std::string& note) const {
  std::string text = kAddFailedHeading + m_list;
  if (m_charset) {
    text += kCharsetHint;
  } else if (!note.empty()) {
    text += "\n" + note;
  } else {
    text += SendFilesRequest();
  }
  return text;
}

}  // namespace sondrel
