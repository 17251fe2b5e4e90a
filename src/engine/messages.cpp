#include "engine/messages.h"

#include <cstdarg>
#include <cstdio>

#include "platform/product.h"

namespace sondrel {

namespace {

// The text of a printf pattern, of any length.
[[gnu::format(printf, 1, 2)]] std::string Format(const char* pattern, ...) {
  va_list args;
  va_start(args, pattern);
  va_list again;
  va_copy(again, args);
  const int size = std::vsnprintf(nullptr, 0, pattern, args);
  va_end(args);
  std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
  if (size > 0) std::vsnprintf(text.data(), text.size() + 1, pattern, again);
  va_end(again);
  return text;
}

}  // namespace

std::string SoundfontQuestion(const std::string& folder) {
  return Format(
      "Dear user, to decode MIDI file, file \"ct4mgm.sf2\" is required.\n"
      "Unfortunately, the file isn't available on your computer.\n\n"
      "Do you want to download the file from our website for free now?\n\n"
      "Once download completes, please copy the file to folder:\n\"%s\"\n"
      "And then convert your MIDI file again. Thank you.",
      folder.c_str());
}

std::string CreateFailedMessage(const std::string& path, bool isSource) {
  return Format("Failed to create file \"%s\".%s", path.c_str(),
                isSource ? "\n\nThe file is one of the files to convert." : "");
}

std::string FolderFailureText(const std::string& folder) {
  return Format("Failed to create folder \"%s\"", folder.c_str());
}

std::string FileFailureText(const std::string& target) {
  return Format("Failed to create file \"%s\"", target.c_str());
}

std::string RunLineText(int number, int count, const std::string& target) {
  return Format("Converting %d of %d file(s) to %s...", number, count, target.c_str());
}

std::string StartingText(const std::string& fileName) {
  return Format("Starting to convert %s...", fileName.c_str());
}

std::string AddingFileText(int number, int count, const std::string& fileName) {
  return Format("[%d/%d] Adding file %s...", number, count, fileName.c_str());
}

std::string SendFilesRequest() {
  return Format("\nPlease send these files to %s so that a future version can read them.",
                kSupportAddress);
}

std::string ChooseFilesFailedMessage(unsigned code) {
  std::string text = Format(
      "Failed to choose files. Error code: 0x%X.\n\nPlease contact %s and tell us the error code.",
      code, kSupportAddress);
  if (code == kNameBufferTooSmall) {
    text +=
        "\n\nTips: the error might be caused by too many files that were selected. We recommend "
        "you click on \"Add Folder\" to choose bulk files.";
  }
  return text;
}

}  // namespace sondrel
