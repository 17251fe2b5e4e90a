// Sondrel: the desktop program.
#include <cstdio>
#include <memory>

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "decode/audio_engine.h"
#include "platform/product.h"
#include "programs/program_info.h"
#include "ui/app_icon.h"
#include "ui/wx_frontend.h"

namespace sondrel {

// In a named namespace: wxIMPLEMENT_APP's wxGetApp() then has external
// linkage and no compiler calls it unused.
class SondrelApp : public wxApp {
 public:
  bool OnInit() override {
    if (!wxApp::OnInit()) return false;
    SetAppName("Sondrel 3");
    // The audio engine starts before the main window; a failure has been
    // shown to the user and ends the program.
    m_frontend = std::make_unique<WxFrontend>();
    if (!StartAudioEngine(*m_frontend)) return false;
    m_engineStarted = true;
    auto* frame = new wxFrame(nullptr, wxID_ANY, kProductName, wxDefaultPosition, wxSize(640, 400));
    frame->SetIcons(ProgramIcons());
    auto* panel = new wxPanel(frame);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(panel, wxID_ANY, "Sondrel audio converter"), 0, wxALL, 12);
    panel->SetSizer(sizer);
    frame->Show();
    return true;
  }

  int OnExit() override {
    if (m_engineStarted) StopAudioEngine();
    return wxApp::OnExit();
  }

 private:
  std::unique_ptr<WxFrontend> m_frontend;
  bool m_engineStarted = false;
};

}  // namespace sondrel

wxIMPLEMENT_APP_NO_MAIN(sondrel::SondrelApp);

int main(int argc, char** argv) {
  // --help and --version need no display: answered before GTK starts.
  if (sondrel::PrintInfoOption(argc, argv, stdout)) return 0;
  return wxEntry(argc, argv);
}
