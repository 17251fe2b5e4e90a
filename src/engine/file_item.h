// One row of the file list, as the runs see it.
#pragma once

#include <string>

namespace sondrel {

struct FileItem {
  std::string sourcePath;
  int channels = 0;
  int sampleRate = 0;
  int bitRate = 0;         // kbit/s
  int duration = 0;        // whole seconds
  int sourceType = 0;      // ClassifySource
  std::string targetPath;  // empty until a run prepares a target

  bool operator==(const FileItem&) const = default;
};

}  // namespace sondrel
