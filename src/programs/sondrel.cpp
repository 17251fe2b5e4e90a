// Sondrel: the desktop program.
#include <memory>

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "decode/audio_engine.h"
#include "platform/product.h"
#include "ui/wx_frontend.h"

namespace {

class SondrelApp : public wxApp {
 public:
  bool OnInit() override {
    if (!wxApp::OnInit()) return false;
    SetAppName("Sondrel 3");
    // The audio engine starts before the main window; a failure has been
    // shown to the user and ends the program.
    m_frontend = std::make_unique<sondrel::WxFrontend>();
    if (!sondrel::StartAudioEngine(*m_frontend)) return false;
    m_engineStarted = true;
    auto* frame = new wxFrame(nullptr, wxID_ANY, sondrel::kProductName, wxDefaultPosition,
                              wxSize(640, 400));
    auto* panel = new wxPanel(frame);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(panel, wxID_ANY, "Sondrel audio converter"), 0, wxALL, 12);
    panel->SetSizer(sizer);
    frame->Show();
    return true;
  }

  int OnExit() override {
    if (m_engineStarted) sondrel::StopAudioEngine();
    return wxApp::OnExit();
  }

 private:
  std::unique_ptr<sondrel::WxFrontend> m_frontend;
  bool m_engineStarted = false;
};

}  // namespace

wxIMPLEMENT_APP(SondrelApp);
