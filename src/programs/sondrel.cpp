// Sondrel: the desktop program.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <wx/app.h>

#include "decode/audio_engine.h"
#include "platform/paths.h"
#include "programs/program_info.h"
#include "ui/help.h"
#include "ui/main_window.h"
#include "ui/wx_config_store.h"
#include "ui/wx_frontend.h"

namespace sondrel {

namespace {
// The arguments as the system gave them: bytes, which need not be UTF-8.
std::vector<std::string> g_arguments;
}  // namespace

// In a named namespace: wxIMPLEMENT_APP's wxGetApp() then has external
// linkage and no compiler calls it unused.
class SondrelApp : public wxApp {
 public:
  bool OnInit() override {
    // wxApp::OnInit is left out: its command-line parser would refuse the
    // files named on the command line. They are kept for the list, made
    // absolute against the folder the program was started in.
    for (const std::string& arg : g_arguments) {
      if (!arg.empty()) m_commandLineFiles.push_back(AbsolutePath(arg));
    }
    SetAppName("Sondrel 3");
    // The audio engine starts before the main window; a failure has been
    // shown to the user and ends the program.
    WxFrontend startup;
    if (!StartAudioEngine(startup)) return false;
    m_engineStarted = true;
    m_store = std::make_unique<WxConfigStore>();
    MainWindowSetup setup;
    setup.openHelpOnFirstRun = [] { ShowHelp(true); };
    setup.loadDefaultSoundfont = [] {
      int soundFont = 0;
      LoadDefaultSoundfont(soundFont);
      return soundFont;
    };
    auto* window = new MainWindow(*m_store, std::move(setup));
    window->Show();
    window->AddCommandLinePaths(std::move(m_commandLineFiles));
    return true;
  }

  int OnExit() override {
    if (m_engineStarted) StopAudioEngine();
    return wxApp::OnExit();
  }

 private:
  // Outlives the main window, which saves to it when it is destroyed.
  std::unique_ptr<WxConfigStore> m_store;
  // The files and folders named on the command line, added like a drop.
  std::vector<std::string> m_commandLineFiles;
  bool m_engineStarted = false;
};

}  // namespace sondrel

wxIMPLEMENT_APP_NO_MAIN(sondrel::SondrelApp);

int main(int argc, char** argv) {
  // --help and --version need no display: answered before GTK starts.
  if (sondrel::PrintInfoOption(argc, argv, stdout)) return 0;
  sondrel::g_arguments.assign(argv + 1, argv + argc);
  return wxEntry(argc, argv);
}
