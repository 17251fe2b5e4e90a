// Defaults of the options, and how they are loaded from and saved to the
// settings store.
#include "engine/settings.h"

#include <string_view>

#include "platform/paths.h"
#include "platform/settings_store.h"
#include "platform/text.h"

namespace sondrel {
namespace {

// The longest folder text that can be a path here (PATH_MAX less the
// terminating zero). A longer stored folder cannot be loaded; the old text stays.
constexpr size_t kMaxFolderLength = 4095;

constexpr const char* kFirstRun = "FirstRun";

using Options = ConvertSettings;

// In the order they are saved, which is the order of a fresh store file.
constexpr SettingRow<Options> kOptionRows[] = {
    {"OutputFormat", &Options::OutputFormat, kSaveExit},
    {"OptStartPageIndex", &Options::OptStartPageIndex, kSaveExit},
    {"Folder", SettingKind::Folder, &Options::Folder, kSaveFolder},
    {"DestOutputFolderOpt", &Options::DestOutputFolderOpt},
    {"DestSpecifiedFolder", SettingKind::Folder, &Options::DestSpecifiedFolder},
    {"CreateDirs", &Options::CreateDirs},
    {"BrowseOutputFolder", &Options::BrowseOutputFolder},
    {"OutputFiles2MyDocuments", &Options::OutputFiles2MyDocuments},
    {"TargetExistsOpt", &Options::TargetExistsOpt},
    {"MonoType", &Options::MonoType},
    {"DoNotLoadHiddenFiles", &Options::DoNotLoadHiddenFiles},
    {"EnableDTSForCDA", &Options::EnableDTSForCDA},
    {"EnableConvertLength", &Options::EnableConvertLength},
    {"EnableSkipLength", &Options::EnableSkipLength},
    {"ConvertLength", &Options::ConvertLength},
    {"SkipLength", &Options::SkipLength},
    {"EnableExtFilter", &Options::EnableExtFilter},
    {"FilterExts", SettingKind::Text, &Options::FilterExts},
    {"Volume", &Options::Volume},
    {"VolumeType", &Options::VolumeType},
    {"ID3TagType", &Options::ID3TagType},
    {"WMAAutoEncParam", &Options::WMAAutoEncParam},
    {"WMABitRate", &Options::WMABitRate},
    {"WMASampleRate", &Options::WMASampleRate},
    {"WMAChannels", &Options::WMAChannels},
    {"", SettingKind::FormatValues, static_cast<std::string Options::*>(nullptr)},
    {"AMRMode", &Options::AMRMode},
    {"AMRWBMode", &Options::AMRWBMode},
    {"AMRDTX", &Options::AMRDTX},
    {"AMRType", &Options::AMRType},
    {"AWBMode", &Options::AWBMode},
    {"AWBDTX", &Options::AWBDTX},
    {"Jobs", &Options::Jobs},
};

constexpr SettingRow<FormatRow> kFormatValueRows[] = {
    {"AutoEncParam", &FormatRow::AutoEncParam}, {"CodecID", &FormatRow::CodecID},
    {"SampleRate", &FormatRow::SampleRate},     {"BitRate", &FormatRow::BitRate},
    {"Channels", &FormatRow::Channels},
};

using Tag = CustomTagSettings;

constexpr SettingRow<Tag> kCustomTagRows[] = {
    {"Title", SettingKind::TagText, &Tag::Title},
    {"Artist", SettingKind::TagText, &Tag::Artist},
    {"Album", SettingKind::TagText, &Tag::Album},
    {"Year", SettingKind::TagText, &Tag::Year},
    {"Genre", SettingKind::TagText, &Tag::Genre},
    {"Comment", SettingKind::TagText, &Tag::Comment},
    {"Composer", SettingKind::TagText, &Tag::Composer},
    {"Copyright", SettingKind::TagText, &Tag::Copyright},
    {"TitleAsFileName", &Tag::TitleAsFileName},
    {"TrackNumType", &Tag::TrackNumType},
    {"CustomTrackNum", &Tag::CustomTrackNum},
};

template <typename Record>
void ReadRow(const SettingsStore& store, const std::string& group, const std::string& name,
             const SettingRow<Record>& row, Record& record) {
  std::string text;
  switch (row.kind) {
    case SettingKind::Number:
      store.ReadNumber(group, name, record.*row.number);
      return;
    case SettingKind::Folder:
      if (store.ReadText(group, name, text) && text.size() <= kMaxFolderLength)
        record.*row.text = text;
      return;
    case SettingKind::Text:
      if (store.ReadText(group, name, text) && !text.empty()) record.*row.text = text;
      return;
    case SettingKind::TagText:
      record.*row.text = store.ReadText(group, name, text) ? text : std::string();
      return;
    case SettingKind::FormatValues:
      return;
  }
}

template <typename Record>
void WriteRow(SettingsStore& store, const std::string& group, const std::string& name,
              const SettingRow<Record>& row, const Record& record) {
  if (row.kind == SettingKind::Number) {
    store.WriteNumber(group, name, record.*row.number);
  } else {
    store.WriteText(group, name, record.*row.text);
  }
}

template <typename Record>
std::optional<SettingKind> KindOf(std::span<const SettingRow<Record>> table,
                                  std::string_view name) {
  for (const SettingRow<Record>& row : table) {
    if (row.kind != SettingKind::FormatValues && name == row.name) return row.kind;
  }
  return std::nullopt;
}

void LoadFormatValues(const SettingsStore& store, FormatRow& format) {
  const std::string prefix = SettingsPrefix(format);
  for (const SettingRow<FormatRow>& row : kFormatValueRows) {
    ReadRow(store, kOptionsGroup, prefix + row.name, row, format);
  }
}

void SaveFormatValues(SettingsStore& store, const FormatRow& format) {
  const std::string prefix = SettingsPrefix(format);
  for (const SettingRow<FormatRow>& row : kFormatValueRows) {
    WriteRow(store, kOptionsGroup, prefix + row.name, row, format);
  }
}

}  // namespace

std::span<const SettingRow<ConvertSettings>> OptionRows() { return kOptionRows; }
std::span<const SettingRow<FormatRow>> FormatValueRows() { return kFormatValueRows; }
std::span<const SettingRow<CustomTagSettings>> CustomTagRows() { return kCustomTagRows; }

std::optional<SettingKind> FindSetting(const std::string& group, const std::string& name,
                                       const std::vector<FormatRow>& rows) {
  if (group == kCustomTagGroup) return KindOf(CustomTagRows(), name);
  if (group != kOptionsGroup) return std::nullopt;
  if (auto kind = KindOf(OptionRows(), name)) return kind;
  for (const FormatRow& format : rows) {
    if (!HasFormatSettings(format)) continue;
    const std::string prefix = SettingsPrefix(format);
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    if (auto kind = KindOf(FormatValueRows(), std::string_view(name).substr(prefix.size())))
      return kind;
  }
  return std::nullopt;
}

ConvertSettings::ConvertSettings(const std::string& documentsFolder) {
  if (!documentsFolder.empty()) {
    DestSpecifiedFolder = documentsFolder;
    DestOutputFolderOpt = kOutputSpecificFolder;
  }
}

ConvertSettings ConvertSettings::ForCurrentUser() { return ConvertSettings(DocumentsFolder()); }

void LoadSettings(const SettingsStore& store, ConvertSettings& s, std::vector<FormatRow>& rows) {
  if (!store.HasGroup(kOptionsGroup)) return;
  for (const SettingRow<ConvertSettings>& row : kOptionRows) {
    if (row.kind != SettingKind::FormatValues) {
      ReadRow(store, kOptionsGroup, row.name, row, s);
      continue;
    }
    for (FormatRow& format : rows) {
      if (HasFormatSettings(format)) LoadFormatValues(store, format);
    }
  }
  ParseFilterExtensions(s);
  if (s.WMAChannels != 1 && s.WMAChannels != 2) s.WMAChannels = 2;
  LoadCustomTag(store, s.customTag);
}

void LoadCustomTag(const SettingsStore& store, CustomTagSettings& tag) {
  if (!store.HasGroup(kCustomTagGroup)) return;
  for (const SettingRow<CustomTagSettings>& row : kCustomTagRows) {
    ReadRow(store, kCustomTagGroup, row.name, row, tag);
  }
}

void SaveSettings(SettingsStore& store, int groups, const ConvertSettings& s,
                  const std::vector<FormatRow>& rows) {
  if ((groups & (kSaveExit | kSaveFolder | kSaveOptions)) == 0) return;
  if (!store.CreateGroup(kOptionsGroup)) return;
  for (const SettingRow<ConvertSettings>& row : kOptionRows) {
    if ((groups & row.saveGroup) == 0) continue;
    if (row.kind != SettingKind::FormatValues) {
      WriteRow(store, kOptionsGroup, row.name, row, s);
      continue;
    }
    for (const FormatRow& format : rows) {
      if (HasFormatSettings(format)) SaveFormatValues(store, format);
    }
  }
  if (groups & kSaveOptions) SaveCustomTag(store, s.customTag);
  store.Flush();
}

void SaveCustomTag(SettingsStore& store, const CustomTagSettings& tag) {
  if (!store.CreateGroup(kCustomTagGroup)) return;
  for (const SettingRow<CustomTagSettings>& row : kCustomTagRows) {
    WriteRow(store, kCustomTagGroup, row.name, row, tag);
  }
}

void ParseFilterExtensions(ConvertSettings& settings) {
  settings.filterExtensions.clear();
  if (settings.EnableExtFilter == 0) return;
  std::string piece;
  auto finish = [&] {
    if (!piece.empty()) settings.filterExtensions.push_back(AsciiLower(piece));
    piece.clear();
  };
  for (const char c : settings.FilterExts) {
    if (c == ' ') continue;  // blanks only; a tab stays part of its piece
    if (c == ',' || c == ';') {
      finish();
    } else {
      piece += c;
    }
  }
  finish();
}

bool CheckFirstRun(SettingsStore& store, const std::function<void()>& openHelp) {
  int32_t firstRun = 1;
  if (store.CreateGroup(kOptionsGroup)) {
    store.ReadNumber(kOptionsGroup, kFirstRun, firstRun);
    if (firstRun != 0) {
      store.WriteNumber(kOptionsGroup, kFirstRun, 0);
      store.Flush();
    }
  }
  if (firstRun == 0) return false;
  if (openHelp) openHelp();
  return true;
}

}  // namespace sondrel
