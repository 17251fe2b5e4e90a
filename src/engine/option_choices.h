// What the Options sheet's pages show and store, without the window: the
// mappings between stored values and radio indexes, the drop-down lists with
// their item data and selection, and the checks made when a page is left.
// The pages in ui/ put these on screen; tests read them directly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "encode/format_catalogue.h"
#include "engine/settings.h"

namespace sondrel {

class WmaFormatList;

// One drop-down entry: its text and its item data.
struct ChoiceItem {
  std::string label;
  int data = 0;
  bool operator==(const ChoiceItem&) const = default;
};

// A drop-down's entries and the selected index (-1: none).
struct ChoiceList {
  std::vector<ChoiceItem> items;
  int selection = -1;

  // Item data of the selection, or `none` when nothing is selected.
  int SelectedData(int none) const;
  // Selects the last entry whose data is `data`; false when none has it.
  bool Select(int data);
  bool operator==(const ChoiceList&) const = default;
};

// Radio indexes of the stored values, both ways.
int VolumeTypeToIndex(int32_t stored);  // 0 and 1 as they are, anything else 2
int32_t VolumeTypeFromIndex(int index);
int ID3TagTypeToIndex(int32_t stored);  // 1 -> 0 (custom), 2 -> 1 (transfer), else 2 (none)
int32_t ID3TagTypeFromIndex(int index);
int TrackNumTypeToIndex(int32_t stored);  // 1 and 2 as they are, anything else 0
int32_t TrackNumTypeFromIndex(int index);
// A stored flag as a check box shows it (anything but 0 is on).
inline int32_t Flag(int32_t stored) { return stored != 0 ? 1 : 0; }

// Ranges of the General and ID3 pages' number boxes.
inline constexpr int32_t kVolumeMin = 10;
inline constexpr int32_t kVolumeMax = 32767;
inline constexpr int32_t kLengthMax = 2147483647;
inline constexpr int32_t kTrackNumMax = 255;

// A whole number in decimal, with an optional sign and surrounding blanks,
// that fits 32 bits signed; none for anything else.
std::optional<int32_t> ParseInteger(const std::string& text);

// The control ids of every page of the Options sheet (a failed check names
// the one to focus). Ids need only be unique within one page.
enum OptionsControlId : int {
  // General
  kIdMix = 1025,
  kIdLeft = 1026,
  kIdRight = 1027,
  kIdExtFilter = 1080,
  kIdExts = 1081,
  kIdHidden = 1082,
  kIdDts = 1083,
  kIdChannelHelp = 1104,
  kIdVolume = 1115,
  kIdVolumeSpin = 1116,
  kIdNormalize = 1120,
  kIdManual = 1121,
  kIdKeep = 1122,
  kIdSkip = 1123,
  kIdSkipLength = 1124,
  kIdConvert = 1125,
  kIdConvertLength = 1126,
  kIdSkipSpin = 1128,
  kIdConvertSpin = 1129,
  kIdJobs = 1130,
  kIdJobsSpin = 1131,
  // Output
  kIdCreateDirs = 1019,
  kIdFolder = 1042,
  kIdBrowse = 1044,
  kIdFolderOption = 1074,
  kIdBrowseOutput = 1098,
  kIdToDocuments = 1100,
  kIdTargetExists = 1102,
  kIdOpen = 1180,
  // ID3
  kIdTitle = 1012,
  kIdArtist = 1016,
  kIdAlbum = 1018,
  kIdYear = 1020,
  kIdComment = 1021,
  kIdComposer = 1022,
  kIdGenre = 1023,
  kIdCopyright = 1024,
  kIdTrackNum = 1085,
  kIdTrackSpin = 1086,
  kIdTitleAsFileName = 1103,
  // The encoding page of FFmpeg formats
  kIdAuto = 1056,
  kIdBitRate = 1075,
  kIdChannels = 1076,
  kIdSampleRate = 1113,
  kIdCodec = 1114,
  // AMR and AWB
  kIdNbBox = 1075,
  kIdWbBox = 1076,
  kIdNb = 1077,
  kIdWb = 1078,
  kIdAwbBox = 1082,
  kIdAmrDtx = 1175,
  kIdAwbDtx = 1176,
  // Windows Media
  kIdWmaFormats = 1107,
};

// What a failed page check shows and which control gets the focus.
struct PageProblem {
  std::string message;
  int focusId = 0;
  bool operator==(const PageProblem&) const = default;
};

// The General page's text boxes as typed.
struct GeneralTexts {
  std::string volume;
  std::string skipLength;
  std::string convertLength;
  std::string jobs = "0";
};
// Reads the number boxes of the General page into `settings`, then checks
// the page: extensions when the filter is on, a length above 0 when
// "Only convert" is on. The volume must lie in its spin's range when it is
// adjusted manually; the number of files at once in 0..kMaxJobs. None when the page may be left.
std::optional<PageProblem> ReadGeneralPage(const GeneralTexts& texts, ConvertSettings& settings);
// The extension text with blanks and tabs removed and ';' as ',' (only for
// the check: the stored text stays as typed).
std::string CleanedFilterExts(const std::string& text);

// The Output page's drop-downs: entries in order with the stored number as
// item data; an unknown number selects the first entry.
ChoiceList OutputFolderChoices(int32_t folderOption);
ChoiceList TargetExistsChoices(int32_t targetExistsOpt);
// The Output page's check: a specific folder must be named.
std::optional<PageProblem> CheckOutputPage(int32_t folderOption, const std::string& folder);

// The ID3 page's track number box as typed; none when it is a number of
// 0..255. A disabled box with a bad text reads as 0.
std::optional<PageProblem> ReadTrackNumber(const std::string& text, bool enabled, int32_t& value);
// The genre names, sorted alphabetically.
const std::vector<std::string>& SortedGenreNames();
// Index in SortedGenreNames of the first name that begins with `stored`
// (ignoring case); -1 for an empty text or no match.
int GenreMatch(const std::string& stored);

// An audio page's values (a catalogue row's five values).
struct AudioValues {
  int32_t autoEncParam = 1;
  int32_t codecId = 0;
  int32_t sampleRate = 0;
  int32_t bitRate = 0;
  int32_t channels = 0;
  bool operator==(const AudioValues&) const = default;
};
AudioValues AudioValuesOf(const FormatRow& row);
void StoreAudioValues(const AudioValues& values, FormatRow& row);

// An audio page's drop-downs for its current codec.
struct AudioBoxes {
  ChoiceList codecs;
  ChoiceList sampleRates;
  ChoiceList bitRates;
  ChoiceList channels;
  bool hasRates = false;     // the codec entry has a sample-rate list
  bool hasBitRates = false;  // the codec entry has a bit-rate list
  bool operator==(const AudioBoxes&) const = default;
};
// The codec box (display names, codec ids as item data; the first when the
// value matches none) and the value boxes of the entry whose id equals
// `values.codecId` (the last such entry); empty value boxes when none has it.
AudioBoxes AudioBoxesFor(const FormatRow& row, const AudioValues& values);
// The value boxes' label of a bit rate: "%d bit" below 1000, "%.2f kbps"
// when not a whole kbit/s, else "%d kbps".
std::string BitRateLabel(int bitRate);
// What the page stores from its boxes and its Auto check.
AudioValues ApplyAudioBoxes(const AudioBoxes& boxes, bool autoOn);
// The values an audio page would store if it were opened and confirmed as
// it opens, when `values` hold anything the page cannot show (a codec the
// row has not, a rate or channel count its codec has not); else `values`.
AudioValues ValidAudioValues(const FormatRow& row, const AudioValues& values);
// Which value boxes are enabled (the codec box always is).
struct AudioEnabled {
  bool sampleRate = false;
  bool bitRate = false;
  bool channels = false;
  bool operator==(const AudioEnabled&) const = default;
};
AudioEnabled AudioBoxesEnabled(const AudioBoxes& boxes, bool autoOn);

// The AMR pages' bit-rate boxes; a mode outside the table selects index 4.
ChoiceList AmrNbChoices(int32_t mode);
ChoiceList AmrWbChoices(int32_t mode);

// The Windows Media page's values.
struct WmaValues {
  int32_t autoEncParam = 1;
  int32_t sampleRate = 0;
  int32_t bitRate = 0;
  int32_t channels = 0;
  bool operator==(const WmaValues&) const = default;
};
// The Auto entry (item data -1, selected when auto is on), then each format
// of at least 1000 bit/s (item data: its index in `list`), selected when it
// matches the values while auto is off; no fallback selection. `list` may be
// null (the runtime did not load): only the Auto entry.
ChoiceList WmaChoices(const WmaFormatList* list, const WmaValues& values);
// What the page stores for the selected item data (none: nothing selected).
WmaValues ApplyWmaChoice(const WmaFormatList* list, int selectedData, WmaValues values);

}  // namespace sondrel
