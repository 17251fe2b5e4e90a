// The Options sheet's values and lists, without the window.
#include "engine/option_choices.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "decode/id3_genres.h"
#include "encode/wma_format_list.h"
#include "platform/text.h"

namespace sondrel {

namespace {

constexpr const char* kEnterInteger = "Please enter an integer.";
constexpr const char* kEnterPositive = "Please enter a positive integer.";

std::string Between(int32_t low, int32_t high) {
  return "Please enter an integer between " + std::to_string(low) + " and " + std::to_string(high) +
         ".";
}

// Reads a number box. An enabled box with a bad text fails with `message`;
// a disabled one (the user cannot mend it) takes `fallback` instead.
std::optional<PageProblem> ReadBox(const std::string& text, bool enabled, int32_t low, int32_t high,
                                   const std::string& message, int focusId, int32_t fallback,
                                   int32_t& value) {
  const std::optional<int32_t> number = ParseInteger(text);
  if (number && *number >= low && *number <= high) {
    value = *number;
    return std::nullopt;
  }
  if (!enabled) {
    value = fallback;
    return std::nullopt;
  }
  return PageProblem{number ? message : std::string(kEnterInteger), focusId};
}

ChoiceList FixedChoices(std::vector<ChoiceItem> items, int32_t stored, int fallbackIndex) {
  ChoiceList list{std::move(items), -1};
  if (!list.Select(stored)) list.selection = fallbackIndex;
  return list;
}

ChoiceList ModeChoices(const std::vector<const char*>& labels, int32_t mode) {
  std::vector<ChoiceItem> items;
  for (size_t i = 0; i < labels.size(); ++i) {
    items.push_back({std::string(labels[i]) + " kbps", static_cast<int>(i)});
  }
  return FixedChoices(std::move(items), mode, 4);
}

}  // namespace

int ChoiceList::SelectedData(int none) const {
  if (selection < 0 || selection >= static_cast<int>(items.size())) return none;
  return items[selection].data;
}

bool ChoiceList::Select(int data) {
  bool found = false;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].data == data) {
      selection = static_cast<int>(i);
      found = true;
    }
  }
  return found;
}

int VolumeTypeToIndex(int32_t stored) {
  return stored == kVolumeNormalize || stored == kVolumeManual ? stored : kVolumeKeep;
}
int32_t VolumeTypeFromIndex(int index) { return VolumeTypeToIndex(index); }

int ID3TagTypeToIndex(int32_t stored) {
  if (stored == kTagCustom) return 0;
  if (stored == kTagTransfer) return 1;
  return 2;
}
int32_t ID3TagTypeFromIndex(int index) {
  if (index == 0) return kTagCustom;
  if (index == 1) return kTagTransfer;
  return kTagNone;
}

int TrackNumTypeToIndex(int32_t stored) {
  return stored == kTrackSequence || stored == kTrackCustom ? stored : kTrackNone;
}
int32_t TrackNumTypeFromIndex(int index) { return TrackNumTypeToIndex(index); }

