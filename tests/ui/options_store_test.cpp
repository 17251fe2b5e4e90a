// The Options sheet over a real store file: a round trip of a change on
// every page, Cancel, a hand-edited file, and a conversion that uses what
// the sheet stored.
#include <sndfile.h>
#include <wx/checkbox.h>
#include <wx/textctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "engine/add_files.h"
#include "engine/conversion_run.h"
#include "engine/engine_state.h"
#include "engine/file_list.h"
#include "options_driver.h"
#include "support/audio_fixtures.h"
#include "support/memory_frontend.h"
#include "support/temp_dir.h"
#include "support/wm_fixtures.h"
#include "support/wma_list_fixture.h"
#include "ui/wx_config_store.h"

namespace sondrel {
namespace {

using namespace test;

constexpr int kIdAuto = 1056;

// The store file's lines without the one of `dropped`.
std::string Without(const std::string& text, const std::string& dropped) {
  std::istringstream in(text);
  std::string line, kept;
  while (std::getline(in, line)) {
    if (line.rfind(dropped + "=", 0) != 0) kept += line + "\n";
  }
  return kept;
}

// Every "group/name" of the store file that the settings table does not know.
std::vector<std::string> UnknownKeys(const std::string& path, const std::vector<FormatRow>& rows) {
  std::ifstream in(path);
  std::string line, group;
  std::vector<std::string> unknown;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    if (line.front() == '[') {
      group = line.substr(1, line.find(']') - 1);
      continue;
    }
    const std::string name = line.substr(0, line.find('='));
    if (!FindSetting(group, name, rows)) unknown.push_back(group + "/" + name);
  }
  return unknown;
}

class OptionsStore : public testing::Test {
 protected:
  OptionsStore() : path(dir.File("sondrel.conf")) {}
  // Loads a fresh record and rows from the file.
  void Load(ConvertSettings& s, std::vector<FormatRow>& r) {
    r.clear();
    BuildCatalogue(r);
    WxConfigStore store(path);
    LoadSettings(store, s, r);
  }
  TempDir dir;
  std::string path;
  ConvertSettings settings;
  std::vector<FormatRow> rows;
  MessageLog messages;
  WmaFormatList wma = SmallWmaList();
  WmaFormatsLoader loader = [this]() -> const WmaFormatList* { return &wma; };
};

TEST_F(OptionsStore, EveryPageRoundTripsThroughTheFile) {
  Load(settings, rows);
  {
    WxConfigStore store(path);
    EXPECT_TRUE(RunSheet(
        settings, rows, store,
        [&](COptSheet& sheet) {
          Click(sheet, 1121);
          Type(sheet, 1115, "150");
          ASSERT_TRUE(ShowPage(sheet, "Output"));
          Choose(sheet, 1102, "Overwrite");
          ASSERT_TRUE(ShowPage(sheet, "ID3"));
          Type(sheet, 1016, "Ann Example");
          for (size_t i = 3; i < sheet.PageCount(); ++i) {
            const std::string title = sheet.Page(i)->Title();
            ASSERT_TRUE(ShowPage(sheet, title));
            if (title == "AMR") {
              Click(sheet, 1175);
            } else if (title == "AWB") {
              Choose(sheet, 1082, "23.85 kbps");
            } else if (title == "WMA/WMV/ASF") {
              Choose(sheet, 1107, "44100 Hz, 64 kbps, Stereo");
            } else if (title == "WAV") {
              Choose(sheet, 1114, "G.726 ADPCM");
              Click(sheet, kIdAuto, false);
              Choose(sheet, 1075, "3 bit");
            } else {
              Click(sheet, kIdAuto, !Control<wxCheckBox>(sheet, kIdAuto)->GetValue());
            }
          }
          Press(sheet, wxID_OK);
        },
        loader));
    SaveSettings(store, kSaveExit, settings, rows);  // the window's exit
  }
  EXPECT_TRUE(messages.texts.empty());
  EXPECT_EQ(UnknownKeys(path, rows), std::vector<std::string>{});

  ConvertSettings again;
  std::vector<FormatRow> rowsAgain;
  Load(again, rowsAgain);
  EXPECT_EQ(again, settings);
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(AudioValuesOf(rowsAgain[i]), AudioValuesOf(rows[i])) << rows[i].extension;
  }
  EXPECT_EQ(again.Volume, 150);
  EXPECT_EQ(again.VolumeType, kVolumeManual);
  EXPECT_EQ(again.TargetExistsOpt, kTargetOverwrite);
  EXPECT_EQ(again.customTag.Artist, "Ann Example");
  EXPECT_EQ(again.AMRDTX, 1);
  EXPECT_EQ(again.AWBMode, 8);
  EXPECT_EQ(
      (WmaValues{again.WMAAutoEncParam, again.WMASampleRate, again.WMABitRate, again.WMAChannels}),
      (WmaValues{0, 44100, 64000, 2}));
  EXPECT_EQ(AudioValuesOf(*FindFormatRow(rowsAgain, kFormatWav)),
            (AudioValues{0, kCodecAdpcmG726, 44100, 3, 1}));
  EXPECT_EQ(FindFormatRow(rowsAgain, kFormatMp3)->AutoEncParam, 0);
  EXPECT_EQ(again.OptStartPageIndex, static_cast<int32_t>(30));

