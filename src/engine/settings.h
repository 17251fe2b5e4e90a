// Every persisted option of the program (`ConvertSettings` with the custom
// tag), their defaults, and how they are loaded from and saved to a
// SettingsStore. The per-format values live in the catalogue rows and are
// loaded and saved here with the rest.
//
// Each stored option is one row of a table (OptionRows, CustomTagRows):
// its stored name, its member, the save group that writes it and how it is
// read. Loading, saving, the command line's --set and the tests walk the
// tables, so a new option is one member and one row.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "encode/format_catalogue.h"

namespace sondrel {

class SettingsStore;

// Store groups.
inline constexpr const char* kOptionsGroup = "Options";
inline constexpr const char* kCustomTagGroup = "Options/ID3";

// Values of DestOutputFolderOpt.
inline constexpr int kOutputSameAsSource = 199;
inline constexpr int kOutputSpecificFolder = 399;
// Values of TargetExistsOpt.
inline constexpr int kTargetRename = 11;
inline constexpr int kTargetOverwrite = 22;
inline constexpr int kTargetSkip = 33;
// Values of MonoType.
inline constexpr int kMonoMix = 0;
inline constexpr int kMonoLeft = 1;
inline constexpr int kMonoRight = 2;
// Values of VolumeType.
inline constexpr int kVolumeNormalize = 0;
inline constexpr int kVolumeManual = 1;
inline constexpr int kVolumeKeep = 2;
// Values of ID3TagType.
inline constexpr int kTagNone = 0;
inline constexpr int kTagCustom = 1;
inline constexpr int kTagTransfer = 2;
// Values of TrackNumType.
inline constexpr int kTrackNone = 0;
inline constexpr int kTrackSequence = 1;
inline constexpr int kTrackCustom = 2;
// Values of AMRType.
inline constexpr int kAmrNarrowBand = 0;
inline constexpr int kAmrWideBand = 1;

// The most files a run converts at the same time (the Jobs option).
inline constexpr int kMaxJobs = 64;

// The custom tag (group "Options/ID3"), used when ID3TagType is 1.
struct CustomTagSettings {
  std::string Title;
  std::string Artist;
  std::string Album;
  std::string Year;
  std::string Genre;
  std::string Comment;
  std::string Composer;
  std::string Copyright;
  int32_t TitleAsFileName = 1;        // 1: the source's file name without extension is the title
  int32_t TrackNumType = kTrackNone;  // 0 none, 1 sequence number, 2 CustomTrackNum
  int32_t CustomTrackNum = 0;         // 0 to 255

  bool operator==(const CustomTagSettings&) const = default;
};

// Every option (group "Options"), named as stored. "bool" values are 0 or 1.
struct ConvertSettings {
  // Defaults for a user without a documents folder: DestOutputFolderOpt 199
  // and an empty DestSpecifiedFolder. Touches nothing outside the record.
  ConvertSettings() = default;
  // Defaults with the given documents folder: when it is not empty it becomes
  // DestSpecifiedFolder and DestOutputFolderOpt is 399.
  explicit ConvertSettings(const std::string& documentsFolder);
  // Defaults for this user: the documents folder of DocumentsFolder()
  // (created when missing).
  static ConvertSettings ForCurrentUser();

  int32_t OutputFormat = kDefaultOutputFormat;  // id of a catalogue row
  int32_t OptStartPageIndex = 0;                // Options page active when the sheet last closed
  std::string Folder;                           // last folder chosen with Add Folder
  int32_t DestOutputFolderOpt = kOutputSameAsSource;  // 199 same as source, 399 specific
  std::string DestSpecifiedFolder;                    // the specific output folder
  int32_t CreateDirs = 0;                   // keep the source's tree below the output folder
  int32_t BrowseOutputFolder = 1;           // show the output folder after a run
  int32_t OutputFiles2MyDocuments = 1;      // fall back to the documents folder
  int32_t TargetExistsOpt = kTargetRename;  // 11 rename, 22 overwrite, 33 skip
  int32_t MonoType = kMonoMix;              // 0 (L+R)/2, 1 left, 2 right
  int32_t DoNotLoadHiddenFiles = 0;
  int32_t EnableDTSForCDA = 0;
  int32_t EnableConvertLength = 0;
  int32_t EnableSkipLength = 0;
  int32_t ConvertLength = 0;  // milliseconds to convert
  int32_t SkipLength = 0;     // milliseconds to skip at the start
  int32_t EnableExtFilter = 0;
  std::string FilterExts;             // as typed, e.g. "wav,mp3,m4a,aac"
  int32_t Volume = 100;               // manual volume in percent
  int32_t VolumeType = kVolumeKeep;   // 0 normalise, 1 manual, 2 keep
  int32_t ID3TagType = kTagTransfer;  // 0 none, 1 custom tag, 2 transfer
  int32_t WMAAutoEncParam = 1;
  int32_t WMABitRate = 128000;
  int32_t WMASampleRate = 44100;
  int32_t WMAChannels = 2;  // 1 or 2
  int32_t AMRMode = 6;      // AMR-NB bit-rate index
  int32_t AMRWBMode = 6;    // AMR-WB bit-rate index of the AMR output in wide band
  int32_t AMRDTX = 0;
  int32_t AMRType = kAmrNarrowBand;  // 0 narrow band, 1 wide band
  int32_t AWBMode = 6;               // AWB output bit-rate index
  int32_t AWBDTX = 0;
  int32_t Jobs = 0;  // files converted at the same time, 0 to 64; 0: one per processor core

