// The output-format catalogue: rows, codec entries, labels and prefixes.
#include "encode/format_catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace sondrel {
namespace {

std::vector<FormatRow> Catalogue() {
  std::vector<FormatRow> rows;
  BuildCatalogue(rows);
  return rows;
}

TEST(FormatCatalogue, RowsInOrderWithConsistentEntries) {
  const std::vector<FormatRow> rows = Catalogue();
  const std::vector<int> ids = {8300, 8350, 6000, 6100, 3400, 5100, 6200, 5500, 7300, 5000,
                                8000, 5600, 3200, 3650, 6500, 6700, 6800, 1400, 1500, 8100,
                                1100, 1000, 6600, 1200, 4000, 8200, 8400, 2000, 7100, 7200};
  ASSERT_EQ(rows.size(), ids.size());
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].id, ids[i]) << "row " << i;

  for (const FormatRow& row : rows) {
    SCOPED_TRACE(row.extension);
    if (!HasFormatSettings(row)) {
      // AMR and Windows Media rows: no codecs, no muxer, all five values 0.
      EXPECT_TRUE(row.codecs.empty());
      EXPECT_TRUE(row.muxerName.empty());
      EXPECT_EQ(row.AutoEncParam | row.CodecID | row.SampleRate | row.BitRate | row.Channels, 0);
      continue;
    }
    EXPECT_FALSE(row.muxerName.empty());
    // The default codec must be one of the row's entries, or the format is unusable.
    EXPECT_NE(FindCodecEntry(row, row.CodecID), nullptr);
  }
}

TEST(FormatCatalogue, ValueListsAscendingAndTerminated) {
  for (int number = 1; number <= kCodecEntryCount; ++number) {
    const CodecEntry* entry = CodecEntryByNumber(number);
    ASSERT_NE(entry, nullptr);
    SCOPED_TRACE(number);
    for (const int* list : {entry->sampleRates, entry->bitRates}) {
      const std::vector<int> values = ListValues(list);
      if (list == entry->sampleRates) {
        EXPECT_FALSE(values.empty());
      }
      for (size_t i = 1; i < values.size(); ++i) EXPECT_LT(values[i - 1], values[i]);
    }
    EXPECT_GE(entry->channelBits, 1);
    EXPECT_LE(entry->channelBits, 3);
  }
  EXPECT_EQ(CodecEntryByNumber(0), nullptr);
  EXPECT_EQ(CodecEntryByNumber(34), nullptr);
  EXPECT_EQ(ListValues(kBitRatesVorbis).size(), ListValues(kBitRatesMpeg).size() + 2);
  EXPECT_EQ(ListValues(kBitRatesVorbis).back(), 480000);
}

TEST(FormatCatalogue, LabelsTitlesAndPrefixes) {
  const std::vector<FormatRow> rows = Catalogue();
  const FormatRow& mp3 = *FindFormatRow(rows, kFormatMp3);
  const FormatRow& device = *FindFormatRow(rows, kFormatAacDevice);
  const FormatRow& g2 = *FindFormatRow(rows, kFormat3g2);
  EXPECT_EQ(FormatLabel(mp3), " to MP3");
  EXPECT_EQ(FormatLabel(g2), " to 3G2 (audio only)");
  EXPECT_EQ(FormatLabel(device), " to AAC for iPod / iPhone / iPad / iTunes / DSi (*.m4a)");
  EXPECT_EQ(PageTitle(mp3), "MP3");
  EXPECT_EQ(PageTitle(g2), "3G2");
  EXPECT_EQ(PageTitle(device), "AAC for iPod/DSi");
  EXPECT_EQ(PageTitle(*FindFormatRow(rows, kFormatM4a)), "M4A");

  // The three "m4a" rows must keep separate stored values.
  EXPECT_EQ(SettingsPrefix(device), "AACDEVICE");
  EXPECT_EQ(SettingsPrefix(*FindFormatRow(rows, kFormatAlac)), "ALAC");
  EXPECT_EQ(SettingsPrefix(*FindFormatRow(rows, kFormatM4a)), "M4A");
  std::set<std::string> prefixes;
  for (const FormatRow& row : rows) {
    if (HasFormatSettings(row)) {
      EXPECT_TRUE(prefixes.insert(SettingsPrefix(row)).second) << SettingsPrefix(row);
    }
  }
  EXPECT_EQ(prefixes.size(), 25u);
}

TEST(FormatCatalogue, DefaultsThatAreNotAutomatic) {
  const std::vector<FormatRow> rows = Catalogue();
  for (int id : {kFormat3g2, kFormat3gp}) {
    const FormatRow& row = *FindFormatRow(rows, id);
    EXPECT_EQ(row.AutoEncParam, 0);
    EXPECT_EQ(row.CodecID, kCodecAmrNb);
    EXPECT_EQ(row.SampleRate, 8000);
    EXPECT_EQ(row.BitRate, 10200);
    EXPECT_EQ(row.Channels, 1);
  }
  const FormatRow& voc = *FindFormatRow(rows, kFormatVoc);
  EXPECT_EQ(voc.AutoEncParam, 0);
  EXPECT_EQ(voc.SampleRate, 22050);
  EXPECT_EQ(voc.BitRate, 0);
  EXPECT_EQ(voc.Channels, 1);
  EXPECT_EQ(FindFormatRow(rows, kFormatAlac)->BitRate, 0);
  EXPECT_EQ(FindFormatRow(rows, kFormatMmf)->BitRate, 0);
  const FormatRow& mp3 = *FindFormatRow(rows, kFormatMp3);
  EXPECT_EQ(mp3.AutoEncParam, 1);
  EXPECT_EQ(mp3.SampleRate, 44100);
  EXPECT_EQ(mp3.BitRate, 128000);
  EXPECT_EQ(mp3.Channels, 2);
}

TEST(FormatCatalogue, LookupFamiliesAndTags) {
  const std::vector<FormatRow> rows = Catalogue();
  EXPECT_EQ(FindFormatRow(rows, 4242), nullptr);
  EXPECT_EQ(FormatRowIndex(rows, 4242), -1);
  EXPECT_EQ(FormatRowIndex(rows, kFormat3g2), 0);

  // A CodecID that none of the row's entries has leaves the row unusable.
  EXPECT_EQ(FindCodecEntry(*FindFormatRow(rows, kFormatMp3), kCodecFlac), nullptr);
  // With shared ids the first entry of the row wins (FLV: MP3 at Flash rates).
  EXPECT_EQ(FindCodecEntry(*FindFormatRow(rows, kFormatFlv), kCodecMp3), CodecEntryByNumber(9));

  std::set<int> amr, wma, untagged;
  for (const FormatRow& row : rows) {
    if (WriterFamilyOf(row.id) == WriterFamily::Amr) amr.insert(row.id);
    if (WriterFamilyOf(row.id) == WriterFamily::Wma) wma.insert(row.id);
    if (!FormatCarriesTags(row.id)) untagged.insert(row.id);
  }
  EXPECT_EQ(amr, (std::set<int>{5500, 5600}));
  EXPECT_EQ(wma, (std::set<int>{7100, 7200, 7300}));
  EXPECT_EQ(untagged, (std::set<int>{1500, 2000, 3650, 5000, 5100, 5500, 5600, 8200, 8400}));
}

}  // namespace
}  // namespace sondrel
