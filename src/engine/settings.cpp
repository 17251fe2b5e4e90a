// Loading and saving the options (implementation follows).
#include "engine/settings.h"

#include "platform/frontend.h"
#include "platform/paths.h"
#include "platform/settings_store.h"

namespace sondrel {

ConvertSettings::ConvertSettings(const std::string& documentsFolder) {
  if (!documentsFolder.empty()) {
    DestSpecifiedFolder = documentsFolder;
    DestOutputFolderOpt = kOutputSpecificFolder;
  }
}

ConvertSettings ConvertSettings::ForCurrentUser() { return ConvertSettings(DocumentsFolder()); }

void LoadSettings(const SettingsStore&, ConvertSettings&, std::vector<FormatRow>&) {}
void LoadCustomTag(const SettingsStore&, CustomTagSettings&) {}
void SaveSettings(SettingsStore&, int, const ConvertSettings&, const std::vector<FormatRow>&) {}
void SaveCustomTag(SettingsStore&, const CustomTagSettings&) {}
void ParseFilterExtensions(ConvertSettings& settings) { settings.filterExtensions.clear(); }
bool CheckFirstRun(SettingsStore&, const std::function<void()>&) { return false; }
bool CheckFirstRun(SettingsStore& store, Frontend& frontend) {
  return CheckFirstRun(store, [&] { frontend.OpenDocument(FindDataFile(kHelpBookName)); });
}

}  // namespace sondrel
