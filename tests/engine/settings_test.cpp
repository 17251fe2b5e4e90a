// Options: defaults, loading, the three save groups, the extension filter and
// the first start, on the in-memory store.
#include "engine/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/settings_store.h"

namespace sondrel {
namespace {

std::vector<FormatRow> Catalogue() {
  std::vector<FormatRow> rows;
  BuildCatalogue(rows);
  return rows;
}

// Every member set to a value different from its default.
ConvertSettings Changed() {
  ConvertSettings s("/home/u/Documents");
  s.OutputFormat = kFormatOgg;
  s.OptStartPageIndex = 3;
  s.Folder = "/home/u/Music/";
  s.DestOutputFolderOpt = kOutputSameAsSource;
  s.DestSpecifiedFolder = "/srv/out dir/";
  s.CreateDirs = 1;
  s.BrowseOutputFolder = 0;
  s.OutputFiles2MyDocuments = 0;
  s.TargetExistsOpt = kTargetSkip;
  s.MonoType = kMonoRight;
  s.DoNotLoadHiddenFiles = 1;
  s.EnableDTSForCDA = 1;
  s.EnableConvertLength = 1;
  s.EnableSkipLength = 1;
  s.ConvertLength = 30000;
  s.SkipLength = 1500;
  s.EnableExtFilter = 1;
  s.FilterExts = "WAV; mp3";
  s.Volume = 250;
  s.VolumeType = kVolumeManual;
  s.ID3TagType = kTagCustom;
  s.WMAAutoEncParam = 0;
  s.WMABitRate = 64000;
  s.WMASampleRate = 22050;
  s.WMAChannels = 1;
  s.AMRMode = 2;
  s.AMRWBMode = 8;
  s.AMRDTX = 1;
  s.AMRType = kAmrWideBand;
  s.AWBMode = 4;
  s.AWBDTX = 1;
  s.Jobs = 3;
  s.customTag = {"Title",    "Artist", "Album", "1999",       "Pop", "Comment",
                 "Composer", "(c)",    0,       kTrackCustom, 7};
  return s;
}

// Equal records; on a difference, the stored names of the members that differ.
void ExpectSameOptions(const ConvertSettings& a, const ConvertSettings& b) {
  if (a == b) return;
  std::string differ;
  for (const SettingRow<ConvertSettings>& row : OptionRows()) {
    if (row.kind == SettingKind::FormatValues) continue;
    const bool same = row.number ? a.*row.number == b.*row.number : a.*row.text == b.*row.text;
    if (!same) differ += std::string(" ") + row.name;
  }
  for (const SettingRow<CustomTagSettings>& row : CustomTagRows()) {
    const bool same = row.number ? a.customTag.*row.number == b.customTag.*row.number
                                 : a.customTag.*row.text == b.customTag.*row.text;
    if (!same) differ += std::string(" ID3/") + row.name;
  }
  if (a.filterExtensions != b.filterExtensions) differ += " (filterExtensions)";
  ADD_FAILURE() << "options differ:" << differ;
}

TEST(Settings, DefaultsFollowTheDocumentsFolder) {
  const ConvertSettings withDocuments("/home/u/Documents");
  EXPECT_EQ(withDocuments.DestOutputFolderOpt, kOutputSpecificFolder);
  EXPECT_EQ(withDocuments.DestSpecifiedFolder, "/home/u/Documents");
  const ConvertSettings without;
  EXPECT_EQ(without.DestOutputFolderOpt, kOutputSameAsSource);
  EXPECT_EQ(without.DestSpecifiedFolder, "");
  EXPECT_EQ(without.OutputFormat, kFormatMp3);
  EXPECT_EQ(without.customTag.TitleAsFileName, 1);
}

TEST(Settings, SavedOptionsLoadBackIntoFreshRecords) {
  MemorySettingsStore store;
  std::vector<FormatRow> rows = Catalogue();
  FindFormatRow(rows, kFormatFlac)->AutoEncParam = 0;
  FindFormatRow(rows, kFormatFlac)->SampleRate = 96000;
  const ConvertSettings saved = Changed();
  SaveSettings(store, kSaveExit | kSaveFolder | kSaveOptions, saved, rows);

  ConvertSettings loaded("/home/u/Documents");
  std::vector<FormatRow> loadedRows = Catalogue();
  store.writes.clear();
  LoadSettings(store, loaded, loadedRows);
  EXPECT_TRUE(store.writes.empty()) << "loading must not write";
  ConvertSettings expected = saved;
  ParseFilterExtensions(expected);
  ExpectSameOptions(loaded, expected);
  EXPECT_EQ(loaded.filterExtensions, (std::vector<std::string>{"wav", "mp3"}));
  EXPECT_EQ(FindFormatRow(loadedRows, kFormatFlac)->AutoEncParam, 0);
  EXPECT_EQ(FindFormatRow(loadedRows, kFormatFlac)->SampleRate, 96000);
}

// The stored names and their order are the store file's layout: a fresh file
// lists its values in the order they are first written.
TEST(Settings, StoredNamesAndSaveOrder) {
  MemorySettingsStore store;
  SaveSettings(store, kSaveExit | kSaveFolder | kSaveOptions, ConvertSettings(), Catalogue());
  std::vector<std::string> options, tag;
  size_t formatValuesAt = 0;
  for (const std::string& write : store.writes) {
    const std::string name = write.substr(write.find_last_of('/') + 1);
    if (write.rfind("Options/ID3/", 0) == 0) {
      tag.push_back(name);
    } else if (FindSetting(kOptionsGroup, name, {}).has_value()) {
      options.push_back(name);
    } else if (formatValuesAt == 0) {
      formatValuesAt = options.size();
    }
  }
  EXPECT_EQ(options, (std::vector<std::string>{"OutputFormat",
                                               "OptStartPageIndex",
                                               "Folder",
                                               "DestOutputFolderOpt",
                                               "DestSpecifiedFolder",
                                               "CreateDirs",
                                               "BrowseOutputFolder",
                                               "OutputFiles2MyDocuments",
                                               "TargetExistsOpt",
                                               "MonoType",
                                               "DoNotLoadHiddenFiles",
                                               "EnableDTSForCDA",
                                               "EnableConvertLength",
                                               "EnableSkipLength",
                                               "ConvertLength",
                                               "SkipLength",
                                               "EnableExtFilter",
                                               "FilterExts",
                                               "Volume",
                                               "VolumeType",
                                               "ID3TagType",
                                               "WMAAutoEncParam",
                                               "WMABitRate",
                                               "WMASampleRate",
                                               "WMAChannels",
                                               "AMRMode",
                                               "AMRWBMode",
                                               "AMRDTX",
                                               "AMRType",
                                               "AWBMode",
                                               "AWBDTX",
                                               "Jobs"}));
  EXPECT_EQ(formatValuesAt, 25u) << "the per-format values follow WMAChannels";
  EXPECT_EQ(tag, (std::vector<std::string>{"Title", "Artist", "Album", "Year", "Genre", "Comment",
                                           "Composer", "Copyright", "TitleAsFileName",
                                           "TrackNumType", "CustomTrackNum"}));
}

TEST(Settings, FindSettingNamesEveryStoredOption) {
  const std::vector<FormatRow> rows = Catalogue();
  struct Case {
    const char* group;
    const char* name;
    std::optional<SettingKind> kind;
  };
  const Case cases[] = {
      {kOptionsGroup, "Volume", SettingKind::Number},
      {kOptionsGroup, "Folder", SettingKind::Folder},
      {kOptionsGroup, "DestSpecifiedFolder", SettingKind::Folder},
      {kOptionsGroup, "FilterExts", SettingKind::Text},
      {kOptionsGroup, "MP3BitRate", SettingKind::Number},
      {kOptionsGroup, "AACDEVICECodecID", SettingKind::Number},
      {kCustomTagGroup, "Title", SettingKind::TagText},
      {kCustomTagGroup, "CustomTrackNum", SettingKind::Number},
      {kOptionsGroup, "AMRCodecID", std::nullopt},  // AMR keeps no per-format values
      {kOptionsGroup, "MP3", std::nullopt},
      {kOptionsGroup, "FirstRun", std::nullopt},  // kept by CheckFirstRun, not an option
      {kOptionsGroup, "volume", std::nullopt},
      {kOptionsGroup, "", std::nullopt},
      {kOptionsGroup, "Title", std::nullopt},
      {kCustomTagGroup, "Volume", std::nullopt},
      {"Other", "Volume", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindSetting(c.group, c.name, rows), c.kind) << c.group << "/" << c.name;
  }
}

TEST(Settings, MissingGroupsAndValues) {
  const ConvertSettings defaults("/home/u/Documents");
  {
    SCOPED_TRACE("no Options group at all: everything keeps its default");
    MemorySettingsStore store;
    ConvertSettings s("/home/u/Documents");
    std::vector<FormatRow> rows = Catalogue();
    LoadSettings(store, s, rows);
    ExpectSameOptions(s, defaults);
    EXPECT_TRUE(store.writes.empty());
  }
  {
    SCOPED_TRACE("Options present, ID3 missing: options load, the tag keeps its defaults");
    MemorySettingsStore store;
    store.WriteNumber(kOptionsGroup, "Volume", 80);
    store.WriteText(kOptionsGroup, "Folder", "/data/");
    ConvertSettings s("/home/u/Documents");
    std::vector<FormatRow> rows = Catalogue();
    LoadSettings(store, s, rows);
    EXPECT_EQ(s.Volume, 80);
    EXPECT_EQ(s.Folder, "/data/");
    EXPECT_EQ(s.customTag.TitleAsFileName, 1);
    EXPECT_EQ(s.customTag.TrackNumType, kTrackNone);
    EXPECT_EQ(s.customTag.Title, "");
  }
  {
    SCOPED_TRACE("a missing value leaves the member as it was, not the default");
    MemorySettingsStore store;
    store.CreateGroup(kOptionsGroup);
    ConvertSettings s = Changed();
    std::vector<FormatRow> rows = Catalogue();
    FindFormatRow(rows, kFormatMp3)->BitRate = 320000;
    LoadSettings(store, s, rows);
    EXPECT_EQ(s.Volume, 250);
    EXPECT_EQ(s.DestSpecifiedFolder, "/srv/out dir/");
    EXPECT_EQ(s.FilterExts, "WAV; mp3");
    EXPECT_EQ(FindFormatRow(rows, kFormatMp3)->BitRate, 320000);
  }
}

TEST(Settings, CustomTagTexts) {
  MemorySettingsStore store;
  store.CreateGroup(kCustomTagGroup);
  store.WriteText(kCustomTagGroup, "Title", "");  // only the terminating zero
  store.WriteText(kCustomTagGroup, "Artist", "A");
  store.WriteText(kCustomTagGroup, "Comment", std::string(100000, 'c'));
  store.WriteNumber(kCustomTagGroup, "Album", 5);  // wrong type
  CustomTagSettings tag;
  tag.Title = "old title";
  tag.Album = "old album";
  tag.Genre = "old genre";  // not stored at all
  LoadCustomTag(store, tag);
  EXPECT_EQ(tag.Title, "");
  EXPECT_EQ(tag.Artist, "A");
  EXPECT_EQ(tag.Comment.size(), 100000u);
  // A missing or unreadable text reads as empty, unlike the options.
  EXPECT_EQ(tag.Album, "");
  EXPECT_EQ(tag.Genre, "");
  EXPECT_EQ(tag.TitleAsFileName, 1);
}

TEST(Settings, FilterExtensions) {
  ConvertSettings s;
  s.FilterExts = "WAV; mp3;;m4a";
  s.EnableExtFilter = 1;
  ParseFilterExtensions(s);
  EXPECT_EQ(s.filterExtensions, (std::vector<std::string>{"wav", "mp3", "m4a"}));
  EXPECT_EQ(s.FilterExts, "WAV; mp3;;m4a");

  s.EnableExtFilter = 0;
  ParseFilterExtensions(s);
  EXPECT_TRUE(s.filterExtensions.empty());
  EXPECT_EQ(s.FilterExts, "WAV; mp3;;m4a");

  s.EnableExtFilter = 1;
  s.FilterExts = " , ;\tFlac,";  // a tab is not a blank here
  ParseFilterExtensions(s);
  EXPECT_EQ(s.filterExtensions, (std::vector<std::string>{"\tflac"}));

  // Loading parses with the filter flag read just before.
  MemorySettingsStore store;
  store.WriteNumber(kOptionsGroup, "EnableExtFilter", 1);
  store.WriteText(kOptionsGroup, "FilterExts", "OGG,Aac");
  ConvertSettings loaded;
  std::vector<FormatRow> rows = Catalogue();
  LoadSettings(store, loaded, rows);
  EXPECT_EQ(loaded.filterExtensions, (std::vector<std::string>{"ogg", "aac"}));
}

TEST(Settings, RepairsAndUnreadableValues) {
  for (int32_t stored : {6, 0, -1, 3}) {
    MemorySettingsStore store;
    store.WriteNumber(kOptionsGroup, "WMAChannels", stored);
    ConvertSettings s;
    std::vector<FormatRow> rows = Catalogue();
    LoadSettings(store, s, rows);
    EXPECT_EQ(s.WMAChannels, 2) << "stored " << stored;
  }
  MemorySettingsStore store;
  store.WriteNumber(kOptionsGroup, "WMAChannels", 1);
  store.WriteText(kOptionsGroup, "Volume", "80");  // wrong type: unreadable
  store.WriteNumber(kOptionsGroup, "Folder", 12);  // wrong type: unreadable
  store.WriteText(kOptionsGroup, "DestSpecifiedFolder", std::string(5000, 'x'));  // too long
  store.WriteNumber(kOptionsGroup, "OutputFormat", 4242);                         // matches no row
  store.WriteNumber(kOptionsGroup, "MP3CodecID", kCodecFlac);  // not among MP3's codecs
  ConvertSettings s("/home/u/Documents");
  std::vector<FormatRow> rows = Catalogue();
  LoadSettings(store, s, rows);
  EXPECT_EQ(s.WMAChannels, 1);
  EXPECT_EQ(s.Volume, 100);
  EXPECT_EQ(s.Folder, "");
  EXPECT_EQ(s.DestSpecifiedFolder, "/home/u/Documents");
  // Taken as stored; the window then selects the first row, the writer refuses.
  EXPECT_EQ(s.OutputFormat, 4242);
  EXPECT_EQ(FindFormatRow(rows, s.OutputFormat), nullptr);
  EXPECT_EQ(FindFormatRow(rows, kFormatMp3)->CodecID, kCodecFlac);
  EXPECT_EQ(FindCodecEntry(*FindFormatRow(rows, kFormatMp3), kCodecFlac), nullptr);
}

TEST(Settings, SaveGroupsWriteOnlyTheirOwnValues) {
  const ConvertSettings s = Changed();
  const std::vector<FormatRow> rows = Catalogue();
  {
    MemorySettingsStore store;
    SaveSettings(store, kSaveExit, s, rows);
    EXPECT_EQ(store.writes,
              (std::vector<std::string>{"Options/OutputFormat", "Options/OptStartPageIndex"}));
  }
  {
    MemorySettingsStore store;
    SaveSettings(store, kSaveFolder, s, rows);
    EXPECT_EQ(store.writes, (std::vector<std::string>{"Options/Folder"}));
  }
  {
    MemorySettingsStore store;
    SaveSettings(store, kSaveOptions, s, rows);
    auto wrote = [&](const std::string& name) {
      return std::count(store.writes.begin(), store.writes.end(), name);
    };
    EXPECT_EQ(wrote("Options/OutputFormat"), 0);
    EXPECT_EQ(wrote("Options/OptStartPageIndex"), 0);
    EXPECT_EQ(wrote("Options/Folder"), 0);
    EXPECT_EQ(wrote("Options/FirstRun"), 0);
    EXPECT_EQ(wrote("Options/DestOutputFolderOpt"), 1);
    EXPECT_EQ(wrote("Options/AACDEVICECodecID"), 1);
    EXPECT_EQ(wrote("Options/AMRCodecID"), 0);  // AMR and WMA rows keep no values
    EXPECT_EQ(wrote("Options/ID3/CustomTrackNum"), 1);
    // 29 other options, 25 rows of five values, 11 tag values.
    EXPECT_EQ(store.writes.size(), 29u + 25u * 5u + 11u);
    EXPECT_EQ(store.writes.back(), "Options/ID3/CustomTrackNum");
  }
  {
    MemorySettingsStore store;
    SaveSettings(store, 0, s, rows);
    EXPECT_TRUE(store.writes.empty());
    store.readOnly = true;
    SaveSettings(store, kSaveExit | kSaveFolder | kSaveOptions, s, rows);
    EXPECT_TRUE(store.writes.empty());
    EXPECT_FALSE(store.HasGroup(kOptionsGroup));
  }
}

TEST(Settings, M4aRowsKeepSeparateValues) {
  MemorySettingsStore store;
  std::vector<FormatRow> rows = Catalogue();
  FindFormatRow(rows, kFormatAacDevice)->BitRate = 96000;
  FindFormatRow(rows, kFormatAlac)->SampleRate = 48000;
  FindFormatRow(rows, kFormatM4a)->CodecID = kCodecAlac;
  SaveSettings(store, kSaveOptions, ConvertSettings(), rows);

  std::vector<FormatRow> loaded = Catalogue();
  ConvertSettings s;
  LoadSettings(store, s, loaded);
  const FormatRow& device = *FindFormatRow(loaded, kFormatAacDevice);
  const FormatRow& alac = *FindFormatRow(loaded, kFormatAlac);
  const FormatRow& m4a = *FindFormatRow(loaded, kFormatM4a);
  EXPECT_EQ(device.BitRate, 96000);
  EXPECT_EQ(device.SampleRate, 44100);
  EXPECT_EQ(device.CodecID, kCodecAac);
  EXPECT_EQ(alac.SampleRate, 48000);
  EXPECT_EQ(alac.BitRate, 0);
  EXPECT_EQ(alac.CodecID, kCodecAlac);
  EXPECT_EQ(m4a.CodecID, kCodecAlac);
  EXPECT_EQ(m4a.BitRate, 128000);
}

TEST(Settings, FirstRun) {
  {
    SCOPED_TRACE("an empty store: help opens once, then FirstRun is 0");
    MemorySettingsStore store;
    int opened = 0;
    EXPECT_TRUE(CheckFirstRun(store, [&] { ++opened; }));
    EXPECT_EQ(opened, 1);
    ASSERT_TRUE(store.HasGroup(kOptionsGroup));
    int32_t firstRun = -5;
    EXPECT_TRUE(store.ReadNumber(kOptionsGroup, "FirstRun", firstRun));
    EXPECT_EQ(firstRun, 0);
    EXPECT_FALSE(CheckFirstRun(store, [&] { ++opened; }));
    EXPECT_EQ(opened, 1);
  }
  {
    SCOPED_TRACE("a store that cannot be written opens the help at every start");
    MemorySettingsStore store;
    store.readOnly = true;
    int opened = 0;
    EXPECT_TRUE(CheckFirstRun(store, [&] { ++opened; }));
    EXPECT_TRUE(CheckFirstRun(store, [&] { ++opened; }));
    EXPECT_EQ(opened, 2);
  }
  {
    SCOPED_TRACE("FirstRun stored as any nonzero value counts as a first start");
    MemorySettingsStore store;
    store.WriteNumber(kOptionsGroup, "FirstRun", 7);
    EXPECT_TRUE(CheckFirstRun(store, nullptr));
    int32_t firstRun = 1;
    store.ReadNumber(kOptionsGroup, "FirstRun", firstRun);
    EXPECT_EQ(firstRun, 0);
  }
}

}  // namespace
}  // namespace sondrel
