// The Options sheet's values without the window: mappings, drop-down lists,
// page checks.
#include "engine/option_choices.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/wma_list_fixture.h"

namespace sondrel {
namespace {

std::vector<std::string> Labels(const ChoiceList& list) {
  std::vector<std::string> labels;
  for (const ChoiceItem& item : list.items) labels.push_back(item.label);
  return labels;
}

std::string SelectedLabel(const ChoiceList& list) {
  return list.selection < 0 ? "(none)" : list.items[list.selection].label;
}

TEST(OptionChoices, RadioMappingsBothWays) {
  struct Case {
    const char* name;
    int (*toIndex)(int32_t);
    int32_t (*fromIndex)(int);
    int32_t stored;
    int index;
    int32_t storedAgain;
  } cases[] = {
      {"volume normalise", VolumeTypeToIndex, VolumeTypeFromIndex, 0, 0, 0},
      {"volume manual", VolumeTypeToIndex, VolumeTypeFromIndex, 1, 1, 1},
      {"volume 7 shows keep", VolumeTypeToIndex, VolumeTypeFromIndex, 7, 2, 2},
      {"volume negative shows keep", VolumeTypeToIndex, VolumeTypeFromIndex, -1, 2, 2},
      {"tag custom", ID3TagTypeToIndex, ID3TagTypeFromIndex, 1, 0, 1},
      {"tag transfer", ID3TagTypeToIndex, ID3TagTypeFromIndex, 2, 1, 2},
      {"tag none", ID3TagTypeToIndex, ID3TagTypeFromIndex, 0, 2, 0},
      {"tag 5 shows none", ID3TagTypeToIndex, ID3TagTypeFromIndex, 5, 2, 0},
      {"track sequence", TrackNumTypeToIndex, TrackNumTypeFromIndex, 1, 1, 1},
      {"track custom", TrackNumTypeToIndex, TrackNumTypeFromIndex, 2, 2, 2},
      {"track 9 shows none", TrackNumTypeToIndex, TrackNumTypeFromIndex, 9, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.toIndex(c.stored), c.index);
    EXPECT_EQ(c.fromIndex(c.index), c.storedAgain);
  }
}

TEST(OptionChoices, ParseInteger) {
  struct Case {
    const char* text;
    std::optional<int32_t> expected;
  } cases[] = {
      {"100", 100},
      {" -5 ", -5},
      {"+7", 7},
      {"", std::nullopt},
      {"  ", std::nullopt},
      {"12a", std::nullopt},
      {"1.5", std::nullopt},
      {"-", std::nullopt},
      {"2147483647", 2147483647},
      {"2147483648", std::nullopt},
      {"-2147483648", -2147483647 - 1},
      {"99999999999999999999", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseInteger(c.text), c.expected) << c.text;
}

TEST(OptionChoices, GeneralPageChecks) {
  struct Case {
    const char* name;
    ConvertSettings settings;
    GeneralTexts texts;
    std::optional<PageProblem> problem;
    int32_t volume, skip, length;
  };
  auto with = [](auto change) {
    ConvertSettings s;
    change(s);
    return s;
  };
  const Case cases[] = {
      {"defaults pass", {}, {"100", "0", "0"}, std::nullopt, 100, 0, 0},
      {"only blanks and separators with the filter on",
       with([](ConvertSettings& s) {
         s.EnableExtFilter = 1;
         s.FilterExts = " \t ; ";
       }),
       {"100", "0", "0"},
       PageProblem{"Please enter file extensions you need to filter.", 1081},
       100,
       0,
       0},
      {"blank and semicolon between two extensions",
       with([](ConvertSettings& s) {
         s.EnableExtFilter = 1;
         s.FilterExts = "wav; mp3";
       }),
       {"100", "0", "0"},
       std::nullopt,
       100,
       0,
       0},
      {"convert 0 ms",
       with([](ConvertSettings& s) { s.EnableConvertLength = 1; }),
       {"100", "0", "0"},
       PageProblem{"Conversion length must be greater than 0 millisecond.", 1126},
       100,
       0,
       0},
      {"volume not a number",
       with([](ConvertSettings& s) { s.VolumeType = 1; }),
       {"loud", "0", "0"},
       PageProblem{"Please enter an integer.", 1115},
       100,
       0,
       0},
      {"negative volume",
       with([](ConvertSettings& s) { s.VolumeType = 1; }),
       {"-5", "0", "0"},
       PageProblem{"Please enter an integer between 10 and 32767.", 1115},
       100,
       0,
       0},
      {"bad volume in a disabled box reads as 100", {}, {"-5", "0", "0"}, std::nullopt, 100, 0, 0},
      {"more than 64 files at once",
       {},
       {"100", "0", "0", "65"},
       PageProblem{"Please enter an integer between 0 and 64.", 1130},
       100,
       0,
       0},
      {"files at once not a number",
       {},
       {"100", "0", "0", ""},
       PageProblem{"Please enter an integer.", 1130},
       100,
       0,
       0},
      {"negative skip",
       with([](ConvertSettings& s) { s.EnableSkipLength = 1; }),
       {"100", "-3", "0"},
       PageProblem{"Please enter a positive integer.", 1124},
       100,
       0,
       0},
      {"length not a number",
       with([](ConvertSettings& s) { s.EnableConvertLength = 1; }),
       {"100", "0", "x"},
       PageProblem{"Please enter a positive integer.", 1126},
       100,
       0,
       0},
      {"numbers read",
       with([](ConvertSettings& s) {
         s.VolumeType = 1;
         s.EnableSkipLength = 1;
         s.EnableConvertLength = 1;
       }),
       {"250", "1500", "2147483647"},
       std::nullopt,
       250,
       1500,
       2147483647},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ConvertSettings s = c.settings;
    EXPECT_EQ(ReadGeneralPage(c.texts, s), c.problem);
    EXPECT_EQ(s.Volume, c.volume);
    EXPECT_EQ(s.SkipLength, c.skip);
    EXPECT_EQ(s.ConvertLength, c.length);
    EXPECT_EQ(s.FilterExts, c.settings.FilterExts);  // kept as typed
  }
  ConvertSettings s;
  EXPECT_EQ(ReadGeneralPage({"100", "0", "0", "4"}, s), std::nullopt);
  EXPECT_EQ(s.Jobs, 4);
}

TEST(OptionChoices, OutputAndTrackNumber) {
  EXPECT_EQ(OutputFolderChoices(399).selection, 1);
  EXPECT_EQ(OutputFolderChoices(5).SelectedData(0), 199);
  EXPECT_EQ(TargetExistsChoices(33).selection, 2);
  EXPECT_EQ(TargetExistsChoices(-1).SelectedData(0), 11);
  EXPECT_EQ(Labels(TargetExistsChoices(11)),
            (std::vector<std::string>{"Rename automatically (add number at end of file name)",
                                      "Overwrite", "Skip (not convert)"}));
  EXPECT_EQ(CheckOutputPage(399, ""), (PageProblem{"Please choose an output folder.", 1042}));
  EXPECT_EQ(CheckOutputPage(199, ""), std::nullopt);

  int32_t track = 7;
  EXPECT_EQ(ReadTrackNumber("256", true, track),
            (PageProblem{"Please enter an integer between 0 and 255.", 1085}));
  EXPECT_EQ(ReadTrackNumber("x", true, track), (PageProblem{"Please enter an integer.", 1085}));
  EXPECT_EQ(track, 7);
  EXPECT_EQ(ReadTrackNumber("999", false, track), std::nullopt);
  EXPECT_EQ(track, 0);
  EXPECT_EQ(ReadTrackNumber("12", true, track), std::nullopt);
  EXPECT_EQ(track, 12);
}

TEST(OptionChoices, GenreListAndPrefixMatch) {
  const std::vector<std::string>& names = SortedGenreNames();
  ASSERT_EQ(names.size(), 148u);
  for (const char* spelling : {"Alt. Rock", "Psychadelic", "Folk/Rock", "Fast-Fusion", "Bebob",
                               "A Cappella", "Trash Metal", "Jpop"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), spelling), names.end()) << spelling;
  }
  EXPECT_EQ(names.front(), "A Cappella");
  struct Case {
    const char* stored;
    const char* shown;
  } cases[] = {{"rock", "Rock"},
               {"PSY", "Psychadelic"},
               {"jp", "Jpop"},
               {"", nullptr},
               {"Nope Core", nullptr}};
  for (const Case& c : cases) {
    const int index = GenreMatch(c.stored);
    EXPECT_EQ(index < 0 ? std::string("(none)") : names[index],
              c.shown ? std::string(c.shown) : "(none)")
        << c.stored;
  }
}

class AudioChoices : public testing::Test {
 protected:
  AudioChoices() { BuildCatalogue(rows); }
  const FormatRow& Row(int id) { return *FindFormatRow(rows, id); }
  std::vector<FormatRow> rows;
};

TEST_F(AudioChoices, ValueBoxesPerCodec) {
  struct Case {
    const char* name;
    int format;
    AudioValues values;
    std::string codec;
    std::vector<std::string> rates;
    std::string rate;
    std::vector<std::string> bitRates;
    std::string bitRate;
    std::vector<std::string> channels;
    std::string channel;
  };
  const std::string autoRate = "Auto (the program will choose the best sample rate)";
  const std::string autoBits = "Auto (the program will choose the best bit rate)";
  const std::string autoChannels = "Auto (the program will choose the best channels)";
  const Case cases[] = {
      {"3gp AMR-NB: one rate, no Auto item",
       kFormat3gp,
       {0, kCodecAmrNb, 8000, 10200, 1},
       "Adaptive Multi-Rate (AMR) Narrow-Band",
       {"8000 Hz"},
       "8000 Hz",
       {"4.75 kbps", "5.15 kbps", "5.90 kbps", "6.70 kbps", "7.40 kbps", "7.95 kbps", "10.20 kbps",
        "12.20 kbps", autoBits},
       "10.20 kbps",
       {"Mono"},
       "Mono"},
      {"wav G.726: code sizes, mono only",
       kFormatWav,
       {1, kCodecAdpcmG726, 0, 0, 2},
       "G.726 ADPCM",
       {},
       autoRate,
       {"2 bit", "3 bit", "4 bit", "5 bit", autoBits},
       autoBits,
       {"Mono"},
       "Mono"},
      {"rate in no list selects the first rate",
       kFormatMp3,
       {0, kCodecMp3, 12345, 96000, 1},
       "LAME MP3 (MPEG audio layer 3)",
       {},
       "8000 Hz",
       {},
       "96 kbps",
       {},
       "Mono"},
      {"codec no entry has",
       kFormatMp3,
       {0, 4242, 44100, 128000, 2},
       "LAME MP3 (MPEG audio layer 3)",
       {},
       "(none)",
       {},
       "(none)",
       {},
       "(none)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const AudioBoxes boxes = AudioBoxesFor(Row(c.format), c.values);
    EXPECT_EQ(SelectedLabel(boxes.codecs), c.codec);
    if (!c.rates.empty()) {
      EXPECT_EQ(Labels(boxes.sampleRates), c.rates);
    }
    EXPECT_EQ(SelectedLabel(boxes.sampleRates), c.rate);
    if (!c.bitRates.empty()) {
      EXPECT_EQ(Labels(boxes.bitRates), c.bitRates);
    }
    EXPECT_EQ(SelectedLabel(boxes.bitRates), c.bitRate);
    if (!c.channels.empty()) {
      EXPECT_EQ(Labels(boxes.channels), c.channels);
    }
    EXPECT_EQ(SelectedLabel(boxes.channels), c.channel);
  }
}

TEST_F(AudioChoices, ApplyAndEnabling) {
  struct Case {
    const char* name;
    int format;
    AudioValues values;
    bool autoOn;
    AudioValues applied;
    AudioEnabled enabled;
  } cases[] = {
      {"PCM has no bit-rate list: stores 0",
       kFormatWav,
       {0, kCodecPcmS16le, 44100, 128000, 2},
       false,
       {0, kCodecPcmS16le, 44100, 0, 2},
       {true, false, true}},
      {"single rate box disabled only with auto",
       kFormat3gp,
       {1, kCodecAmrNb, 8000, 10200, 1},
       true,
       {1, kCodecAmrNb, 8000, 10200, 1},
       {false, false, false}},
      {"unknown codec: first codec, 0, 0, mono",
       kFormatMp3,
       {0, 4242, 44100, 128000, 2},
       false,
       {0, kCodecMp3, 0, 0, 1},
       {false, false, true}},
      {"mp3 96k mono",
       kFormatMp3,
       {0, kCodecMp3, 0, 96000, 1},
       false,
       {0, kCodecMp3, 0, 96000, 1},
       {true, true, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const AudioBoxes boxes = AudioBoxesFor(Row(c.format), c.values);
    EXPECT_EQ(ApplyAudioBoxes(boxes, c.autoOn), c.applied);
    EXPECT_EQ(AudioBoxesEnabled(boxes, c.autoOn), c.enabled);
  }
  EXPECT_EQ(BitRateLabel(12650), "12.65 kbps");

  struct Kept {
    const char* name;
    int format;
    AudioValues stored, kept;
  } kept[] = {
      {"valid values stay, a bit rate without a list too",
       kFormatWav,
       {1, kCodecPcmS16le, 44100, 128000, 2},
       {1, kCodecPcmS16le, 44100, 128000, 2}},
      {"automatic rate stays", kFormatMp3, {0, kCodecMp3, 0, 0, 0}, {0, kCodecMp3, 0, 0, 0}},
      {"unknown codec", kFormatMp3, {1, 4242, 44100, 128000, 2}, {1, kCodecMp3, 0, 0, 1}},
      {"rate in no list",
       kFormatMp3,
       {0, kCodecMp3, 12345, 96000, 1},
       {0, kCodecMp3, 8000, 96000, 1}},
      {"six channels", kFormatOgg, {1, kCodecVorbis, 0, 0, 6}, {1, kCodecVorbis, 0, 0, 2}},
      {"auto flag of 5", kFormatMp3, {5, kCodecMp3, 0, 0, 0}, {1, kCodecMp3, 0, 0, 0}},
  };
  for (const Kept& k : kept) {
    EXPECT_EQ(ValidAudioValues(Row(k.format), k.stored), k.kept) << k.name;
  }
  EXPECT_EQ(BitRateLabel(320000), "320 kbps");
}

TEST(OptionChoices, AmrModes) {
  EXPECT_EQ(Labels(AmrNbChoices(0)),
            (std::vector<std::string>{"4.75 kbps", "5.15 kbps", "5.9 kbps", "6.7 kbps", "7.4 kbps",
                                      "7.95 kbps", "10.2 kbps", "12.2 kbps"}));
  struct Case {
    int32_t mode;
    std::string nb, wb;
  } cases[] = {{6, "10.2 kbps", "19.85 kbps"},
               {8, "7.4 kbps", "23.85 kbps"},
               {-1, "7.4 kbps", "15.85 kbps"},
               {1000, "7.4 kbps", "15.85 kbps"}};
  for (const Case& c : cases) {
    EXPECT_EQ(SelectedLabel(AmrNbChoices(c.mode)), c.nb) << c.mode;
    EXPECT_EQ(SelectedLabel(AmrWbChoices(c.mode)), c.wb) << c.mode;
  }
}

TEST(OptionChoices, WmaEntries) {
  const WmaFormatList list = test::SmallWmaList();
  const std::vector<std::string> labels = {
      "Auto (the program will choose the best options)", "22050 Hz, 32 kbps, Mono",
      "44100 Hz, 64 kbps, Stereo", "44100 Hz, 128 kbps, Stereo", "48000 Hz, 192 kbps, Stereo"};
  EXPECT_EQ(Labels(WmaChoices(&list, {1, 44100, 128000, 2})), labels);
  EXPECT_EQ(Labels(WmaChoices(nullptr, {0, 44100, 128000, 2})),
            std::vector<std::string>{labels[0]});
  struct Case {
    const char* name;
    WmaValues values;
    std::string shown;
    WmaValues applied;
  } cases[] = {
      {"auto", {1, 44100, 128000, 2}, labels[0], {1, 44100, 128000, 2}},
      {"a listed format", {0, 44100, 128500, 2}, labels[3], {0, 44100, 128000, 2}},
      {"no format matches: nothing selected, stores auto",
       {0, 11025, 128000, 2},
       "(none)",
       {1, 11025, 128000, 2}},
      {"auto out of range selects nothing", {5, 44100, 64000, 2}, "(none)", {1, 44100, 64000, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ChoiceList choices = WmaChoices(&list, c.values);
    EXPECT_EQ(SelectedLabel(choices), c.shown);
    EXPECT_EQ(ApplyWmaChoice(&list, choices.SelectedData(-1), c.values), c.applied);
  }
}

}  // namespace
}  // namespace sondrel