  CustomTagSettings customTag;

  // Derived from FilterExts by ParseFilterExtensions: lower-case extensions
  // without dots; empty when the filter is off.
  std::vector<std::string> filterExtensions;

  bool operator==(const ConvertSettings&) const = default;
};

// Groups of SaveSettings, combined by bitwise or.
inline constexpr int kSaveOptions = 0x08;  // every other option, per-format values, custom tag
inline constexpr int kSaveFolder = 0x04;   // Folder
inline constexpr int kSaveExit = 0x10;     // OutputFormat, OptStartPageIndex

// How a stored option is read; every kind but Number is stored as text.
enum class SettingKind {
  Number,   // a signed 32-bit number; missing or unreadable leaves the member
  Folder,   // a path of at most 4095 bytes; missing, unreadable or longer leaves the member
  Text,     // missing, unreadable or empty leaves the member
  TagText,  // missing or unreadable reads as empty
  // Not an option: where the catalogue rows' five values each stand in the
  // save order of "Options" (FormatValueRows, named after SettingsPrefix).
  FormatValues,
};

// One stored option of `Record`: `number` is set for SettingKind::Number,
// `text` for the text kinds.
template <typename Record>
struct SettingRow {
  constexpr SettingRow(const char* name, int32_t Record::*number, int saveGroup = kSaveOptions)
      : name(name), kind(SettingKind::Number), saveGroup(saveGroup), number(number) {}
  constexpr SettingRow(const char* name, SettingKind kind, std::string Record::*text,
                       int saveGroup = kSaveOptions)
      : name(name), kind(kind), saveGroup(saveGroup), text(text) {}

  const char* name;
  SettingKind kind;
  int saveGroup;  // kSaveExit, kSaveFolder or kSaveOptions
  int32_t Record::*number = nullptr;
  std::string Record::*text = nullptr;
};

// The options of the "Options" group, in the order SaveSettings writes them.
std::span<const SettingRow<ConvertSettings>> OptionRows();
// The five values of a catalogue row with settings, each stored under the
// row's settings prefix followed by the name ("MP3BitRate").
std::span<const SettingRow<FormatRow>> FormatValueRows();
// The custom tag, group "Options/ID3", saved with kSaveOptions.
std::span<const SettingRow<CustomTagSettings>> CustomTagRows();

// How the option stored as `name` in `group` is read: kOptionsGroup (with
// the values of `rows`) or kCustomTagGroup. None when no option has that name.
std::optional<SettingKind> FindSetting(const std::string& group, const std::string& name,
                                       const std::vector<FormatRow>& rows);

// Reads every stored option into `settings` and the per-format values into
// the rows; a missing or unreadable value leaves its member as it was. When
// the "Options" group does not exist nothing is read. Never writes.
void LoadSettings(const SettingsStore& store, ConvertSettings& settings,
                  std::vector<FormatRow>& rows);
// Reads the "Options/ID3" group; keeps the defaults when it does not exist.
void LoadCustomTag(const SettingsStore& store, CustomTagSettings& tag);

// Writes the values of the groups in `groups` and nothing else, then flushes.
void SaveSettings(SettingsStore& store, int groups, const ConvertSettings& settings,
                  const std::vector<FormatRow>& rows);
// Writes the custom tag into "Options/ID3".
void SaveCustomTag(SettingsStore& store, const CustomTagSettings& tag);

// Rebuilds settings.filterExtensions from FilterExts: empty when the filter
// is off; else blanks removed, ';' taken as ',', lower case, split at ',',
// empty pieces dropped. FilterExts itself is not changed.
void ParseFilterExtensions(ConvertSettings& settings);

// Reads and clears FirstRun. On the first start (or when the store cannot be
// written) calls `openHelp`. Returns true when it did.
bool CheckFirstRun(SettingsStore& store, const std::function<void()>& openHelp);

// File name of the help book (found with FindDataFile).
inline constexpr const char* kHelpBookName = "sondrel.htb";

}  // namespace sondrel
