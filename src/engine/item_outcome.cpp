#include "engine/item_outcome.h"

#include <cstdio>

#include "engine/messages.h"
#include "platform/paths.h"

namespace sondrel {

namespace {

// The Output column's width that shows a note.
constexpr int kNoteColumnWidth = 500;

}  // namespace

std::string FailureStatus(Frontend& frontend, int hasAudio, const std::string& note) {
  if (!hasAudio) return kNoAudioStatus;
  std::string status = kConversionFailureStatus;
  if (!note.empty()) {
    status += " (" + note + ")";
    if (frontend.OutputColumnWidth() < kNoteColumnWidth)
      frontend.SetOutputColumnWidth(kNoteColumnWidth);
  }
  return status;
}

std::string VolumeText(float gain) {
  char text[64];
  std::snprintf(text, sizeof text, "%.02f%%", static_cast<double>(gain > 0 ? gain : 1.0f) * 100.0);
  return text;
}

void ShowConverted(Frontend& frontend, int row, const FileItem& item, float gain) {
  frontend.SetRowText(row, ListColumn::Volume, VolumeText(gain));
  frontend.SetRowText(row, ListColumn::Output, FileNameOf(item.targetPath));
}

void BrowseFirstTarget(Frontend& frontend, const ConvertSettings& settings,
                       const std::vector<FileItem*>& items, int reached) {
  if (!settings.BrowseOutputFolder) return;
  for (int i = 0; i < reached && i < static_cast<int>(items.size()); ++i) {
    const std::string& target = items[static_cast<size_t>(i)]->targetPath;
    if (!target.empty() && FileExists(target)) {
      frontend.ShowInFolder(target);
      return;
    }
  }
}

}  // namespace sondrel
