// Defaults of the options, and how they are loaded from and saved to the
// settings store.
#include "engine/settings.h"

#include <algorithm>
#include <cctype>

#include "engine/frontend.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "platform/text.h"

namespace sondrel {
namespace {

// The longest folder text that can be a path here (PATH_MAX less the
// terminating zero). A longer stored folder cannot be loaded; the old text stays.
constexpr size_t kMaxFolderLength = 4095;

constexpr const char* kFirstRun = "FirstRun";

// The names of a row's five stored values follow its settings prefix.
constexpr const char* kAutoEncParam = "AutoEncParam";
constexpr const char* kCodecID = "CodecID";
constexpr const char* kSampleRate = "SampleRate";
constexpr const char* kBitRate = "BitRate";
constexpr const char* kChannels = "Channels";

class Reader {
 public:
  Reader(const SettingsStore& store, const char* group) : m_store(store), m_group(group) {}
  // A missing or unreadable number leaves the member as it was.
  void Number(const std::string& name, int32_t& value) const {
    m_store.ReadNumber(m_group, name, value);
  }
  void Folder(const char* name, std::string& value) const {
    std::string text;
    if (m_store.ReadText(m_group, name, text) && text.size() <= kMaxFolderLength) value = text;
  }
  // A text read whole; a missing or empty value leaves it as it was.
  void LongText(const char* name, std::string& value) const {
    std::string text;
    if (m_store.ReadText(m_group, name, text) && !text.empty()) value = text;
  }
  // A tag text: missing or empty reads as empty.
  void TagText(const char* name, std::string& value) const {
    std::string text;
    value = m_store.ReadText(m_group, name, text) ? text : std::string();
  }

 private:
  const SettingsStore& m_store;
  std::string m_group;
};

class Writer {
 public:
  Writer(SettingsStore& store, const char* group) : m_store(store), m_group(group) {}
  void Number(const std::string& name, int32_t value) { m_store.WriteNumber(m_group, name, value); }
  void Text(const char* name, const std::string& value) { m_store.WriteText(m_group, name, value); }

