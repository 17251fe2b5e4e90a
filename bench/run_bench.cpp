// Per-file cost of the conversion run: 200 one-second WAV files converted to
// WAV by "Convert All" (target naming, opening, tags, progress, size check,
// and the decoding and encoding themselves), against the same 200
// conversions done by a loop of the ffmpeg command. Also shown: the bare
// reader-to-writer copy of the same files, so that the run's own overhead
// per file can be read off. Every figure is the best of a few rounds.
#include <sndfile.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "bench_support.h"
#include "decode/source_type.h"
#include "encode/format_catalogue.h"
#include "engine/add_files.h"
#include "engine/conversion_run.h"
#include "engine/engine_state.h"
#include "engine/file_list.h"
#include "engine/frontend.h"
#include "engine/settings.h"
#include "engine/temp_name.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace sondrel;
using bench::Best;
using bench::QuietFrontend;

constexpr int kFiles = 200;
constexpr int kRate = 44100;
constexpr int kRounds = 3;

bool WriteWav(const std::string& path, int index) {
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) return false;
  std::vector<int16_t> frames(2 * kRate);
  for (int i = 0; i < kRate; ++i) {
    const double t = static_cast<double>(i) / kRate;
    frames[2 * i] = static_cast<int16_t>(9000 * std::sin(2 * std::numbers::pi * (200 + index) * t));
    frames[2 * i + 1] = static_cast<int16_t>(9000 * std::sin(2 * std::numbers::pi * 330 * t));
  }
  const bool ok = sf_writef_short(f, frames.data(), kRate) == kRate;
  sf_close(f);
  return ok;
}

bool RunFfmpeg(const std::string& in, const std::string& out) {
  std::vector<std::string> args = {"ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
                                   "-i",     in,         "-c:a",         "pcm_s16le", out};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, "ffmpeg", nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The reader-to-writer copy alone, with the run's blocks and none of its steps.
bool BareCopy(EngineState& state, const std::vector<std::string>& sources, const fs::path& out) {
  std::vector<int16_t> left(kBlockFrames), right(kBlockFrames);
  for (const std::string& source : sources) {
    int hasAudio = 1;
    state.opener.SetFfmpegRetry(0);
    std::unique_ptr<Decoder> decoder =
        state.opener.OpenSource(source, kSourceWav, 44100, OpenPurpose::Conversion, hasAudio);
    std::unique_ptr<Encoder> encoder = state.writers.ffmpeg ? state.writers.ffmpeg() : nullptr;
    if (!decoder || !encoder) return false;
    encoder->SetFormat(FfmpegFormatParams{"wav", kCodecPcmS16le});
    encoder->SetSampleRate(decoder->GetSampleRate());
    encoder->SetChannels(2);
    encoder->SetBitRate(0);
    encoder->SetOutputPath((out / fs::path(source).filename()).string());
    if (!encoder->Open()) return false;
    for (int n = decoder->Read(left.data(), right.data()); n > 0;
         n = decoder->Read(left.data(), right.data())) {
      encoder->Write(left.data(), right.data(), n);
    }
    encoder->Close();
    decoder->Close();
  }
  return true;
}

}  // namespace

int main() {
  std::string base;
  if (!MakeTempName("", "sondrel-run-bench-", "", base)) return 1;
  fs::remove(base);
  const fs::path root(base);
  const fs::path in = root / "in", ours = root / "ours", bare = root / "bare",
                 theirs = root / "ffmpeg";
  for (const fs::path& p : {in, ours, bare, theirs}) fs::create_directories(p);

  std::vector<std::string> sources;
  for (int i = 0; i < kFiles; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "tone%03d.wav", i);
    sources.push_back((in / name).string());
    if (!WriteWav(sources.back(), i)) {
      std::fprintf(stderr, "cannot write %s\n", sources.back().c_str());
      return 1;
    }
  }

  QuietFrontend frontend;
  EngineState state(frontend);
  std::vector<FormatRow> rows;
  BuildCatalogue(rows);
  ConvertSettings settings;
  settings.DestOutputFolderOpt = kOutputSpecificFolder;
  settings.DestSpecifiedFolder = ours.string();
  settings.TargetExistsOpt = kTargetOverwrite;
  settings.BrowseOutputFolder = 0;
  FileList list;
  for (const std::string& source : sources) {
    FileItem item;
    if (!ProbeFile(state.opener, source, item)) {
      std::fprintf(stderr, "cannot probe %s\n", source.c_str());
      return 1;
    }
    list.Add(item);
  }
  const FormatRow* wav = FindFormatRow(rows, kFormatWav);

  bool okRun = false, okBare = false, okFfmpeg = false;
  const double run = Best(
      kRounds,
      [&] {
        StartConversion(state, settings, wav, list, ItemSelection::All, RunOutput::FilePerItem);
        for (int row = 0; row < list.RowCount(); ++row) {
          if (list.ItemAt(row)->targetPath.empty()) return false;
        }
        return true;
      },
      okRun);
  const double copy = Best(
      kRounds, [&] { return BareCopy(state, sources, bare); }, okBare);
  const double loop = Best(
      kRounds,
      [&] {
        for (const std::string& source : sources) {
          if (!RunFfmpeg(source, (theirs / fs::path(source).filename()).string())) return false;
        }
        return true;
      },
      okFfmpeg);

  std::printf("%d one-second 44100 Hz stereo WAV files to WAV, best of %d rounds\n", kFiles,
              kRounds);
  std::printf("  conversion run (Convert All): %8.3f s  %7.2f ms/file%s\n", run,
              1000 * run / kFiles, okRun ? "" : "  (FAILED)");
  std::printf("  bare reader->writer copy:     %8.3f s  %7.2f ms/file%s\n", copy,
              1000 * copy / kFiles, okBare ? "" : "  (FAILED)");
  std::printf("  ffmpeg command loop:          %8.3f s  %7.2f ms/file%s\n", loop,
              1000 * loop / kFiles, okFfmpeg ? "" : "  (FAILED)");
  std::printf("  run overhead per file (run - bare copy): %.3f ms\n", 1000 * (run - copy) / kFiles);
  std::printf("  ratio run / ffmpeg loop: %.3f  (goal: at most 1.0)\n", run / loop);

  std::error_code ec;
  fs::remove_all(root, ec);
  return okRun && okBare && okFfmpeg ? 0 : 1;
}
