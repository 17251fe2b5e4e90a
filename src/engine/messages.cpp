#include "engine/messages.h"

#include "platform/product.h"

namespace sondrel {

std::string SoundfontQuestion(const std::string& folder) {
  std::string text =
      "Dear user, to decode MIDI file, file \"ct4mgm.sf2\" is required.\n"
      "Unfortunately, the file isn't available on your computer.\n\n"
      "Do you want to download the file from our website for free now?\n\n"
      "Once download completes, please copy the file to folder:\n\"";
  return text.append(folder).append("\"\nAnd then convert your MIDI file again. Thank you.");
}

std::string CreateFailedMessage(const std::string& path, bool isSource) {
  std::string text = "Failed to create file \"" + path + "\".";
  if (isSource) text += "\n\nThe file is one of the files to convert.";
  return text;
}

std::string FolderFailureText(const std::string& folder) {
  return "Failed to create folder \"" + folder + "\"";
}

std::string FileFailureText(const std::string& target) {
  return "Failed to create file \"" + target + "\"";
}

// Texts are appended piece by piece: GCC 12 at -O3 warns falsely on a chain
// of "+" that starts with a literal.
std::string RunLineText(int number, int count, const std::string& target) {
  std::string text = "Converting ";
  text.append(std::to_string(number)).append(" of ").append(std::to_string(count));
  return text.append(" file(s) to ").append(target).append("...");
}

std::string StartingText(const std::string& fileName) {
  return "Starting to convert " + fileName + "...";
}

std::string AddingFileText(int number, int count, const std::string& fileName) {
  std::string text = "[";
  text.append(std::to_string(number)).append("/").append(std::to_string(count));
  return text.append("] Adding file ").append(fileName).append("...");
}

std::string SendFilesRequest() {
  return std::string("\nPlease send these files to ") + kSupportAddress +
         " so that a future version can read them.";
}

}  // namespace sondrel
