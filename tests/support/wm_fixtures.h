// Windows Media test fixtures: ASF files written through the layer's writer
// (tones with chosen attributes), files made by the ffmpeg command line, and
// ffprobe read-outs for cross-checks.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/mediaruntime/wm_types.h"
#include "support/run_command.h"

namespace sondrel::test {

struct WmFixture {
  int inputRate = 44100;  // PCM fed to the writer
  int inputChannels = 2;
  int formatRate = 44100;  // the codec format
  int formatChannels = 2;
  int bitRate = 128000;  // nominal bit rate of the format
  double seconds = 1.0;
  double leftHz = 1000.0;  // tone of the left (or only) channel
  double rightHz = 2000.0;
  std::vector<std::pair<std::string, WmAttribute>> attributes;
};

// Writes the fixture through WmWriter; false on any layer failure.
bool WriteWmFixture(const std::string& path, const WmFixture& fixture);

// Runs the ffmpeg command line with `args` (after "-v error -y"), output
// discarded; true when it succeeded.
bool RunFfmpeg(const std::string& args);

// Runs the ffmpeg command line with `args` writing its output to standard
// output, which goes to `path` (a file the muxer cannot seek in).
bool RunFfmpegToPipe(const std::string& args, const std::string& path);

// ffprobe's "section.key" values of a file (streams as "stream0.key",
// "stream1.key", format as "format.key", tags as "format.tag.key").
std::map<std::string, std::string> ProbeFile(const std::string& path);

}  // namespace sondrel::test
