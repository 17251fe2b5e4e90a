// The sondrel program itself on the virtual display: one window, and a clean
// exit when its Close button is clicked.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <wx/utils.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "fake_window_manager.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

// Waits up to `ms` for the child to end; its exit status, or -1.
int WaitForExit(pid_t pid, int ms) {
  for (int waited = 0; waited < ms; waited += 50) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    wxMilliSleep(50);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

TEST(SondrelProgram, ShowsOneWindowAndEndsOnItsCloseButton) {
  test::TempDir home;
  std::filesystem::create_directories(home.Path() / "config" / "sondrel");
  // A returning user: the help book stays closed.
  test::WriteFileBytes(home.File("config/sondrel/sondrel.conf"), "[Options]\nFirstRun=0\n");
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    setenv("HOME", home.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", home.File("config").c_str(), 1);
    // A file named on the command line is not refused.
    execl(SONDREL_GUI, SONDREL_GUI, "song.mp3", static_cast<char*>(nullptr));
    _exit(127);
  }
  std::vector<wxRect> windows;
  for (int waited = 0; waited < 30000 && windows.empty(); waited += 100) {
    wxMilliSleep(100);
    windows = test::MappedWindows("Sondrel");
  }
  wxMilliSleep(300);  // let it settle, then look again
  windows = test::MappedWindows("Sondrel");
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].GetSize(), wxSize(950, 650));
  // The Close button at (918, 11), 21 pixels square.
  ASSERT_TRUE(test::ClickOnScreen(windows[0].GetPosition() + wxPoint(928, 21)));
  EXPECT_EQ(WaitForExit(pid, 20000), 0);
  EXPECT_TRUE(test::MappedWindows("Sondrel").empty());
  EXPECT_TRUE(std::filesystem::exists(home.File("config/sondrel/sondrel.conf")));
}

}  // namespace
}  // namespace sondrel