  // The sheet shows every value again.
  WxConfigStore store(path);
  RunSheet(
      again, rowsAgain, store,
      [&](COptSheet& sheet) {
        EXPECT_EQ(sheet.ActivePage(), 30);
        ASSERT_TRUE(ShowPage(sheet, "General"));
        EXPECT_EQ(Control<wxTextCtrl>(sheet, 1115)->GetValue(), "150");
        EXPECT_TRUE(Control<wxTextCtrl>(sheet, 1115)->IsEnabled());
        ASSERT_TRUE(ShowPage(sheet, "Output"));
        EXPECT_EQ(Selected(Control<wxChoice>(sheet, 1102)), "Overwrite");
        ASSERT_TRUE(ShowPage(sheet, "ID3"));
        EXPECT_EQ(Control<wxTextCtrl>(sheet, 1016)->GetValue(), "Ann Example");
        for (const FormatRow& row : rowsAgain) {
          if (!HasFormatSettings(row)) continue;
          ASSERT_TRUE(ShowPage(sheet, PageTitle(row)));
          EXPECT_EQ(Control<wxCheckBox>(sheet, kIdAuto)->GetValue(), row.AutoEncParam != 0)
              << row.extension;
        }
        ASSERT_TRUE(ShowPage(sheet, "WAV"));
        EXPECT_EQ(Selected(Control<wxChoice>(sheet, 1114)), "G.726 ADPCM");
        EXPECT_EQ(Selected(Control<wxChoice>(sheet, 1075)), "3 bit");
        ASSERT_TRUE(ShowPage(sheet, "AMR"));
        EXPECT_TRUE(Control<wxCheckBox>(sheet, 1175)->GetValue());
        ASSERT_TRUE(ShowPage(sheet, "AWB"));
        EXPECT_EQ(Selected(Control<wxChoice>(sheet, 1082)), "23.85 kbps");
        ASSERT_TRUE(ShowPage(sheet, "WMA/WMV/ASF"));
        EXPECT_EQ(Selected(Control<wxChoice>(sheet, 1107)), "44100 Hz, 64 kbps, Stereo");
      },
      loader);
}

TEST_F(OptionsStore, CancelChangesOnlyTheStartPage) {
  Load(settings, rows);
  {
    WxConfigStore store(path);
    SaveSettings(store, kSaveExit | kSaveFolder | kSaveOptions, settings, rows);
  }
  const std::string before = ReadFileBytes(path);
  {
    WxConfigStore store(path);
    EXPECT_FALSE(RunSheet(
        settings, rows, store,
        [&](COptSheet& sheet) {
          Click(sheet, 1082);
          ASSERT_TRUE(ShowPage(sheet, "ID3"));
          Type(sheet, 1016, "Nobody");
          ASSERT_TRUE(ShowPage(sheet, "MP3"));
          Click(sheet, kIdAuto, false);
          Press(sheet, wxID_CANCEL);
        },
        loader));
    SaveSettings(store, kSaveExit, settings, rows);
  }
  const std::string after = ReadFileBytes(path);
  EXPECT_NE(after, before);
  EXPECT_EQ(Without(after, "OptStartPageIndex"), Without(before, "OptStartPageIndex"));
  EXPECT_NE(after.find("OptStartPageIndex=23"), std::string::npos);
}

