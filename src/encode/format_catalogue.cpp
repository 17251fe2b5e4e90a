// The 30 output formats, their 33 codec entries and the value lists.
#include "encode/format_catalogue.h"

#include <utility>

#include "platform/text.h"

namespace sondrel {

const int kRatesAc3[] = {32000, 44100, 48000, -1};
const int kRatesAac[] = {8000, 11025, 16000, 22050, 24000, 32000, 44100, 48000, -1};
const int kRatesGeneral[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000, -1};
const int kRatesMp2[] = {16000, 22050, 24000, 32000, 44100, 48000, -1};
const int kRatesFlash[] = {11025, 22050, 44100, -1};
const int kRatesPcm[] = {6000,  8000,  11025, 12000, 16000, 22050, 24000,
                         32000, 44100, 48000, 88200, 96000, -1};
const int kRatesFlac[] = {8000, 16000, 22050, 24000, 32000, 44100, 48000, 88200, 96000, -1};
const int kRatesMmf[] = {4000, 8000, 11025, 22050, 44100, -1};
const int kRates44100[] = {44100, -1};
const int kRates8000[] = {8000, -1};
const int kBitRatesAc3[] = {32000,  40000,  48000,  56000,  64000,  80000,  96000,
                            112000, 128000, 160000, 192000, 224000, 256000, 320000,
                            384000, 448000, 512000, 576000, 640000, -1};
const int kBitRatesAac[] = {16000,  24000,  32000,  40000,  48000,  56000,  64000,  80000,  96000,
                            112000, 128000, 144000, 160000, 192000, 224000, 256000, 320000, -1};
const int kBitRatesMpeg[] = {8000,   16000,  24000,  32000,  40000,  48000,  56000,
                             64000,  80000,  96000,  112000, 128000, 144000, 160000,
                             192000, 224000, 256000, 320000, -1};
const int kBitRatesVorbis[] = {8000,   16000,  24000,  32000,  40000,  48000,  56000,
                               64000,  80000,  96000,  112000, 128000, 144000, 160000,
                               192000, 224000, 256000, 320000, 400000, 480000, -1};
const int kBitRatesAmr[] = {4750, 5150, 5900, 6700, 7400, 7950, 10200, 12200, -1};
const int kBitRatesG726[] = {2, 3, 4, 5, -1};

namespace {

constexpr int kMono = kChannelsMono;
constexpr int kStereo = kChannelsStereo;
constexpr int kBoth = kChannelsMono | kChannelsStereo;

// Numbered 1 to 33; rows refer to entries by these numbers.
const CodecEntry kCodecEntries[kCodecEntryCount] = {
    {kCodecAmrNb, "Adaptive Multi-Rate (AMR) Narrow-Band", kRates8000, kBitRatesAmr, kMono},
    {kCodecAlac, "ALAC (Apple Lossless Audio Codec)", kRatesGeneral, nullptr, kStereo},
    {kCodecAc3, "ATSC A/52A (AC-3)", kRatesAc3, kBitRatesAc3, kBoth},
    {kCodecAac, "AAC (Advanced Audio Codec)", kRatesAac, kBitRatesAac, kBoth},
    {kCodecAac, "AAC (Advanced Audio Codec)", kRates44100, kBitRatesAac, kStereo},
    {kCodecAdpcmSwf, "ADPCM", kRatesFlash, nullptr, kBoth},
    {kCodecMp2, "MP2 (MPEG audio layer 2)", kRatesMp2, kBitRatesMpeg, kBoth},
    {kCodecMp3, "LAME MP3 (MPEG audio layer 3)", kRatesGeneral, kBitRatesMpeg, kBoth},
    {kCodecMp3, "LAME MP3 (MPEG audio layer 3)", kRatesFlash, kBitRatesMpeg, kBoth},
    {kCodecVorbis, "Vorbis OGG Encoder", kRatesGeneral, kBitRatesVorbis, kBoth},
    {kCodecFlac, "FLAC (Free Lossless Audio Codec)", kRatesFlac, nullptr, kBoth},
    {kCodecPcmU8, "PCM 8-bit", kRatesPcm, nullptr, kBoth},
    {kCodecPcmS16le, "PCM 16-bit", kRatesPcm, nullptr, kBoth},
    {kCodecPcmS24le, "PCM 24-bit", kRatesPcm, nullptr, kBoth},
    {kCodecPcmS32le, "PCM 32-bit", kRatesPcm, nullptr, kBoth},
    {kCodecPcmF32le, "PCM 32-bit Float", kRatesPcm, nullptr, kBoth},
    {kCodecPcmF64le, "PCM 64-bit Float", kRatesPcm, nullptr, kBoth},
    {kCodecPcmAlaw, "CCITT a-Law (8-bit)", kRatesPcm, nullptr, kBoth},
    {kCodecPcmMulaw, "CCITT mu-Law (8-bit)", kRatesPcm, nullptr, kBoth},
    {kCodecAdpcmMs, "Microsoft ADPCM (4-bit)", kRatesPcm, nullptr, kBoth},
    {kCodecAdpcmImaWav, "IMA ADPCM (4-bit)", kRatesPcm, nullptr, kBoth},
    {kCodecAdpcmG726, "G.726 ADPCM", kRatesPcm, kBitRatesG726, kMono},
    {kCodecAdpcmYamaha, "Yamaha ADPCM (4-bit)", kRatesPcm, nullptr, kBoth},
    {kCodecAdpcmYamaha, "Yamaha ADPCM (4-bit)", kRatesMmf, nullptr, kMono},
    {kCodecPcmS8, "PCM 8-bit", kRatesPcm, nullptr, kBoth},
    {kCodecPcmS16be, "PCM 16-bit", kRatesPcm, nullptr, kBoth},
    {kCodecPcmS24be, "PCM 24-bit", kRatesPcm, nullptr, kBoth},
    {kCodecPcmS32be, "PCM 32-bit", kRatesPcm, nullptr, kBoth},
    {kCodecPcmF32be, "PCM 32-bit Float", kRatesPcm, nullptr, kBoth},
    {kCodecPcmF64be, "PCM 64-bit Float", kRatesPcm, nullptr, kBoth},
    {kCodecAdpcmImaQt, "IMA ADPCM (4-bit)", kRatesPcm, nullptr, kBoth},
    {kCodecGsmMs, "Microsoft GSM", kRates8000, nullptr, kMono},
    {kCodecGsm, "GSM", kRates8000, nullptr, kMono},
};

// A row as written in the table below.
struct RowData {
  int id;
  const char* extension;
  const char* muxer;
  const char* displayName;
  const char* pageTitle;
  const char* settingsKey;
  int codecId;
  int autoEncParam;
  int sampleRate;
  int bitRate;
  int channels;
  std::vector<int> entries;  // codec entry numbers
};

// Most rows: automatic, 44100 Hz, 128000 bit/s, stereo.
constexpr int A = 1, R = 44100, B = 128000, C = 2;

const std::vector<RowData>& RowTable() {
  // clang-format off
  static const std::vector<RowData> rows = {
      // id, extension, muxer, display name, page title, settings key,
      // CodecID, AutoEncParam, SampleRate, BitRate, Channels, codec entries
      {kFormat3g2, "3g2", "3g2", "3G2 (audio only)", "", "",
       kCodecAmrNb, 0, 8000, 10200, 1, {1, 4}},
      {kFormat3gp, "3gp", "3gp", "3GP (audio only)", "", "",
       kCodecAmrNb, 0, 8000, 10200, 1, {1, 4}},
      {kFormatAac, "aac", "adts", "", "", "",
       kCodecAac, A, R, B, C, {4}},
      {kFormatAacDevice, "m4a", "ipod", "AAC for iPod / iPhone / iPad / iTunes / DSi (*.m4a)",
       "AAC for iPod/DSi", "AACDevice",
       kCodecAac, A, R, B, C, {4}},
      {kFormatAc3, "ac3", "ac3", "", "", "",
       kCodecAc3, A, R, B, C, {3}},
      {kFormatAiff, "aiff", "aiff", "", "", "",
       kCodecPcmS16be, A, R, B, C, {25, 26, 27, 28, 29, 30, 18, 19, 31, 33}},
      {kFormatAlac, "m4a", "ipod", "ALAC (Apple Lossless) (*.m4a)", "ALAC", "ALAC",
       kCodecAlac, A, R, 0, C, {2}},
      {kFormatAmr, "amr", "", "", "", "",
       0, 0, 0, 0, 0, {}},
      {kFormatAsf, "asf", "", "ASF (audio only)", "", "",
       0, 0, 0, 0, 0, {}},
      {kFormatAu, "au", "au", "", "", "",
       kCodecPcmS16be, A, R, B, C, {25, 26, 27, 28, 29, 30, 18, 19}},
      {kFormatAvi, "avi", "avi", "AVI (audio only)", "", "",
       kCodecMp3, A, R, B, C, {3, 7, 8, 13, 20, 21}},
      {kFormatAwb, "awb", "", "", "", "",
       0, 0, 0, 0, 0, {}},
      {kFormatFlac, "flac", "flac", "", "", "",
       kCodecFlac, A, R, B, C, {11}},
      {kFormatFlv, "flv", "flv", "FLV (audio only)", "", "",
       kCodecMp3, A, R, B, C, {9, 5, 6}},
      {kFormatM4a, "m4a", "ipod", "M4A (MPEG-4 audio)", "", "",
       kCodecAac, A, R, B, C, {4, 2}},
      {kFormatM4b, "m4b", "ipod", "M4B (MPEG-4 audiobook)", "", "",
       kCodecAac, A, R, B, C, {4, 2}},
      {kFormatM4r, "m4r", "ipod", "M4R (iPhone ringtone)", "", "",
       kCodecAac, A, R, B, C, {4, 2}},
      {kFormatMka, "mka", "matroska", "", "", "",
       kCodecMp2, A, R, B, C, {4, 3, 7, 8}},
      {kFormatMmf, "mmf", "mmf", "", "", "",
       kCodecAdpcmYamaha, A, R, 0, C, {24}},
      {kFormatMov, "mov", "mov", "MOV (audio only)", "", "",
       kCodecAac, A, R, B, C, {4, 3, 8}},
      {kFormatMp2, "mp2", "mp2", "", "", "",
       kCodecMp2, A, R, B, C, {7}},
      {kFormatMp3, "mp3", "mp3", "", "", "",
       kCodecMp3, A, R, B, C, {8}},
      {kFormatMp4, "mp4", "mp4", "MP4 (audio only)", "", "",
       kCodecAac, A, R, B, C, {4}},
      {kFormatMpa, "mpa", "mpeg", "", "", "",
       kCodecMp2, A, R, B, C, {7, 8}},
      {kFormatOgg, "ogg", "ogg", "", "", "",
       kCodecVorbis, A, R, B, C, {10, 11}},
      {kFormatSwf, "swf", "swf", "SWF (audio only)", "", "",
       kCodecMp3, A, R, B, C, {9}},
      {kFormatVoc, "voc", "voc", "", "", "",
       kCodecPcmU8, 0, 22050, 0, 1, {12, 13, 18, 19}},
      {kFormatWav, "wav", "wav", "", "", "",
       kCodecPcmS16le, A, R, B, C, {12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 32, 8}},
      {kFormatWma, "wma", "", "", "", "",
       0, 0, 0, 0, 0, {}},
      {kFormatWmv, "wmv", "", "WMV (audio only)", "", "",
       0, 0, 0, 0, 0, {}},
  };
  // clang-format on
  return rows;
}

}  // namespace

std::vector<int> ListValues(const int* list) {
  std::vector<int> values;
  if (list == nullptr) return values;
  for (; *list != -1; ++list) values.push_back(*list);
  return values;
}

const CodecEntry* CodecEntryByNumber(int number) {
  if (number < 1 || number > kCodecEntryCount) return nullptr;
  return &kCodecEntries[number - 1];
}

void BuildCatalogue(std::vector<FormatRow>& rows) {
  for (const RowData& data : RowTable()) {
    FormatRow row;
    row.id = data.id;
    row.AutoEncParam = data.autoEncParam;
    row.CodecID = data.codecId;
    row.SampleRate = data.sampleRate;
    row.BitRate = data.bitRate;
    row.Channels = data.channels;
    row.displayName = data.displayName;
    row.pageTitle = data.pageTitle;
    row.extension = data.extension;
    row.settingsKey = data.settingsKey;
    row.muxerName = data.muxer;
    for (int number : data.entries) row.codecs.push_back(CodecEntryByNumber(number));
    rows.push_back(std::move(row));
  }
}

std::string FormatName(const FormatRow& row) {
  return row.displayName.empty() ? AsciiUpper(row.extension) : row.displayName;
}

std::string FormatLabel(const FormatRow& row) { return " to " + FormatName(row); }

std::string PageTitle(const FormatRow& row) {
  return row.pageTitle.empty() ? AsciiUpper(row.extension) : row.pageTitle;
}

std::string SettingsPrefix(const FormatRow& row) {
  return AsciiUpper(row.settingsKey.empty() ? row.extension : row.settingsKey);
}

bool HasFormatSettings(const FormatRow& row) {
  return WriterFamilyOf(row.id) == WriterFamily::Ffmpeg;
}

const FormatRow* FindFormatRow(const std::vector<FormatRow>& rows, int id) {
  const int index = FormatRowIndex(rows, id);
  return index < 0 ? nullptr : &rows[index];
}

FormatRow* FindFormatRow(std::vector<FormatRow>& rows, int id) {
  const int index = FormatRowIndex(rows, id);
  return index < 0 ? nullptr : &rows[index];
}

int FormatRowIndex(const std::vector<FormatRow>& rows, int id) {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].id == id) return static_cast<int>(i);
  }
  return -1;
}

const CodecEntry* FindCodecEntry(const FormatRow& row, int codecId) {
  for (const CodecEntry* entry : row.codecs) {
    if (entry->codecId == codecId) return entry;
  }
  return nullptr;
}

WriterFamily WriterFamilyOf(int formatId) {
  switch (formatId) {
    case kFormatAmr:
    case kFormatAwb:
      return WriterFamily::Amr;
    case kFormatWma:
    case kFormatWmv:
    case kFormatAsf:
      return WriterFamily::Wma;
    default:
      return WriterFamily::Ffmpeg;
  }
}

bool FormatCarriesTags(int formatId) {
  switch (formatId) {
    case kFormatMmf:
    case kFormatWav:
    case kFormatFlv:
    case kFormatAu:
    case kFormatAiff:
    case kFormatAmr:
    case kFormatAwb:
    case kFormatSwf:
    case kFormatVoc:
      return false;
    default:
      return true;
  }
}

}  // namespace sondrel
