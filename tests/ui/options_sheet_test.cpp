// The Options sheet under Xvfb: the pages it holds, the checks made when a
// page is left, the stored values each page shows and stores, the keyboard.
#include "ui/options_sheet.h"

#include <wx/combobox.h>
#include <wx/spinbutt.h>

#include <gtest/gtest.h>

#include "options_driver.h"
#include "platform/settings_store.h"
#include "screenshot.h"
#include "settle.h"
#include "support/wma_list_fixture.h"

namespace sondrel {
namespace {

using namespace test;

class OptionsSheet : public testing::Test {
 protected:
  OptionsSheet() { BuildCatalogue(rows); }
  bool Run(const std::function<void(COptSheet&)>& drive, WmaFormatsLoader loader = nullptr) {
    return RunSheet(settings, rows, store, drive, std::move(loader));
  }
  ConvertSettings settings;
  std::vector<FormatRow> rows;
  MemorySettingsStore store;
  MessageLog messages;
};

TEST_F(OptionsSheet, PagesInCatalogueOrderAndTheStartPage) {
  std::vector<std::string> titles;
  Run([&](COptSheet& sheet) {
    EXPECT_EQ(sheet.GetTitle(), "Options");
    EXPECT_EQ(sheet.FindWindow(wxID_APPLY), nullptr);
    EXPECT_EQ(sheet.FindWindow(wxID_HELP), nullptr);
    for (size_t i = 0; i < sheet.PageCount(); ++i) titles.push_back(sheet.Page(i)->Title());
  });
  const std::vector<std::string> expected = {
      "General", "Output", "ID3",        "3G2", "3GP", "AAC", "AAC for iPod/DSi",
      "AC3",     "AIFF",   "ALAC",       "AMR", "AU",  "AVI", "AWB",
      "FLAC",    "FLV",    "M4A",        "M4B", "M4R", "MKA", "MMF",
      "MOV",     "MP2",    "MP3",        "MP4", "MPA", "OGG", "SWF",
      "VOC",     "WAV",    "WMA/WMV/ASF"};
  EXPECT_EQ(titles, expected);

  struct Case {
    int32_t stored;
    int shown;
  } cases[] = {{2, 2}, {30, 30}, {31, 0}, {99, 0}, {-3, 0}};
  for (const Case& c : cases) {
    settings.OptStartPageIndex = c.stored;
    int shown = -1;
    EXPECT_FALSE(Run([&](COptSheet& sheet) { shown = sheet.ActivePage(); }));
    EXPECT_EQ(shown, c.shown) << c.stored;
    EXPECT_EQ(settings.OptStartPageIndex, c.shown) << "the page the sheet closed on";
  }
  EXPECT_TRUE(store.writes.empty()) << "Cancel stores nothing";
}

// A check that fails keeps the page and the sheet open, by OK or by a tab.
TEST_F(OptionsSheet, FailedChecksKeepThePage) {
  struct Case {
    const char* name;
    int page;
    std::function<void(ConvertSettings&)> stored;
    std::function<void(COptSheet&)> edit;
    std::string message;
    int focus;
  };
  const Case cases[] = {
      {"specific folder without a folder", 1,
       [](ConvertSettings& s) { s.DestOutputFolderOpt = kOutputSameAsSource; },
       [](COptSheet& sheet) { Choose(sheet, 1074, "Specific folder"); },
       "Please choose an output folder.", 1042},
      {"only convert 0 ms", 0, [](ConvertSettings&) {},
       [](COptSheet& sheet) { Click(sheet, 1125); },
       "Conversion length must be greater than 0 millisecond.", 1126},
      {"extension text of blanks", 0, [](ConvertSettings& s) { s.FilterExts = "   "; },
       [](COptSheet& sheet) { Click(sheet, 1080); },
       "Please enter file extensions you need to filter.", 1081},
      {"volume not a number", 0, [](ConvertSettings& s) { s.VolumeType = 1; },
       [](COptSheet& sheet) { Type(sheet, 1115, "loud"); }, "Please enter an integer.", 1115},
      {"track number above 255", 2,
       [](ConvertSettings& s) {
         s.ID3TagType = kTagCustom;
         s.customTag.TrackNumType = kTrackCustom;
       },
       [](COptSheet& sheet) { Type(sheet, 1085, "300"); },
       "Please enter an integer between 0 and 255.", 1085},
  };
  for (const Case& c : cases) {
    for (const bool byTab : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (byTab ? ", leaving by a tab" : ", OK"));
      settings = ConvertSettings();
      c.stored(settings);
      settings.OptStartPageIndex = c.page;
      messages.texts.clear();
      Run([&](COptSheet& sheet) {
        c.edit(sheet);
        if (byTab) {
          sheet.Notebook()->SetSelection(c.page == 0 ? 1 : 0);
          Settle(5);
        } else {
          Press(sheet, wxID_OK);
        }
        EXPECT_TRUE(sheet.IsModal());
        EXPECT_EQ(sheet.ActivePage(), c.page);
        EXPECT_EQ(messages.texts, std::vector<std::string>{c.message});
        Settle(3);
        wxWindow* focus = wxWindow::FindFocus();
        ASSERT_NE(focus, nullptr);
        EXPECT_EQ(focus->GetId(), c.focus);
      });
      EXPECT_TRUE(store.writes.empty());
    }
  }
}

// What each stored value shows, and what OK stores from it.
TEST_F(OptionsSheet, StoredValuesShowAndStore) {
  settings.EnableExtFilter = 1;
  settings.FilterExts = "wav; mp3";
  settings.VolumeType = 7;
  settings.ID3TagType = 5;
  settings.MonoType = 9;
  settings.TargetExistsOpt = 44;
  settings.DestOutputFolderOpt = 5;
  settings.customTag.Genre = "psy";
  settings.Jobs = 3;
  EXPECT_TRUE(Run([&](COptSheet& sheet) {
    EXPECT_TRUE(Control<wxRadioButton>(sheet, 1122)->GetValue()) << "Keep original volume";
    EXPECT_FALSE(Control<wxTextCtrl>(sheet, 1115)->IsEnabled());
    EXPECT_TRUE(Control<wxRadioButton>(sheet, 1025)->GetValue());
    auto* volumeSpin = Control<wxSpinButton>(sheet, 1116);
    EXPECT_EQ(volumeSpin->GetMin(), 10);
    EXPECT_EQ(volumeSpin->GetMax(), 32767);
    EXPECT_EQ(Control<wxSpinButton>(sheet, 1129)->GetMax(), 2147483647);
    EXPECT_EQ(Control<wxTextCtrl>(sheet, 1130)->GetValue(), "3") << "files at the same time";
    EXPECT_EQ(Control<wxSpinButton>(sheet, 1131)->GetMax(), 64);
    Control<wxTextCtrl>(sheet, 1130)->ChangeValue("8");
    ASSERT_TRUE(ShowPage(sheet, "Output"));
    EXPECT_EQ(Selected(Control<wxChoice>(sheet, 1074)), "Same as source file");
    EXPECT_FALSE(Control<wxTextCtrl>(sheet, 1042)->IsEnabled());
    EXPECT_EQ(Selected(Control<wxChoice>(sheet, 1102)),
              "Rename automatically (add number at end of file name)");
    ASSERT_TRUE(ShowPage(sheet, "ID3"));
    EXPECT_TRUE(Control<wxRadioButton>(sheet, 1171)->GetValue()) << "None";
    EXPECT_EQ(Control<wxComboBox>(sheet, 1023)->GetValue(), "Psychadelic");
    for (int id :
         {1087, 1088, 1089, 1085, 1086, 1103, 1012, 1016, 1018, 1020, 1021, 1022, 1023, 1024}) {
      EXPECT_FALSE(sheet.Page(2)->FindWindow(id)->IsEnabled()) << id;
    }
    Click(sheet, 1169);  // custom tag: the title stays off while it is the file name
    EXPECT_TRUE(Control<wxTextCtrl>(sheet, 1016)->IsEnabled());
    EXPECT_FALSE(Control<wxTextCtrl>(sheet, 1012)->IsEnabled());
    EXPECT_FALSE(Control<wxTextCtrl>(sheet, 1085)->IsEnabled());
    Click(sheet, 1171);
    Press(sheet, wxID_OK);
  }));
  EXPECT_EQ(settings.FilterExts, "wav; mp3");
  EXPECT_EQ(settings.filterExtensions, (std::vector<std::string>{"wav", "mp3"}));
  EXPECT_EQ(settings.VolumeType, 2);
  EXPECT_EQ(settings.ID3TagType, 0);
  EXPECT_EQ(settings.MonoType, 0);
  EXPECT_EQ(settings.TargetExistsOpt, 11);
  EXPECT_EQ(settings.DestOutputFolderOpt, 199);
  EXPECT_EQ(settings.customTag.Genre, "Psychadelic");
  EXPECT_EQ(settings.OptStartPageIndex, 2);
  EXPECT_EQ(settings.Jobs, 8);
  EXPECT_FALSE(store.writes.empty());
  EXPECT_EQ(FindFormatRow(rows, kFormatWav)->BitRate, 128000) << "a page never shown keeps it";
}

TEST_F(OptionsSheet, OpenNamesAFolderNotMadeYet) {
  settings.DestOutputFolderOpt = kOutputSpecificFolder;
  settings.DestSpecifiedFolder = "/nonexistent/sondrel-out/";
  settings.OptStartPageIndex = 1;
  Run([&](COptSheet& sheet) { Press(sheet, 1180); });
  EXPECT_EQ(messages.texts,
            std::vector<std::string>{
                "The folder \"/nonexistent/sondrel-out/\" doesn't exist yet.\n\nNote: the program "
                "will create the folder automatically when converting files."});
}

TEST_F(OptionsSheet, AudioPagesFollowTheCodec) {
  FindFormatRow(rows, kFormatMp3)->CodecID = 4242;
  EXPECT_TRUE(Run([&](COptSheet& sheet) {
    ASSERT_TRUE(ShowPage(sheet, "WAV"));
    Click(sheet, 1056, false);
    Choose(sheet, 1114, "G.726 ADPCM");
    EXPECT_EQ(Labels(Control<wxChoice>(sheet, 1075)),
              (std::vector<std::string>{"2 bit", "3 bit", "4 bit", "5 bit",
                                        "Auto (the program will choose the best bit rate)"}));
    EXPECT_EQ(Labels(Control<wxChoice>(sheet, 1076)), std::vector<std::string>{"Mono"});
    Choose(sheet, 1114, "PCM 8-bit");
    EXPECT_TRUE(Labels(Control<wxChoice>(sheet, 1075)).empty());
    EXPECT_FALSE(Control<wxChoice>(sheet, 1075)->IsEnabled());
    EXPECT_TRUE(Control<wxChoice>(sheet, 1113)->IsEnabled());

    ASSERT_TRUE(ShowPage(sheet, "3GP"));
    auto* rates = Control<wxChoice>(sheet, 1113);
    EXPECT_EQ(Labels(rates), std::vector<std::string>{"8000 Hz"});
    EXPECT_TRUE(rates->IsEnabled());
    Click(sheet, 1056, true);
    EXPECT_FALSE(rates->IsEnabled());
    Click(sheet, 1056, false);

    ASSERT_TRUE(ShowPage(sheet, "MP3"));
    EXPECT_EQ(Selected(Control<wxChoice>(sheet, 1114)), "LAME MP3 (MPEG audio layer 3)");
    for (int id : {1113, 1075, 1076}) EXPECT_TRUE(Labels(Control<wxChoice>(sheet, id)).empty());
    Press(sheet, wxID_OK);
  }));
  const FormatRow& wav = *FindFormatRow(rows, kFormatWav);
  EXPECT_EQ(AudioValuesOf(wav), (AudioValues{0, kCodecPcmU8, 44100, 0, 2}));
  EXPECT_EQ(AudioValuesOf(*FindFormatRow(rows, kFormat3gp)),
            (AudioValues{0, kCodecAmrNb, 8000, 10200, 1}));
  EXPECT_EQ(AudioValuesOf(*FindFormatRow(rows, kFormatMp3)), (AudioValues{1, kCodecMp3, 0, 0, 1}));
  EXPECT_EQ(AudioValuesOf(*FindFormatRow(rows, kFormatOgg)),
            AudioValuesOf(*FindFormatRow(std::vector<FormatRow>(rows), kFormatOgg)))
      << "a page never shown keeps its values";
}

TEST_F(OptionsSheet, AmrAndWindowsMediaPages) {
  const WmaFormatList list = SmallWmaList();
  settings.AMRMode = 42;
  settings.AMRWBMode = -1;
  settings.AWBMode = 9;
  settings.WMAAutoEncParam = 0;
  settings.WMASampleRate = 11025;  // no format has it
  int loads = 0;
  EXPECT_TRUE(Run(
      [&](COptSheet& sheet) {
        EXPECT_EQ(loads, 0) << "the runtime loads when its page is shown";
        ASSERT_TRUE(ShowPage(sheet, "AMR"));
        EXPECT_EQ(Selected(Control<wxChoice>(sheet, 1075)), "7.4 kbps");
        EXPECT_EQ(Selected(Control<wxChoice>(sheet, 1076)), "15.85 kbps");
        EXPECT_FALSE(Control<wxChoice>(sheet, 1076)->IsEnabled());
        Click(sheet, 1078);
        EXPECT_TRUE(Control<wxChoice>(sheet, 1076)->IsEnabled());
        EXPECT_FALSE(Control<wxChoice>(sheet, 1075)->IsEnabled());
        ASSERT_TRUE(ShowPage(sheet, "AWB"));
        EXPECT_EQ(Selected(Control<wxChoice>(sheet, 1082)), "15.85 kbps");
        ASSERT_TRUE(ShowPage(sheet, "WMA/WMV/ASF"));
        EXPECT_EQ(loads, 1);
        auto* box = Control<wxChoice>(sheet, 1107);
        EXPECT_EQ(Labels(box).size(), 5u);
        EXPECT_EQ(Selected(box), "(none)");
        Press(sheet, wxID_OK);
      },
      [&]() -> const WmaFormatList* {
        ++loads;
        return &list;
      }));
  EXPECT_EQ(settings.AMRType, kAmrWideBand);
  EXPECT_EQ(settings.AMRMode, 4);
  EXPECT_EQ(settings.AMRWBMode, 4);
  EXPECT_EQ(settings.AWBMode, 4);
  EXPECT_EQ(settings.WMAAutoEncParam, 1);
  EXPECT_EQ(settings.WMASampleRate, 11025);

  // Without the runtime the page offers Auto alone.
  Run([&](COptSheet& sheet) {
    ASSERT_TRUE(ShowPage(sheet, "WMA/WMV/ASF"));
    EXPECT_EQ(Labels(Control<wxChoice>(sheet, 1107)),
              std::vector<std::string>{"Auto (the program will choose the best options)"});
  });
}

// Alt+letter reaches the control on the active page, Tab walks, Enter is OK
// and Escape is Cancel.
TEST_F(OptionsSheet, Keyboard) {
  auto key = [](COptSheet& sheet, int code, int modifiers) {
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = code;
    event.m_altDown = (modifiers & wxMOD_ALT) != 0;
    event.SetEventObject(&sheet);
    sheet.GetEventHandler()->ProcessEvent(event);
  };
  struct Case {
    const char* page;
    char letter;
    int target;
  } cases[] = {
      // A box that enables an edit moves the focus on to that edit.
      {"General", 'O', 1081}, {"General", 'S', 1124}, {"General", 'C', 1126},
      {"General", 'A', 1115}, {"General", 'D', 1082}, {"Output", 'O', 1074},
      {"Output", 'I', 1102},  {"ID3", 'A', 1169},     {"ID3", 'R', 1016},
      {"ID3", 'G', 1023},     {"MP3", 'C', 1114},     {"MP3", 'U', 1056},
      {"MP3", 'B', 1075},     {"AMR", 'W', 1078},     {"AWB", 'E', 1176},
  };
  // Valid values after the boxes below are clicked on.
  settings.FilterExts = "wav";
  settings.ConvertLength = 1000;
  Run([&](COptSheet& sheet) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.page) + " Alt+" + c.letter);
      ASSERT_TRUE(ShowPage(sheet, c.page));
      Settle(2);
      key(sheet, c.letter, wxMOD_ALT);
      Settle(2);
      wxWindow* focus = wxWindow::FindFocus();
      ASSERT_NE(focus, nullptr);
      EXPECT_EQ(focus->GetId(), c.target) << focus->GetClassInfo()->GetClassName();
    }
    ASSERT_TRUE(ShowPage(sheet, "General"));
    EXPECT_TRUE(Control<wxCheckBox>(sheet, 1080)->GetValue()) << "Alt+O clicked the box";
    // Tab walks the page's controls in order.
    Control<wxCheckBox>(sheet, 1080)->SetFocus();
    Settle(2);
    sheet.Page(0)->Navigate(wxNavigationKeyEvent::IsForward);
    Settle(2);
    ASSERT_NE(wxWindow::FindFocus(), nullptr);
    EXPECT_EQ(wxWindow::FindFocus()->GetId(), 1081);
    key(sheet, WXK_ESCAPE, 0);
  });
  settings.EnableExtFilter = 0;
  EXPECT_FALSE(settings.EnableExtFilter) << "Escape cancelled";
  EXPECT_TRUE(store.writes.empty());
  EXPECT_TRUE(Run([&](COptSheet& sheet) {
    Type(sheet, 1115, "150");
    Control<wxTextCtrl>(sheet, 1115)->SetFocus();
    key(sheet, WXK_RETURN, 0);
  }));
}

// One screenshot per page kind, for a person to look at.
TEST_F(OptionsSheet, Screenshots) {
  settings.FilterExts = "wav,mp3";
  const WmaFormatList list = SmallWmaList();
  Run(
      [&](COptSheet& sheet) {
        for (const char* page : {"General", "Output", "ID3", "WAV", "AMR", "AWB", "WMA/WMV/ASF"}) {
          ASSERT_TRUE(ShowPage(sheet, page));
          Settle(5);
          std::string name = std::string("options_") + page;
          for (char& c : name) {
            if (c == '/') c = '_';
          }
          SaveScreenshot(&sheet, name);
        }
      },
      [&]() -> const WmaFormatList* { return &list; });
}

}  // namespace
}  // namespace sondrel
