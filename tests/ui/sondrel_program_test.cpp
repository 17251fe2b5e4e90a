// The sondrel program itself on the virtual display: one window, a clean
// exit when its Close button is clicked, and the files and folders named on
// its command line in the list.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <wx/utils.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <sndfile.h>

#include "fake_window_manager.h"
#include "support/audio_fixtures.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

// The program started in `home` (its working folder, HOME and the config
// folder below it) with `args`; killed at the end if it is still running.
class Program {
 public:
  Program(const test::TempDir& home, const std::vector<std::string>& args) {
    m_pid = fork();
    if (m_pid != 0) return;
    setenv("HOME", home.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", home.File("config").c_str(), 1);
    if (chdir(home.Path().c_str()) != 0) _exit(126);
    std::vector<char*> argv = {const_cast<char*>(SONDREL_GUI)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(SONDREL_GUI, argv.data());
    _exit(127);
  }
  ~Program() {
    if (m_pid > 0) WaitForExit(0);
  }
  bool Started() const { return m_pid > 0; }
  // True once the program has ended (its status is kept for WaitForExit).
  bool Ended() {
    if (m_pid > 0 && waitpid(m_pid, &m_status, WNOHANG) == m_pid) m_pid = 0;
    return m_pid == 0;
  }

  // Waits up to `ms` for the program to end; its exit status, or -1 (it is
  // killed then).
  int WaitForExit(int ms) {
    if (m_pid < 0) return -1;  // never started
    for (int waited = 0; waited < ms && !Ended(); waited += 50) wxMilliSleep(50);
    if (!Ended()) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
      m_pid = 0;
      return -1;
    }
    return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1;
  }

 private:
  pid_t m_pid = -1;
  int m_status = 0;
};

// The mapped windows titled "Sondrel" once the first has shown and settled.
std::vector<wxRect> WaitForWindows() {
  std::vector<wxRect> windows;
  for (int waited = 0; waited < 30000 && windows.empty(); waited += 100) {
    wxMilliSleep(100);
    windows = test::MappedWindows("Sondrel");
  }
  wxMilliSleep(300);  // let it settle, then look again
  return test::MappedWindows("Sondrel");
}

// A returning user's home (the help book stays closed) with `options` in the
// options group, and short WAV files at `files`.
void PrepareHome(const test::TempDir& home, const std::string& options,
                 const std::vector<std::string>& files) {
  std::filesystem::create_directories(home.Path() / "config" / "sondrel");
  test::WriteFileBytes(home.File("config/sondrel/sondrel.conf"),
                       "[Options]\nFirstRun=0\n" + options);
  for (const std::string& name : files) {
    std::filesystem::create_directories((home.Path() / name).parent_path());
    ASSERT_TRUE(test::WriteSndfile16(home.File(name), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1,
                                     test::Tone16(1, 800, 8000)));
  }
}

// Clicks a button of the window at `at` until `done` holds, for at most
// `ms`: a click while the window is busy (adding its files) is not taken.
bool ClickUntil(const wxRect& window, wxPoint at, const std::function<bool()>& done, int ms) {
  for (int waited = 0; waited < ms;) {
    if (!test::ClickOnScreen(window.GetPosition() + at)) return false;
    for (int round = 0; round < 30 && waited < ms; ++round, waited += 100) {
      if (done()) return true;
      wxMilliSleep(100);
    }
  }
  return done();
}

// The Close button at (918, 11), 21 pixels square.
const wxPoint kCloseButton(928, 21);

TEST(SondrelProgram, ShowsOneWindowAndEndsOnItsCloseButton) {
  test::TempDir home;
  PrepareHome(home, "", {"song.wav"});
  // A file named on the command line is not refused.
  Program program(home, {"song.wav"});
  ASSERT_TRUE(program.Started());
  const std::vector<wxRect> windows = WaitForWindows();
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].GetSize(), wxSize(950, 650));
  EXPECT_TRUE(ClickUntil(
      windows[0], kCloseButton, [&] { return program.Ended(); }, 30000));
  EXPECT_EQ(program.WaitForExit(20000), 0);
  EXPECT_TRUE(test::MappedWindows("Sondrel").empty());
  EXPECT_TRUE(std::filesystem::exists(home.File("config/sondrel/sondrel.conf")));
}

TEST(SondrelProgram, AddsTheFilesAndFoldersNamedOnItsCommandLine) {
  test::TempDir home;
  // Results beside their sources as FLAC, no file manager afterwards.
  PrepareHome(home, "DestOutputFolderOpt=199\nBrowseOutputFolder=0\nOutputFormat=3200\n",
              {"a.wav", "folder/b.wav", "folder/sub/c.wav", "other.wav"});
  Program program(home, {"a.wav", "folder/"});
  ASSERT_TRUE(program.Started());
  const std::vector<wxRect> windows = WaitForWindows();
  ASSERT_EQ(windows.size(), 1u) << "no message: every file was added";
  const std::vector<std::string> outputs = {home.File("a.flac"), home.File("folder/b.flac"),
                                            home.File("folder/sub/c.flac")};
  auto converted = [&] {
    return std::all_of(outputs.begin(), outputs.end(),
                       [](const std::string& path) { return std::filesystem::exists(path); });
  };
  // Convert (at (11, 213), 107 x 27) converts every row.
  EXPECT_TRUE(ClickUntil(windows[0], wxPoint(60, 226), converted, 60000));
  EXPECT_FALSE(std::filesystem::exists(home.File("other.flac"))) << "not named";
  EXPECT_TRUE(ClickUntil(
      windows[0], kCloseButton, [&] { return program.Ended(); }, 30000));
  EXPECT_EQ(program.WaitForExit(20000), 0);
}

}  // namespace
}  // namespace sondrel
