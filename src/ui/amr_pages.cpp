// The encoding pages of the "amr" format (narrow or wide band, with a bit
// rate for each) and of the "awb" format.
#include "ui/options_pages.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace sondrel {

namespace {

constexpr const char* kDtxLabel = "&Enable DTX (Discontinuous Transmission)";

class CAMROptPage final : public SettingsPage {
  using SettingsPage::SettingsPage;

  ChoiceBox m_nbModes;
  ChoiceBox m_wbModes;

  void Apply() override {
    m_s.AMRDTX = Checked(kIdAmrDtx);
    m_s.AMRType = Checked(kIdWb) ? kAmrWideBand : kAmrNarrowBand;
    m_s.AMRMode = m_nbModes.Selected(4);
    m_s.AMRWBMode = m_wbModes.Selected(4);
  }

  void KeepValid() override {
    m_s.AMRMode = AmrNbChoices(m_s.AMRMode).SelectedData(4);
    m_s.AMRWBMode = AmrWbChoices(m_s.AMRWBMode).SelectedData(4);
    if (m_s.AMRType != kAmrWideBand) m_s.AMRType = kAmrNarrowBand;
    m_s.AMRDTX = Flag(m_s.AMRDTX);
  }

  void Build(wxSizer* sizer) override {
    const int gap = Gap();
    AddEncodingHeading(sizer);
    auto* grid = new wxFlexGridSizer(3, gap * 2, gap * 3);
    auto* nb = new wxRadioButton(this, kIdNb, "&NB (Narrow Band, 8000 Hz)", wxDefaultPosition,
                                 wxDefaultSize, wxRB_GROUP);
    auto* wb = new wxRadioButton(this, kIdWb, "&WB (Wide Band, 16000 Hz)");
    wxChoice* nbBox = MakeChoice(m_nbModes, kIdNbBox, AmrNbChoices(m_s.AMRMode));
    wxChoice* wbBox = MakeChoice(m_wbModes, kIdWbBox, AmrWbChoices(m_s.AMRWBMode));
    grid->Add(nb, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(Label("&Bit Rate:", nbBox), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(nbBox);
    grid->Add(wb, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(Label("Bit &Rate:", wbBox), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(wbBox);
    sizer->Add(grid, 0, wxLEFT | wxRIGHT, gap * 4);
    AddCheck(sizer, kIdAmrDtx, kDtxLabel, m_s.AMRDTX != 0, wxALL, gap * 4);
    // Any type but wide band shows (and stores) narrow band.
    (m_s.AMRType == kAmrWideBand ? wb : nb)->SetValue(true);
    UpdateEnabled();
    OnChange(wxEVT_RADIOBUTTON, kIdNb);
    OnChange(wxEVT_RADIOBUTTON, kIdWb);
  }

  void UpdateEnabled() override {
    m_nbModes.box->Enable(Checked(kIdNb));
    m_wbModes.box->Enable(Checked(kIdWb));
  }
};

class CAWBOptPage final : public SettingsPage {
  using SettingsPage::SettingsPage;

  ChoiceBox m_modes;

  void Apply() override {
    m_s.AWBDTX = Checked(kIdAwbDtx);
    m_s.AWBMode = m_modes.Selected(4);
  }

  void KeepValid() override {
    m_s.AWBMode = AmrWbChoices(m_s.AWBMode).SelectedData(4);
    m_s.AWBDTX = Flag(m_s.AWBDTX);
  }

  void Build(wxSizer* sizer) override {
    const int gap = Gap();
    AddEncodingHeading(sizer);
    sizer->Add(new wxStaticText(this, wxID_ANY, "Sample Frequency: 16000 Hz"), 0,
               wxLEFT | wxRIGHT | wxBOTTOM, gap * 4);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    wxChoice* box = MakeChoice(m_modes, kIdAwbBox, AmrWbChoices(m_s.AWBMode));
    row->Add(Label("&Bit Rate:", box), 0, wxALIGN_CENTER_VERTICAL);
    row->Add(box, 0, wxLEFT, gap * 2);
    sizer->Add(row, 0, wxLEFT | wxRIGHT, gap * 4);
    AddCheck(sizer, kIdAwbDtx, kDtxLabel, m_s.AWBDTX != 0, wxALL, gap * 4);
  }
};

}  // namespace

OptionsPage* CreateAmrPage(wxWindow* parent, ConvertSettings& settings) {
  return new CAMROptPage(parent, "AMR", settings);
}

OptionsPage* CreateAwbPage(wxWindow* parent, ConvertSettings& settings) {
  return new CAWBOptPage(parent, "AWB", settings);
}

}  // namespace sondrel
