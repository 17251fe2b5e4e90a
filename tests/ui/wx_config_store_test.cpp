// The wxConfig-backed store: its file under $XDG_CONFIG_HOME, round trips
// through fresh stores, and files edited by hand.
#include "ui/wx_config_store.h"

#include <gtest/gtest.h>
#include <wx/debug.h>
#include <wx/string.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/settings.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {
namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::ScopedEnv;
using test::TempDir;
using test::WriteFileBytes;

// Any wx assertion fails the test instead of opening a dialog that waits.
class WxConfigStoreTest : public testing::Test {
 protected:
  void SetUp() override { m_old = wxSetAssertHandler(&Fail); }
  void TearDown() override { wxSetAssertHandler(m_old); }

 private:
  static void Fail(const wxString& file, int line, const wxString&, const wxString& cond,
                   const wxString& message) {
    ADD_FAILURE() << "wx assertion " << cond.utf8_string() << " at " << file.utf8_string() << ":"
                  << line << " " << message.utf8_string();
  }
  wxAssertHandler_t m_old = nullptr;
};

std::vector<FormatRow> Catalogue() {
  std::vector<FormatRow> rows;
  BuildCatalogue(rows);
  return rows;
}

TEST_F(WxConfigStoreTest, RoundTripThroughTheFileOfAFreshStore) {
  TempDir config;
  ScopedEnv isolate("XDG_CONFIG_HOME", config.Path().c_str());
  const std::string file = config.File("sondrel/sondrel.conf");
  ASSERT_EQ(WxConfigStore::DefaultFilePath(), file);

  ConvertSettings saved("/home/u/Documents");
  saved.OutputFormat = kFormatFlac;
  saved.OptStartPageIndex = 2;
  // Texts that a line-based file could get wrong.
  saved.Folder = "  /music/[pop] = #1; $HOME\\x/ ";
  saved.DestSpecifiedFolder = "/home/u/Müsik/日本/";
  saved.FilterExts = " WAV; mp3;;m4a ";
  saved.EnableExtFilter = 1;
  saved.SkipLength = -1;
  saved.WMABitRate = 2147483647;
  saved.customTag.Title = "line one\nline two\t\"quoted\"";
  saved.customTag.Comment = std::string(20000, 'z');
  saved.customTag.TrackNumType = kTrackCustom;
  saved.customTag.CustomTrackNum = 255;
  std::vector<FormatRow> rows = Catalogue();
  FindFormatRow(rows, kFormatAlac)->SampleRate = 96000;
  {
    WxConfigStore store;
    EXPECT_TRUE(CheckFirstRun(store, nullptr));
    SaveSettings(store, kSaveExit | kSaveFolder | kSaveOptions, saved, rows);
  }
  const std::string text = ReadFileBytes(file);
  EXPECT_NE(text.find("[Options]"), std::string::npos);
  EXPECT_NE(text.find("[Options/ID3]"), std::string::npos);
  EXPECT_NE(text.find("ALACSampleRate=96000"), std::string::npos);

  WxConfigStore fresh;
  ConvertSettings loaded;
  std::vector<FormatRow> loadedRows = Catalogue();
  LoadSettings(fresh, loaded, loadedRows);
  EXPECT_FALSE(CheckFirstRun(fresh, nullptr));
  EXPECT_EQ(loaded.OutputFormat, kFormatFlac);
  EXPECT_EQ(loaded.OptStartPageIndex, 2);
  EXPECT_EQ(loaded.Folder, saved.Folder);
  EXPECT_EQ(loaded.DestOutputFolderOpt, kOutputSpecificFolder);
  EXPECT_EQ(loaded.DestSpecifiedFolder, saved.DestSpecifiedFolder);
  EXPECT_EQ(loaded.FilterExts, saved.FilterExts);
  EXPECT_EQ(loaded.filterExtensions, (std::vector<std::string>{"wav", "mp3", "m4a"}));
  EXPECT_EQ(loaded.SkipLength, -1);
  EXPECT_EQ(loaded.WMABitRate, 2147483647);
  EXPECT_EQ(loaded.customTag.Title, saved.customTag.Title);
  EXPECT_EQ(loaded.customTag.Comment, saved.customTag.Comment);
  EXPECT_EQ(loaded.customTag.TrackNumType, kTrackCustom);
  EXPECT_EQ(loaded.customTag.CustomTrackNum, 255);
  EXPECT_EQ(loaded.customTag.TitleAsFileName, 1);
  EXPECT_EQ(FindFormatRow(loadedRows, kFormatAlac)->SampleRate, 96000);
  EXPECT_EQ(FindFormatRow(loadedRows, kFormatM4a)->SampleRate, 44100);
}

