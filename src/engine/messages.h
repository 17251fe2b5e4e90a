// Every text the engine shows to its user, in one place: the messages and
// questions of the start checks, the Output column's statuses and the notes
// that explain a failure, the progress lines, and the report of files that
// could not be added. Texts with a part filled in are functions.
#pragma once

#include <string>

namespace sondrel {

// Start checks and messages of the convert commands.
inline constexpr const char* kNoSelectionMessage = "You should select a file at least.";
inline constexpr const char* kEmptyListMessage = "There aren't files in list.";
// The offer to fetch the MIDI soundfont into the program's `folder`.
std::string SoundfontQuestion(const std::string& folder);
// The merge run's output cannot be created; `isSource`: it is one of the
// files being converted.
std::string CreateFailedMessage(const std::string& path, bool isSource);

// The Output column while an item is worked on.
inline constexpr const char* kPreprocessingStatus = "Preprocessing...";
inline constexpr const char* kNormalizingStatus = "Normalizing...";
inline constexpr const char* kConvertingStatus = "Converting...";

// The Output column of an item that was not converted.
inline constexpr const char* kSoundfontMissingStatus = "Failure. Requires file \"ct4mgm.sf2\".";
inline constexpr const char* kConversionFailureStatus = "Conversion Failure";
inline constexpr const char* kNoAudioStatus = "No audio in the file";
inline constexpr const char* kCancelledStatus = "Cancelled";
inline constexpr const char* kTargetSkippedText = "Target exists and skipped";
inline constexpr const char* kTargetIsSourceText =
    "Target file name is same as original file that can't be overwritten. Please output files "
    "to a custom folder.";
std::string FolderFailureText(const std::string& folder);
std::string FileFailureText(const std::string& target);

// Notes: why a conversion failed (after "Conversion Failure", in
// parentheses) or why files could not be added (at the end of the report).
inline constexpr const char* kSkipTooLongNote =
    "Length of the file is shorter than skipping length set at Options -> General";
inline constexpr const char* kWriteFailedNote = "Failed to write the output file";
inline constexpr const char* kSourceMissingNote = "The file no longer exists";
// Another program created the target while it was written (nothing replaced).
inline constexpr const char* kTargetAppearedNote =
    "Another file appeared under the output's name meanwhile";
inline constexpr const char* kCdTrackNote =
    "IMPORTANT: please DO NOT add CDA file from hard drive, but add CDA file from CD drive.";

// Progress lines. The verbs start the file line "[n%] <verb> <name>...".
inline constexpr const char* kConvertingVerb = "Converting";
inline constexpr const char* kNormalizingVerb = "Normalizing";
inline constexpr const char* kPreprocessingVerb = "Preprocessing";
// "Converting <number> of <count> file(s) to <target>..."
std::string RunLineText(int number, int count, const std::string& target);
// "Starting to convert <name>..."
std::string StartingText(const std::string& fileName);
// "[<number>/<count>] Adding file <name>..."
std::string AddingFileText(int number, int count, const std::string& fileName);

// The adding window's line while a folder search or a drop gathers its batch.
inline constexpr const char* kSearchingFilesText = "Searching files...";

// The report of the files a batch could not add: the heading, the list (at
// most 30 paths, then kMoreFilesLine), then one of the three endings.
inline constexpr const char* kAddFailedHeading = "Failed to load the following files.\n\n";
inline constexpr const char* kMoreFilesLine = "<more files>...\n";
inline constexpr const char* kCharsetHint =
    "\nThere are non-English characters in filename of some files. Please remove the characters "
    "from filename and then try again.";
// The ending when no note explains the failures: send the files in.
std::string SendFilesRequest();
// The Open dialog of Add Files failed with `code`: the code and our support
// address, and for a full name buffer (kNameBufferTooSmall) a tip to add a
// folder instead.
inline constexpr unsigned kNameBufferTooSmall = 0x3003;
std::string ChooseFilesFailedMessage(unsigned code);

}  // namespace sondrel