 private:
  SettingsStore& m_store;
  std::string m_group;
};

void LoadFormatValues(const Reader& read, FormatRow& row) {
  const std::string prefix = SettingsPrefix(row);
  read.Number(prefix + kAutoEncParam, row.AutoEncParam);
  read.Number(prefix + kCodecID, row.CodecID);
  read.Number(prefix + kSampleRate, row.SampleRate);
  read.Number(prefix + kBitRate, row.BitRate);
  read.Number(prefix + kChannels, row.Channels);
}

void SaveFormatValues(Writer& write, const FormatRow& row) {
  const std::string prefix = SettingsPrefix(row);
  write.Number(prefix + kAutoEncParam, row.AutoEncParam);
  write.Number(prefix + kCodecID, row.CodecID);
  write.Number(prefix + kSampleRate, row.SampleRate);
  write.Number(prefix + kBitRate, row.BitRate);
  write.Number(prefix + kChannels, row.Channels);
}

}  // namespace

ConvertSettings::ConvertSettings(const std::string& documentsFolder) {
  if (!documentsFolder.empty()) {
    DestSpecifiedFolder = documentsFolder;
    DestOutputFolderOpt = kOutputSpecificFolder;
  }
}

ConvertSettings ConvertSettings::ForCurrentUser() { return ConvertSettings(DocumentsFolder()); }

void LoadSettings(const SettingsStore& store, ConvertSettings& s, std::vector<FormatRow>& rows) {
  if (!store.HasGroup(kOptionsGroup)) return;
  const Reader read(store, kOptionsGroup);
  read.Folder("Folder", s.Folder);
  read.Number("DestOutputFolderOpt", s.DestOutputFolderOpt);
  read.Folder("DestSpecifiedFolder", s.DestSpecifiedFolder);
  read.Number("CreateDirs", s.CreateDirs);
  read.Number("BrowseOutputFolder", s.BrowseOutputFolder);
  read.Number("OutputFiles2MyDocuments", s.OutputFiles2MyDocuments);
  read.Number("TargetExistsOpt", s.TargetExistsOpt);
  read.Number("MonoType", s.MonoType);
  read.Number("DoNotLoadHiddenFiles", s.DoNotLoadHiddenFiles);
  read.Number("EnableDTSForCDA", s.EnableDTSForCDA);
  read.Number("EnableConvertLength", s.EnableConvertLength);
  read.Number("EnableSkipLength", s.EnableSkipLength);
  read.Number("ConvertLength", s.ConvertLength);
  read.Number("SkipLength", s.SkipLength);
  read.Number("EnableExtFilter", s.EnableExtFilter);
  read.LongText("FilterExts", s.FilterExts);
  ParseFilterExtensions(s);
  read.Number("Volume", s.Volume);
  read.Number("VolumeType", s.VolumeType);
  read.Number("ID3TagType", s.ID3TagType);
  read.Number("OutputFormat", s.OutputFormat);
  for (FormatRow& row : rows) {
    if (HasFormatSettings(row)) LoadFormatValues(read, row);
  }
  read.Number("WMAAutoEncParam", s.WMAAutoEncParam);
  read.Number("WMABitRate", s.WMABitRate);
  read.Number("WMASampleRate", s.WMASampleRate);
  read.Number("WMAChannels", s.WMAChannels);
  if (s.WMAChannels != 1 && s.WMAChannels != 2) s.WMAChannels = 2;
  read.Number("AMRMode", s.AMRMode);
  read.Number("AMRWBMode", s.AMRWBMode);
  read.Number("AMRDTX", s.AMRDTX);
  read.Number("AMRType", s.AMRType);
  read.Number("AWBMode", s.AWBMode);
  read.Number("AWBDTX", s.AWBDTX);
  read.Number("OptStartPageIndex", s.OptStartPageIndex);
  LoadCustomTag(store, s.customTag);
}

void LoadCustomTag(const SettingsStore& store, CustomTagSettings& tag) {
  if (!store.HasGroup(kCustomTagGroup)) return;
  const Reader read(store, kCustomTagGroup);
  read.TagText("Title", tag.Title);
  read.TagText("Artist", tag.Artist);
  read.TagText("Album", tag.Album);
  read.TagText("Year", tag.Year);
  read.TagText("Genre", tag.Genre);
  read.TagText("Comment", tag.Comment);
  read.TagText("Composer", tag.Composer);
  read.TagText("Copyright", tag.Copyright);
  read.Number("TitleAsFileName", tag.TitleAsFileName);
  read.Number("TrackNumType", tag.TrackNumType);
  read.Number("CustomTrackNum", tag.CustomTrackNum);
}

void SaveSettings(SettingsStore& store, int groups, const ConvertSettings& s,
                  const std::vector<FormatRow>& rows) {
  if ((groups & (kSaveExit | kSaveFolder | kSaveOptions)) == 0) return;
  if (!store.CreateGroup(kOptionsGroup)) return;
  Writer write(store, kOptionsGroup);
  if (groups & kSaveExit) {
    write.Number("OutputFormat", s.OutputFormat);
    write.Number("OptStartPageIndex", s.OptStartPageIndex);
  }
  if (groups & kSaveFolder) write.Text("Folder", s.Folder);
  if (groups & kSaveOptions) {
    write.Number("DestOutputFolderOpt", s.DestOutputFolderOpt);
    write.Text("DestSpecifiedFolder", s.DestSpecifiedFolder);
    write.Number("CreateDirs", s.CreateDirs);
    write.Number("BrowseOutputFolder", s.BrowseOutputFolder);
    write.Number("OutputFiles2MyDocuments", s.OutputFiles2MyDocuments);
    write.Number("TargetExistsOpt", s.TargetExistsOpt);
    write.Number("MonoType", s.MonoType);
    write.Number("DoNotLoadHiddenFiles", s.DoNotLoadHiddenFiles);
    write.Number("EnableDTSForCDA", s.EnableDTSForCDA);
    write.Number("EnableConvertLength", s.EnableConvertLength);
    write.Number("EnableSkipLength", s.EnableSkipLength);
    write.Number("ConvertLength", s.ConvertLength);
    write.Number("SkipLength", s.SkipLength);
    write.Number("EnableExtFilter", s.EnableExtFilter);
    write.Text("FilterExts", s.FilterExts);
    write.Number("Volume", s.Volume);
    write.Number("VolumeType", s.VolumeType);
    write.Number("ID3TagType", s.ID3TagType);
    write.Number("WMAAutoEncParam", s.WMAAutoEncParam);
    write.Number("WMABitRate", s.WMABitRate);
    write.Number("WMASampleRate", s.WMASampleRate);
    write.Number("WMAChannels", s.WMAChannels);
    for (const FormatRow& row : rows) {
      if (HasFormatSettings(row)) SaveFormatValues(write, row);
    }
    write.Number("AMRMode", s.AMRMode);
    write.Number("AMRWBMode", s.AMRWBMode);
    write.Number("AMRDTX", s.AMRDTX);
    write.Number("AMRType", s.AMRType);
    write.Number("AWBMode", s.AWBMode);
    write.Number("AWBDTX", s.AWBDTX);
    SaveCustomTag(store, s.customTag);
  }
  store.Flush();
}

void SaveCustomTag(SettingsStore& store, const CustomTagSettings& tag) {
  if (!store.CreateGroup(kCustomTagGroup)) return;
  Writer write(store, kCustomTagGroup);
  write.Text("Title", tag.Title);
  write.Text("Artist", tag.Artist);
  write.Text("Album", tag.Album);
  write.Text("Year", tag.Year);
  write.Text("Genre", tag.Genre);
  write.Text("Comment", tag.Comment);
  write.Text("Composer", tag.Composer);
  write.Text("Copyright", tag.Copyright);
  write.Number("TitleAsFileName", tag.TitleAsFileName);
  write.Number("TrackNumType", tag.TrackNumType);
  write.Number("CustomTrackNum", tag.CustomTrackNum);
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

bool CheckFirstRun(SettingsStore& store, Frontend& frontend) {
  return CheckFirstRun(store, [&] { frontend.OpenDocument(FindDataFile(kHelpBookName)); });
}

}  // namespace sondrel
