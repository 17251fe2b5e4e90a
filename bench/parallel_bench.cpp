// Converting several files at once: 16 files of 60 s, WAV to MP3 and FLAC
// to AAC, by "Convert All" with two at once against one at a time (goal: at
// least 1.85 times faster on two cores), and against `xargs -P 2` running
// the ffmpeg command with the same encoders and bit rate (goal: at most its
// time). Prints both ratios and the files per second of each way.
#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "encode/format_catalogue.h"
#include "engine/add_files.h"
#include "engine/conversion_run.h"
#include "engine/engine_state.h"
#include "engine/file_list.h"
#include "engine/settings.h"
#include "engine/temp_name.h"

namespace {

namespace fs = std::filesystem;
using namespace sondrel;

constexpr int kFiles = 16;
constexpr int kSeconds = 60;
constexpr int kRate = 44100;
constexpr int kBitRate = 128000;
constexpr int kRounds = 3;

struct Batch {
  const char* name;
  const char* extension;  // of the sources
  int sndfileFormat;
  int formatId;
  const char* ffmpegArgs;  // the same encoder and bit rate on the command line
  const char* outExtension;
};

// The batch through "Convert All" with `jobs` at once.
bool ConvertAll(EngineState& state, ConvertSettings settings, const FormatRow* format,
                const FileList& list, const fs::path& out, int jobs) {
  fs::remove_all(out);
  fs::create_directories(out);
  settings.DestSpecifiedFolder = out.string();
  settings.Jobs = jobs;
  StartConversion(state, settings, format, list, ItemSelection::All, RunOutput::FilePerItem);
  for (int row = 0; row < list.RowCount(); ++row) {
    if (list.ItemAt(row)->targetPath.empty()) return false;
  }
  return true;
}

// The batch through `xargs -P 2` and the ffmpeg command.
bool ConvertWithXargs(const Batch& batch, const fs::path& in, const fs::path& out) {
  fs::remove_all(out);
  fs::create_directories(out);
  const fs::path names = out / "names.txt";
  {
    std::ofstream list(names);
    for (int i = 0; i < kFiles; ++i) list << "tone" << i << "\n";
  }
  const std::string command =
      "xargs -P 2 -I{} ffmpeg -nostdin -hide_banner -loglevel error -y -i '" + in.string() +
      "/{}." + batch.extension + "' " + batch.ffmpegArgs + " '" + out.string() + "/{}." +
      batch.outExtension + "' < '" + names.string() + "'";
  return std::system(command.c_str()) == 0;
}

}  // namespace

int main() {
  std::string base;
  if (!MakeTempName("", "sondrel-parallel-bench-", "", base)) return 1;
  fs::remove(base);
  const fs::path root(base);

  const std::string mp3Args = "-c:a libmp3lame -b:a " + std::to_string(kBitRate);
  const std::string aacArgs = "-c:a aac -b:a " + std::to_string(kBitRate) + " -f adts";
  const Batch batches[] = {
      {"WAV to MP3", "wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, kFormatMp3, mp3Args.c_str(), "mp3"},
      {"FLAC to AAC", "flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, kFormatAac, aacArgs.c_str(),
       "aac"},
  };

  bench::QuietFrontend frontend;
  EngineState state(frontend);
  std::vector<FormatRow> rows;
  BuildCatalogue(rows);
  ConvertSettings settings;
  settings.DestOutputFolderOpt = kOutputSpecificFolder;
  settings.TargetExistsOpt = kTargetOverwrite;
  settings.BrowseOutputFolder = 0;
  settings.VolumeType = kVolumeKeep;

  bool allOk = true;
  std::printf("%d files of %d s, 44100 Hz stereo, %d bit/s; best of %d alternating rounds\n",
              kFiles, kSeconds, kBitRate, kRounds);
  for (const Batch& batch : batches) {
    const fs::path in = root / batch.extension;
    fs::create_directories(in);
    FileList list;
    for (int i = 0; i < kFiles; ++i) {
      const std::string path = (in / ("tone" + std::to_string(i) + "." + batch.extension)).string();
      FileItem item;
      if (!bench::WriteMusic(path, batch.sndfileFormat, kRate, kSeconds) ||
          !ProbeFile(state.opener, path, item)) {
        std::fprintf(stderr, "cannot make %s\n", path.c_str());
        return 1;
      }
      list.Add(item);
    }
    FormatRow* format = FindFormatRow(rows, batch.formatId);
    format->AutoEncParam = 0;
    format->BitRate = kBitRate;
    format->SampleRate = kRate;
    format->Channels = 2;

    // The three ways take turns, round after round, and each keeps its best
    // time: a slow spell of the machine then falls on all of them alike.
    bool okOne = true, okTwo = true, okXargs = true;
    double one = 1e30, two = 1e30, xargs = 1e30;
    for (int round = 0; round < kRounds; ++round) {
      bool ok = false;
      one = std::min(
          one,
          bench::Best(
              1, [&] { return ConvertAll(state, settings, format, list, root / "one", 1); }, ok));
      okOne = okOne && ok;
      two = std::min(
          two,
          bench::Best(
              1, [&] { return ConvertAll(state, settings, format, list, root / "two", 2); }, ok));
      okTwo = okTwo && ok;
      xargs =
          std::min(xargs, bench::Best(
                              1, [&] { return ConvertWithXargs(batch, in, root / "xargs"); }, ok));
      okXargs = okXargs && ok;
    }
    allOk = allOk && okOne && okTwo && okXargs;

    std::printf("%s\n", batch.name);
    std::printf("  one at a time:   %7.2f s  %6.3f files/s%s\n", one, kFiles / one,
                okOne ? "" : "  (FAILED)");
    std::printf("  two at once:     %7.2f s  %6.3f files/s%s\n", two, kFiles / two,
                okTwo ? "" : "  (FAILED)");
    std::printf("  xargs -P 2 ffmpeg: %5.2f s  %6.3f files/s%s\n", xargs, kFiles / xargs,
                okXargs ? "" : "  (FAILED)");
    std::printf("  speed-up two at once / one at a time: %.3fx  (goal: at least 1.85)\n",
                one / two);
    std::printf("  time two at once / xargs -P 2 ffmpeg: %.3f  (goal: at most 1.0)\n", two / xargs);
    fs::remove_all(in);
  }

  std::error_code ec;
  fs::remove_all(root, ec);
  return allOk ? 0 : 1;
}