std::optional<int32_t> ParseInteger(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  const size_t last = text.find_last_not_of(" \t");
  const std::string digits = text.substr(first, last - first + 1);
  size_t start = (digits[0] == '+' || digits[0] == '-') ? 1 : 0;
  if (start == digits.size() || digits.size() > 12) return std::nullopt;
  for (size_t i = start; i < digits.size(); ++i) {
    if (digits[i] < '0' || digits[i] > '9') return std::nullopt;
  }
  const long long value = std::strtoll(digits.c_str(), nullptr, 10);
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

std::string CleanedFilterExts(const std::string& text) {
  std::string cleaned;
  for (const char c : text) {
    if (c == ' ' || c == '\t') continue;
    cleaned += c == ';' ? ',' : c;
  }
  return cleaned;
}

std::optional<PageProblem> ReadGeneralPage(const GeneralTexts& texts, ConvertSettings& s) {
  const bool manual = VolumeTypeToIndex(s.VolumeType) == kVolumeManual;
  if (auto problem = ReadBox(texts.volume, manual, kVolumeMin, kVolumeMax,
                             Between(kVolumeMin, kVolumeMax), kIdVolume, 100, s.Volume)) {
    return problem;
  }
  if (auto problem = ReadBox(texts.skipLength, s.EnableSkipLength != 0, 0, kLengthMax,
                             kEnterPositive, kIdSkipLength, 0, s.SkipLength)) {
    if (problem->message == kEnterInteger) problem->message = kEnterPositive;
    return problem;
  }
  if (auto problem = ReadBox(texts.convertLength, s.EnableConvertLength != 0, 0, kLengthMax,
                             kEnterPositive, kIdConvertLength, 0, s.ConvertLength)) {
    if (problem->message == kEnterInteger) problem->message = kEnterPositive;
    return problem;
  }
  // A text of separators alone names no extension either.
  if (s.EnableExtFilter != 0 &&
      CleanedFilterExts(s.FilterExts).find_first_not_of(',') == std::string::npos) {
    return PageProblem{"Please enter file extensions you need to filter.", kIdExts};
  }
  if (s.EnableConvertLength != 0 && s.ConvertLength == 0) {
    return PageProblem{"Conversion length must be greater than 0 millisecond.", kIdConvertLength};
  }
  return ReadBox(texts.jobs, true, 0, kMaxJobs, Between(0, kMaxJobs), kIdJobs, 0, s.Jobs);
}

ChoiceList OutputFolderChoices(int32_t folderOption) {
  return FixedChoices(
      {{"Same as source file", kOutputSameAsSource}, {"Specific folder", kOutputSpecificFolder}},
      folderOption, 0);
}

ChoiceList TargetExistsChoices(int32_t targetExistsOpt) {
  return FixedChoices({{"Rename automatically (add number at end of file name)", kTargetRename},
                       {"Overwrite", kTargetOverwrite},
                       {"Skip (not convert)", kTargetSkip}},
                      targetExistsOpt, 0);
}

std::optional<PageProblem> CheckOutputPage(int32_t folderOption, const std::string& folder) {
  if (folderOption == kOutputSpecificFolder && folder.empty()) {
    return PageProblem{"Please choose an output folder.", kIdFolder};
  }
  return std::nullopt;
}

std::optional<PageProblem> ReadTrackNumber(const std::string& text, bool enabled, int32_t& value) {
  return ReadBox(text, enabled, 0, kTrackNumMax, Between(0, kTrackNumMax), kIdTrackNum, 0, value);
}

const std::vector<std::string>& SortedGenreNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> sorted;
    for (int i = 0; i < kGenreCount; ++i) sorted.emplace_back(GenreName(i));
    std::sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
      return AsciiLower(a) < AsciiLower(b);
    });
    return sorted;
  }();
  return names;
}

