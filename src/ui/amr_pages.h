// The encoding pages of the "amr" format (narrow or wide band, with a bit
// rate for each) and of the "awb" format.
#pragma once

#include "engine/settings.h"
#include "ui/options_page.h"

class wxCheckBox;
class wxChoice;
class wxRadioButton;

namespace sondrel {

class CAMROptPage : public OptionsPage {
 public:
  CAMROptPage(wxWindow* parent, ConvertSettings& settings);
  void Apply() override;
  void KeepValid() override;

 protected:
  void Build(wxSizer* sizer) override;

 private:
  void UpdateEnabled();

  ConvertSettings& m_s;
  ChoiceList m_nbModes;
  ChoiceList m_wbModes;
  wxRadioButton* m_nb = nullptr;
  wxRadioButton* m_wb = nullptr;
  wxChoice* m_nbBox = nullptr;
  wxChoice* m_wbBox = nullptr;
  wxCheckBox* m_dtx = nullptr;
};

class CAWBOptPage : public OptionsPage {
 public:
  CAWBOptPage(wxWindow* parent, ConvertSettings& settings);
  void Apply() override;
  void KeepValid() override;

 protected:
  void Build(wxSizer* sizer) override;

 private:
  ConvertSettings& m_s;
  ChoiceList m_modes;
  wxChoice* m_box = nullptr;
  wxCheckBox* m_dtx = nullptr;
};

}  // namespace sondrel
