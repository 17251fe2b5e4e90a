// The catalogue of output formats: 30 rows, each naming a container (file
// extension and FFmpeg muxer), the codecs allowed in it with their value
// lists, and the five per-format encoding settings the user can change.
//
// Codec ids here are the stored numbers of the old FFmpeg generation (they
// are kept in the settings store); encode/codec_ids.h translates them to
// today's FFmpeg ids. This file includes neither FFmpeg nor wx headers.
#pragma once

#include <string>
#include <vector>

namespace sondrel {

// Value lists are ascending and end in -1 (the -1 is not a value).
extern const int kRatesAc3[];
extern const int kRatesAac[];
extern const int kRatesGeneral[];
extern const int kRatesMp2[];
extern const int kRatesFlash[];
extern const int kRatesPcm[];
extern const int kRatesFlac[];
extern const int kRatesMmf[];
extern const int kRates44100[];
extern const int kRates8000[];
extern const int kBitRatesAc3[];
extern const int kBitRatesAac[];
extern const int kBitRatesMpeg[];
extern const int kBitRatesVorbis[];
extern const int kBitRatesAmr[];
extern const int kBitRatesG726[];  // bits per code word

// The values of a -1-terminated list (empty for a null list).
std::vector<int> ListValues(const int* list);

// Channel bits of a codec entry.
inline constexpr int kChannelsMono = 1;
inline constexpr int kChannelsStereo = 2;

// One codec allowed in a format. Several entries may share a codec id with
// different lists (a container may restrict a codec).
struct CodecEntry {
  int codecId;              // stored (old-generation) FFmpeg codec id
  const char* displayName;  // shown in the codec combo box of the encoding page
  const int* sampleRates;   // ascending, ends in -1
  const int* bitRates;      // ascending, ends in -1; null when the codec has none
  int channelBits;          // kChannelsMono | kChannelsStereo
};

// The 33 codec entries, numbered 1 to 33 in their fixed order.
inline constexpr int kCodecEntryCount = 33;
// Entry `number` (1-based); null when out of range.
const CodecEntry* CodecEntryByNumber(int number);

// Stored codec ids of the entries (old FFmpeg generation; part of the stored
// settings, never change them).
enum StoredCodecId : int {
  kCodecPcmS16le = 65536,
  kCodecPcmS16be = 65537,
  kCodecPcmS8 = 65540,
  kCodecPcmU8 = 65541,
  kCodecPcmMulaw = 65542,
  kCodecPcmAlaw = 65543,
  kCodecPcmS32le = 65544,
  kCodecPcmS32be = 65545,
  kCodecPcmS24le = 65548,
  kCodecPcmS24be = 65549,
  kCodecPcmF32be = 65556,
  kCodecPcmF32le = 65557,
  kCodecPcmF64be = 65558,
  kCodecPcmF64le = 65559,
  kCodecAdpcmImaQt = 69632,
  kCodecAdpcmImaWav = 69633,
  kCodecAdpcmMs = 69638,
  kCodecAdpcmG726 = 69643,
  kCodecAdpcmSwf = 69645,
  kCodecAdpcmYamaha = 69646,
  kCodecAmrNb = 73728,
  kCodecMp2 = 86016,
  kCodecMp3 = 86017,
  kCodecAac = 86018,
  kCodecAc3 = 86019,
  kCodecVorbis = 86021,
  kCodecFlac = 86030,
  kCodecAlac = 86034,
  kCodecGsm = 86036,
  kCodecGsmMs = 86048,
};

// Format ids (the `OutputFormat` setting and the writer family).
enum FormatId : int {
  kFormatMp3 = 1000,
  kFormatMp2 = 1100,
  kFormatMpa = 1200,
  kFormatMka = 1400,
  kFormatMmf = 1500,
  kFormatWav = 2000,
  kFormatFlac = 3200,
  kFormatAc3 = 3400,
  kFormatFlv = 3650,
  kFormatOgg = 4000,
  kFormatAu = 5000,
  kFormatAiff = 5100,
  kFormatAmr = 5500,
  kFormatAwb = 5600,
  kFormatAac = 6000,
  kFormatAacDevice = 6100,
  kFormatAlac = 6200,
  kFormatMp4 = 6600,
  kFormatM4a = 6500,
  kFormatM4b = 6700,
  kFormatM4r = 6800,
  kFormatWma = 7100,
  kFormatWmv = 7200,
  kFormatAsf = 7300,
  kFormatAvi = 8000,
  kFormatMov = 8100,
  kFormatSwf = 8200,
  kFormat3g2 = 8300,
  kFormat3gp = 8350,
  kFormatVoc = 8400,
};

inline constexpr int kDefaultOutputFormat = kFormatMp3;
inline constexpr int kFormatRowCount = 30;

// One row of the catalogue. Only the five per-format values change after
// BuildCatalogue (loading the settings, the options sheet's OK).
struct FormatRow {
  int id = 0;
  // 1: sample rate, channels and bit rate follow the source; 0: the three
  // values below apply where they are above 0 (0 = automatic).
  int AutoEncParam = 1;
  int CodecID = 0;  // stored codec id; must equal one of the codec entries' ids
  int SampleRate = 44100;
  int BitRate = 128000;                   // bits per second; bits per code word for G.726
  int Channels = 2;                       // 1 or 2; 0 = automatic
  std::string displayName;                // empty = none
  std::string pageTitle;                  // empty = none
  std::string extension;                  // without the dot
  std::string settingsKey;                // empty = none
  std::string muxerName;                  // empty = none (AMR and Windows Media rows)
  std::vector<const CodecEntry*> codecs;  // in order; empty = none
};

// Appends the 30 rows, in catalogue order, with their default settings.
void BuildCatalogue(std::vector<FormatRow>& rows);

// The display name, or the upper-case extension (the progress texts' name).
std::string FormatName(const FormatRow& row);
// " to " followed by FormatName (the format list's entry).
std::string FormatLabel(const FormatRow& row);
// The page title, or the upper-case extension.
std::string PageTitle(const FormatRow& row);
// The upper-case settings key, or the upper-case extension: the prefix of the
// row's five stored values ("MP3AutoEncParam", "AACDEVICECodecID").
std::string SettingsPrefix(const FormatRow& row);
// False for the AMR and Windows Media rows, which keep no per-format values.
bool HasFormatSettings(const FormatRow& row);

// The row with the id; null when no row has it.
const FormatRow* FindFormatRow(const std::vector<FormatRow>& rows, int id);
FormatRow* FindFormatRow(std::vector<FormatRow>& rows, int id);
// Index of the row with the id; -1 when no row has it.
int FormatRowIndex(const std::vector<FormatRow>& rows, int id);

// The first codec entry of the row whose id is `codecId` (normally the row's
// CodecID); null when the row has none, which makes the format unusable.
const CodecEntry* FindCodecEntry(const FormatRow& row, int codecId);

enum class WriterFamily { Ffmpeg, Amr, Wma };
// 5500 and 5600: AMR; 7100, 7200, 7300: Windows Media; all others: FFmpeg.
WriterFamily WriterFamilyOf(int formatId);

// False for the formats whose files never get tags (mmf, wav, flv, au, aiff,
// amr, awb, swf, voc).
bool FormatCarriesTags(int formatId);

}  // namespace sondrel