TEST_F(OptionsStore, HandEditedValuesOpenWithFallbacksAndStoreValidValues) {
  const std::string huge(1 << 20, 'x');
  WriteFileBytes(path,
                 "[Options]\nVolumeType=abc\nVolume=-999999\nEnableConvertLength=1\n"
                 "ConvertLength=-5\nSkipLength=99999999999\nMonoType=-2\n"
                 "TargetExistsOpt=77\nDestOutputFolderOpt=399\nDestSpecifiedFolder=\n"
                 "EnableExtFilter=1\nFilterExts=" +
                     huge +
                     "\nMP3CodecID=4242\nMP3SampleRate=12345\nWAVBitRate=-1\n"
                     "OGGChannels=7\nOGGAutoEncParam=0\nWMAAutoEncParam=0\n"
                     "WMASampleRate=-44100\nAMRMode=99999\nAMRType=3\nAWBMode=-7\n"
                     "OptStartPageIndex=-4\n[Options/ID3]\nTrackNumType=2\n"
                     "CustomTrackNum=100000\nGenre=" +
                     huge + "\nTitle=" + huge + "\n");
  Load(settings, rows);
  WxConfigStore store(path);
  EXPECT_TRUE(RunSheet(
      settings, rows, store,
      [&](COptSheet& sheet) {
        EXPECT_EQ(sheet.ActivePage(), 0);
        Press(sheet, wxID_OK);
        EXPECT_EQ(messages.texts.back(), "Please enter a positive integer.");
        Type(sheet, 1126, "1000");
        ASSERT_TRUE(ShowPage(sheet, "Output"));
        Press(sheet, wxID_OK);
        EXPECT_EQ(messages.texts.back(), "Please choose an output folder.");
        Type(sheet, 1042, dir.Path().string());
        // The MP3 and AMR pages stay unseen: OK stores what they would.
        for (size_t i = 2; i < sheet.PageCount(); ++i) {
          const std::string title = sheet.Page(i)->Title();
          if (title != "MP3" && title != "AMR") {
            ASSERT_TRUE(ShowPage(sheet, title));
          }
        }
        Press(sheet, wxID_OK);
      },
      loader));
  EXPECT_EQ(messages.texts.size(), 2u);
  EXPECT_EQ(settings.VolumeType, kVolumeKeep);
  EXPECT_EQ(settings.Volume, 100);
  EXPECT_EQ(settings.ConvertLength, 1000);
  EXPECT_EQ(settings.SkipLength, 0);
  EXPECT_EQ(settings.MonoType, kMonoMix);
  EXPECT_EQ(settings.TargetExistsOpt, kTargetRename);
  EXPECT_EQ(settings.FilterExts.size(), huge.size());
  EXPECT_TRUE(settings.FilterExts == huge) << "kept as stored";
  EXPECT_EQ(AudioValuesOf(*FindFormatRow(rows, kFormatMp3)), (AudioValues{1, kCodecMp3, 0, 0, 1}));
  EXPECT_EQ(FindFormatRow(rows, kFormatWav)->BitRate, 0);
  EXPECT_EQ(FindFormatRow(rows, kFormatOgg)->Channels, 2);
  EXPECT_EQ(settings.WMAAutoEncParam, 1);
  EXPECT_EQ(settings.AMRMode, 4);
  EXPECT_EQ(settings.AMRType, kAmrNarrowBand);
  EXPECT_EQ(settings.AWBMode, 4);
  EXPECT_EQ(settings.customTag.CustomTrackNum, 0) << "its box is off without the custom tag";
  EXPECT_EQ(settings.customTag.Genre.size(), huge.size());
  EXPECT_EQ(settings.customTag.Title.size(), huge.size());
  EXPECT_EQ(UnknownKeys(path, rows), std::vector<std::string>{});
}

TEST_F(OptionsStore, AConversionUsesWhatTheSheetStored) {
  Load(settings, rows);
  settings.DestOutputFolderOpt = kOutputSpecificFolder;
  settings.DestSpecifiedFolder = dir.Path().string() + "/";
  settings.OptStartPageIndex = 23;
  {
    WxConfigStore store(path);
    EXPECT_TRUE(RunSheet(settings, rows, store, [&](COptSheet& sheet) {
      ASSERT_EQ(sheet.Page(sheet.ActivePage())->Title(), "MP3");
      Click(sheet, kIdAuto, false);
      Choose(sheet, 1075, "96 kbps");
      Choose(sheet, 1076, "Mono");
      Press(sheet, wxID_OK);
    }));
  }
  ConvertSettings stored;
  std::vector<FormatRow> storedRows;
  Load(stored, storedRows);
  stored.OutputFiles2MyDocuments = 0;
  stored.BrowseOutputFolder = 0;

  const std::string source = dir.File("tone.wav");
  ASSERT_TRUE(WriteSndfile16(source, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2,
                             Tone16(2, 44100 * 2, 44100)));
  EnsureAudioEngine();
  MemoryFrontend frontend;
  EngineState state(frontend);
  FileList list;
  FileItem item;
  ASSERT_TRUE(sondrel::ProbeFile(state.opener, source, item));
  list.Add(item);
  StartConversion(state, stored, FindFormatRow(storedRows, kFormatMp3), list, ItemSelection::All,
                  RunOutput::FilePerItem);
  std::map<std::string, std::string> probe = test::ProbeFile(dir.File("tone.mp3"));
  EXPECT_EQ(probe["stream0.channels"], "1");
  EXPECT_EQ(probe["stream0.bit_rate"], "96000");
}

}  // namespace
}  // namespace sondrel
