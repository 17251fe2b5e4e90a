// Adding files is probing: 1,000 one-second files of mixed formats (WAV,
// MP3, FLAC, Ogg Vorbis) added to the real main window on a display through
// AddPaths, against `sondrel-cli --probe` of the same files measured in the
// same run (the reference: the same probes without a window). Prints the
// ratio (goal: at most 1.2) and the files per second of each.
#include <sndfile.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/init.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "decode/audio_engine.h"
#include "engine/add_files.h"
#include "engine/settings.h"
#include "platform/settings_store.h"
#include "ui/file_list_ctrl.h"
#include "ui/main_window.h"
#include "ui/progress_dialogs.h"
#include "ui/wx_frontend.h"
#include "window_bench_app.h"

namespace {

namespace fs = std::filesystem;
using namespace sondrel;
using bench::Seconds;

constexpr int kFiles = 1000;
constexpr int kRounds = 3;
constexpr double kRatioGoal = 1.2;

// The window without modal message boxes: a failure is printed instead.
class QuietWindow : public MainWindow {
 public:
  using MainWindow::MainWindow;
  void ShowMessage(const std::string& text, MessageIcon) override {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
};

struct Kind {
  const char* extension;
  int format;
};

// Writes the files, a quarter of each kind, one second of a stereo tone at
// 44.1 kHz each; returns their paths in a mixed order.
std::vector<std::string> WriteFiles(const fs::path& folder) {
  const Kind kinds[] = {
      {"wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
      {"mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
      {"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
      {"ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
  };
  constexpr int kRate = 44100;
  std::vector<short> tone(2 * kRate);
  for (int i = 0; i < kRate; ++i) {
    tone[2 * i] = tone[2 * i + 1] =
        static_cast<short>(8000 * std::sin(2 * M_PI * 440.0 * i / kRate));
  }
  std::vector<std::string> paths;
  for (int i = 0; i < kFiles; ++i) {
    const Kind& kind = kinds[i % 4];
    char name[32];
    std::snprintf(name, sizeof name, "tone%04d.%s", i, kind.extension);
    const std::string path = (folder / name).string();
    SF_INFO info = {};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = kind.format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
      std::fprintf(stderr, "bench_add: cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
      return {};
    }
    sf_writef_short(file, tone.data(), kRate);
    sf_close(file);
    paths.push_back(path);
  }
  return paths;
}

// The window's Add: a fresh list each round, repainted at the end.
double AddToWindow(const std::vector<std::string>& paths) {
  MemorySettingsStore store;
  store.WriteNumber(kOptionsGroup, "FirstRun", 0);
  auto* window = new QuietWindow(store, MainWindowSetup{});
  window->Show();
  PumpMessages();
  int rows = 0;
  const double took = Seconds([&] {
    AddPaths(window->Engine(), window->ListTarget(), paths);
    window->Refresh();
    window->Update();
    PumpMessages();
    rows = window->List().RowCount();
  });
  if (rows != kFiles) std::fprintf(stderr, "bench_add: %d rows of %d files\n", rows, kFiles);
  window->Destroy();
  PumpMessages();
  return took;
}

double ProbeWithCli(const fs::path& cli, const fs::path& folder, const fs::path& config) {
  const std::string command = "XDG_CONFIG_HOME='" + config.string() + "' '" + cli.string() +
                              "' --probe '" + folder.string() + "' >/dev/null";
  int status = 0;
  const double took = Seconds([&] { status = std::system(command.c_str()); });
  if (status != 0) std::fprintf(stderr, "bench_add: %s failed (%d)\n", command.c_str(), status);
  return took;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const fs::path self = fs::canonical("/proc/self/exe");
  const fs::path cli = self.parent_path().parent_path() / "src" / "sondrel-cli";
  if (!fs::exists(cli)) {
    std::fprintf(stderr, "bench_add: no %s to compare with\n", cli.c_str());
    return 1;
  }
  if (!bench::StartWindowBench(argc, argv, "bench_add")) return 1;
  const fs::path work = fs::temp_directory_path() / ("bench_add." + std::to_string(getpid()));
  const fs::path folder = work / "files";
  fs::create_directories(folder);
  fs::create_directories(work / "config");
  int status = 0;
  {
    const std::vector<std::string> paths = WriteFiles(folder);
    if (paths.empty()) {
      status = 1;
    } else {
      WxFrontend startup;
      StartAudioEngine(startup);
      double window = 1e9, reference = 1e9;
      for (int round = 0; round < kRounds; ++round) {
        reference = std::min(reference, ProbeWithCli(cli, folder, work / "config"));
        window = std::min(window, AddToWindow(paths));
      }
      StopAudioEngine();
      const double ratio = window / reference;
      std::printf("%d files (WAV, MP3, FLAC, Ogg), best of %d rounds\n", kFiles, kRounds);
      std::printf("%-30s %8.1f ms   %7.0f files/s\n", "AddPaths in the window", window * 1000,
                  kFiles / window);
      std::printf("%-30s %8.1f ms   %7.0f files/s\n", "sondrel-cli --probe", reference * 1000,
                  kFiles / reference);
      std::printf("ratio %.3f   goal %.1f   %s\n", ratio, kRatioGoal,
                  ratio <= kRatioGoal ? "met" : "NOT MET");
    }
  }
  fs::remove_all(work);
  wxEntryCleanup();
  return status;
}
