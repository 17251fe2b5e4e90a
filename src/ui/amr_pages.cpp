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

  void Apply() override {
    m_s.AMRDTX = Checked(kIdAmrDtx);
    m_s.AMRType = Checked(kIdWb) ? kAmrWideBand : kAmrNarrowBand;
    m_s.AMRMode = ReadChoice(m_nbBox, m_nbModes).SelectedData(4);
    m_s.AMRWBMode = ReadChoice(m_wbBox, m_wbModes).SelectedData(4);
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
    m_nbModes = AmrNbChoices(m_s.AMRMode);
    m_wbModes = AmrWbChoices(m_s.AMRWBMode);
    auto* grid = new wxFlexGridSizer(3, gap * 2, gap * 3);
    auto* nb = new wxRadioButton(this, kIdNb, "&NB (Narrow Band, 8000 Hz)", wxDefaultPosition,
                                 wxDefaultSize, wxRB_GROUP);
    auto* wb = new wxRadioButton(this, kIdWb, "&WB (Wide Band, 16000 Hz)");
    m_nbBox = new wxChoice(this, kIdNbBox);
    m_wbBox = new wxChoice(this, kIdWbBox);
    FillChoice(m_nbBox, m_nbModes);
    FillChoice(m_wbBox, m_wbModes);
    grid->Add(nb, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(Label("&Bit Rate:", m_nbBox), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_nbBox);
    grid->Add(wb, 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(Label("Bit &Rate:", m_wbBox), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_wbBox);
    sizer->Add(grid, 0, wxLEFT | wxRIGHT, gap * 4);
    AddCheck(sizer, kIdAmrDtx, kDtxLabel, m_s.AMRDTX != 0, wxALL, gap * 4);
    // Any type but wide band shows (and stores) narrow band.
    (m_s.AMRType == kAmrWideBand ? wb : nb)->SetValue(true);
    UpdateEnabled();
    OnChange(wxEVT_RADIOBUTTON, kIdNb);
    OnChange(wxEVT_RADIOBUTTON, kIdWb);
  }

  void UpdateEnabled() override {
    m_nbBox->Enable(Checked(kIdNb));
    m_wbBox->Enable(Checked(kIdWb));
  }

  ChoiceList m_nbModes;
  ChoiceList m_wbModes;
  wxChoice* m_nbBox = nullptr;
  wxChoice* m_wbBox = nullptr;
};

class CAWBOptPage final : public SettingsPage {
  using SettingsPage::SettingsPage;

  void Apply() override {
    m_s.AWBDTX = Checked(kIdAwbDtx);
    m_s.AWBMode = ReadChoice(m_box, m_modes).SelectedData(4);
  }

  void KeepValid() override {
    m_s.AWBMode = AmrWbChoices(m_s.AWBMode).SelectedData(4);
    m_s.AWBDTX = Flag(m_s.AWBDTX);
  }

  void Build(wxSizer* sizer) override {
    const int gap = Gap();
    AddEncodingHeading(sizer);
    m_modes = AmrWbChoices(m_s.AWBMode);
    sizer->Add(new wxStaticText(this, wxID_ANY, "Sample Frequency: 16000 Hz"), 0,
               wxLEFT | wxRIGHT | wxBOTTOM, gap * 4);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    m_box = new wxChoice(this, kIdAwbBox);
    FillChoice(m_box, m_modes);
    row->Add(Label("&Bit Rate:", m_box), 0, wxALIGN_CENTER_VERTICAL);
    row->Add(m_box, 0, wxLEFT, gap * 2);
    sizer->Add(row, 0, wxLEFT | wxRIGHT, gap * 4);
    AddCheck(sizer, kIdAwbDtx, kDtxLabel, m_s.AWBDTX != 0, wxALL, gap * 4);
  }

  ChoiceList m_modes;
  wxChoice* m_box = nullptr;
};

}  // namespace

OptionsPage* CreateAmrPage(wxWindow* parent, ConvertSettings& settings) {
  return new CAMROptPage(parent, "AMR", settings);
}

OptionsPage* CreateAwbPage(wxWindow* parent, ConvertSettings& settings) {
  return new CAWBOptPage(parent, "AWB", settings);
}

}  // namespace sondrel