TEST_F(WxConfigStoreTest, HandEditedFileLoadsWhatItCanAndIsNotWritten) {
  TempDir config;
  ScopedEnv isolate("XDG_CONFIG_HOME", config.Path().c_str());
  fs::create_directories(config.Path() / "sondrel");
  const std::string file = config.File("sondrel/sondrel.conf");
  const std::string huge(1024 * 1024, 'h');
  std::string bytes =
      "garbage line without equals\n"
      "[Options]\n"
      "OutputFormat=abc\n"
      "Volume=99999999999\n"
      "VolumeType= 1 \n"
      "MonoType=0x2\n"
      "TargetExistsOpt=22\n"
      "ConvertLength=\n"
      "=no name\n"
      "[unterminated group\n"
      "WMAChannels=seven\n"
      "DestSpecifiedFolder=" +
      huge +
      "\n"
      "Folder=/caf\xe9/\n"  // Latin-1, not UTF-8
      "BrowseOutputFolder=0\n"
      "DestOutputFolderOpt=\xc3\xa9\n"  // UTF-8 but no number
      "FilterExts=wav\x01mp3\n"
      "[Options/ID3]\n"
      "Title=" +
      huge +
      "\n"
      "[Options]\n"  // a group given twice
      "AMRMode=3\n"
      "[Options/ID3]\n"
      "Artist=" +
      huge +
      "\n"
      "=a value without a name\n"
      "TitleAsFileName=yes\n"
      "CustomTrackNum=12\n";
  bytes += std::string("\0\0binary\xff\xfe\n", 12);
  WriteFileBytes(file, bytes);
  const auto before = fs::last_write_time(file);

  {
    WxConfigStore store;
    ConvertSettings s("/home/u/Documents");
    std::vector<FormatRow> rows = Catalogue();
    LoadSettings(store, s, rows);
    EXPECT_EQ(s.OutputFormat, kFormatMp3);  // text: unreadable, default stays
    EXPECT_EQ(s.Volume, 100);               // beyond 32 bits: unreadable
    EXPECT_EQ(s.VolumeType, kVolumeManual);
    EXPECT_EQ(s.MonoType, kMonoMix);
    EXPECT_EQ(s.TargetExistsOpt, kTargetOverwrite);
    EXPECT_EQ(s.ConvertLength, 0);
    EXPECT_EQ(s.WMAChannels, 2);
    EXPECT_EQ(s.DestSpecifiedFolder, "/home/u/Documents");  // too long for a path
    EXPECT_EQ(s.Folder, "/caf\xc3\xa9/");
    EXPECT_EQ(s.BrowseOutputFolder, 0);
    EXPECT_EQ(s.DestOutputFolderOpt, kOutputSpecificFolder);
    EXPECT_EQ(s.AMRMode, 3);
    EXPECT_EQ(s.customTag.Title.size(), huge.size());
    EXPECT_EQ(s.customTag.TitleAsFileName, 1);
    EXPECT_EQ(s.customTag.CustomTrackNum, 12);
  }
  EXPECT_EQ(ReadFileBytes(file), bytes) << "loading must not write the file";
  EXPECT_EQ(fs::last_write_time(file), before);
}

TEST_F(WxConfigStoreTest, MissingAndUnwritableStores) {
  {
    SCOPED_TRACE("no file: defaults; the first start creates it with FirstRun 0");
    TempDir config;
    ScopedEnv isolate("XDG_CONFIG_HOME", config.Path().c_str());
    WxConfigStore store;
    EXPECT_FALSE(store.HasGroup(kOptionsGroup));
    ConvertSettings s;
    std::vector<FormatRow> rows = Catalogue();
    LoadSettings(store, s, rows);
    EXPECT_FALSE(fs::exists(store.FilePath()));
    int opened = 0;
    EXPECT_TRUE(CheckFirstRun(store, [&] { ++opened; }));
    EXPECT_EQ(opened, 1);
    EXPECT_NE(ReadFileBytes(store.FilePath()).find("FirstRun=0"), std::string::npos);
  }
  {
    SCOPED_TRACE("the config folder is a file: nothing is written, help opens every time");
    TempDir config;
    WriteFileBytes(config.File("sondrel"), "not a folder");
    ScopedEnv isolate("XDG_CONFIG_HOME", config.Path().c_str());
    WxConfigStore store;
    EXPECT_FALSE(store.CreateGroup(kOptionsGroup));
    SaveSettings(store, kSaveExit, ConvertSettings(), Catalogue());
    EXPECT_FALSE(store.HasValue(kOptionsGroup, "OutputFormat"));
    store.WriteNumber(kOptionsGroup, "OutputFormat", 1);
    EXPECT_FALSE(store.Flush());
    EXPECT_TRUE(CheckFirstRun(store, nullptr));
    EXPECT_TRUE(CheckFirstRun(store, nullptr));
    EXPECT_EQ(ReadFileBytes(config.File("sondrel")), "not a folder");
  }
  {
    SCOPED_TRACE("a store file that cannot be read is left alone");
    TempDir config;
    fs::create_directories(config.Path() / "sondrel" / "sondrel.conf");
    ScopedEnv isolate("XDG_CONFIG_HOME", config.Path().c_str());
    WxConfigStore store;
    EXPECT_FALSE(store.HasGroup(kOptionsGroup));
    EXPECT_FALSE(store.CreateGroup(kOptionsGroup));
    SaveSettings(store, kSaveOptions, ConvertSettings(), Catalogue());
    EXPECT_FALSE(store.HasValue(kOptionsGroup, "Volume"));
    store.WriteNumber(kOptionsGroup, "Volume", 1);
    EXPECT_FALSE(store.Flush());
    EXPECT_TRUE(fs::is_directory(store.FilePath()));
  }
  {
    SCOPED_TRACE("a relative XDG_CONFIG_HOME is ignored");
    TempDir home;
    ScopedEnv setHome("HOME", home.Path().c_str());
    ScopedEnv relative("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(WxConfigStore::DefaultFilePath(), home.File(".config/sondrel/sondrel.conf"));
  }
}

}  // namespace
}  // namespace sondrel