int GenreMatch(const std::string& stored) {
  if (stored.empty()) return -1;
  const std::string prefix = AsciiLower(stored);
  const std::vector<std::string>& names = SortedGenreNames();
  for (size_t i = 0; i < names.size(); ++i) {
    if (AsciiLower(names[i]).compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
  }
  return -1;
}

AudioValues AudioValuesOf(const FormatRow& row) {
  return {row.AutoEncParam, row.CodecID, row.SampleRate, row.BitRate, row.Channels};
}

void StoreAudioValues(const AudioValues& v, FormatRow& row) {
  row.AutoEncParam = v.autoEncParam;
  row.CodecID = v.codecId;
  row.SampleRate = v.sampleRate;
  row.BitRate = v.bitRate;
  row.Channels = v.channels;
}

std::string BitRateLabel(int bitRate) {
  char label[48];
  if (bitRate < 1000) {
    std::snprintf(label, sizeof label, "%d bit", bitRate);
  } else if (bitRate % 1000 != 0) {
    std::snprintf(label, sizeof label, "%.2f kbps", bitRate * 0.001);
  } else {
    std::snprintf(label, sizeof label, "%d kbps", bitRate / 1000);
  }
  return label;
}

AudioBoxes AudioBoxesFor(const FormatRow& row, const AudioValues& v) {
  AudioBoxes boxes;
  for (const CodecEntry* entry : row.codecs) {
    boxes.codecs.items.push_back({entry->displayName, entry->codecId});
  }
  for (size_t i = 0; i < boxes.codecs.items.size() && boxes.codecs.selection < 0; ++i) {
    if (boxes.codecs.items[i].data == v.codecId) boxes.codecs.selection = static_cast<int>(i);
  }
  if (boxes.codecs.selection < 0 && !boxes.codecs.items.empty()) boxes.codecs.selection = 0;

  const CodecEntry* entry = nullptr;
  for (const CodecEntry* candidate : row.codecs) {
    if (candidate->codecId == v.codecId) entry = candidate;
  }
  if (entry == nullptr) return boxes;

  const std::vector<int> rates = ListValues(entry->sampleRates);
  for (int rate : rates) boxes.sampleRates.items.push_back({std::to_string(rate) + " Hz", rate});
  if (rates.size() > 1) {
    boxes.sampleRates.items.push_back({"Auto (the program will choose the best sample rate)", 0});
  }
  if (!boxes.sampleRates.Select(v.sampleRate) && !rates.empty()) boxes.sampleRates.selection = 0;
  boxes.hasRates = !rates.empty();

  const std::vector<int> bitRates = ListValues(entry->bitRates);
  for (int bitRate : bitRates) boxes.bitRates.items.push_back({BitRateLabel(bitRate), bitRate});
  if (bitRates.size() > 1) {
    boxes.bitRates.items.push_back({"Auto (the program will choose the best bit rate)", 0});
  }
  if (!boxes.bitRates.Select(v.bitRate) && !bitRates.empty()) boxes.bitRates.selection = 0;
  boxes.hasBitRates = !bitRates.empty();

  const bool stereo = (entry->channelBits & kChannelsStereo) != 0;
  const bool mono = (entry->channelBits & kChannelsMono) != 0;
  if (stereo) boxes.channels.items.push_back({"Stereo", 2});
  if (mono) boxes.channels.items.push_back({"Mono", 1});
  if (stereo && mono) {
    boxes.channels.items.push_back({"Auto (the program will choose the best channels)", 0});
  }
  if (!boxes.channels.Select(v.channels)) boxes.channels.selection = 0;
  return boxes;
}

AudioValues ApplyAudioBoxes(const AudioBoxes& boxes, bool autoOn) {
  return {autoOn ? 1 : 0, boxes.codecs.SelectedData(0), boxes.sampleRates.SelectedData(0),
          boxes.bitRates.SelectedData(0), boxes.channels.SelectedData(1)};
}

AudioValues ValidAudioValues(const FormatRow& row, const AudioValues& v) {
  const AudioBoxes boxes = AudioBoxesFor(row, v);
  const bool shown = (v.autoEncParam == 0 || v.autoEncParam == 1) &&
                     boxes.codecs.SelectedData(0) == v.codecId &&
                     boxes.sampleRates.SelectedData(0) == v.sampleRate &&
                     (!boxes.hasBitRates || boxes.bitRates.SelectedData(0) == v.bitRate) &&
                     boxes.channels.SelectedData(1) == v.channels;
  return shown ? v : ApplyAudioBoxes(boxes, v.autoEncParam != 0);
}

AudioEnabled AudioBoxesEnabled(const AudioBoxes& boxes, bool autoOn) {
  return {boxes.hasRates && !autoOn, boxes.hasBitRates && !autoOn, !autoOn};
}

ChoiceList AmrNbChoices(int32_t mode) {
  std::vector<ChoiceItem> items;
  const char* labels[] = {"4.75 kbps", "5.15 kbps", "5.9 kbps",  "6.7 kbps",
                          "7.4 kbps",  "7.95 kbps", "10.2 kbps", "12.2 kbps"};
  for (int i = 0; i < 8; ++i) items.push_back({labels[i], i});
  return FixedChoices(std::move(items), mode, 4);
}

ChoiceList AmrWbChoices(int32_t mode) {
  return ModeChoices(
      {"6.60", "8.85", "12.65", "14.25", "15.85", "18.25", "19.85", "23.05", "23.85"}, mode);
}

ChoiceList WmaChoices(const WmaFormatList* list, const WmaValues& v) {
  ChoiceList choices;
  choices.items.push_back({"Auto (the program will choose the best options)", -1});
  if (v.autoEncParam == 1) choices.selection = 0;
  if (list == nullptr) return choices;
  int index = 0;
  for (const WmaFormatEntry& entry : *list) {
    const int data = index++;
    if (entry.bitRate < 1000) continue;
    char label[80];
    std::snprintf(label, sizeof label, "%d Hz, %d kbps, %s", entry.SampleRate(),
                  entry.bitRate / 1000, entry.Channels() == 1 ? "Mono" : "Stereo");
    choices.items.push_back({label, data});
    if (v.autoEncParam == 0 && entry.SampleRate() == v.sampleRate &&
        entry.bitRate / 1000 == v.bitRate / 1000 && entry.Channels() == v.channels) {
      choices.selection = static_cast<int>(choices.items.size()) - 1;
    }
  }
  return choices;
}

WmaValues ApplyWmaChoice(const WmaFormatList* list, int selectedData, WmaValues v) {
  if (list == nullptr || selectedData < 0 || selectedData >= static_cast<int>(list->Size())) {
    v.autoEncParam = 1;
    return v;
  }
  const WmaFormatEntry& entry = *std::next(list->begin(), selectedData);
  return {0, entry.SampleRate(), entry.bitRate, entry.Channels()};
}

}  // namespace sondrel
