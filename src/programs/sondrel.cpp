// Sondrel: the desktop program.
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "platform/product.h"

namespace {

class SondrelApp : public wxApp {
 public:
  bool OnInit() override {
    if (!wxApp::OnInit()) return false;
    SetAppName("Sondrel 3");
    auto* frame = new wxFrame(nullptr, wxID_ANY, sondrel::kProductName, wxDefaultPosition,
                              wxSize(640, 400));
    auto* panel = new wxPanel(frame);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(panel, wxID_ANY, "Sondrel audio converter"), 0, wxALL, 12);
    panel->SetSizer(sizer);
    frame->Show();
    return true;
  }
};

}  // namespace

wxIMPLEMENT_APP(SondrelApp);
