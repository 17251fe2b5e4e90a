// The encoding pages of the "amr" format (narrow or wide band, with a bit
// rate for each) and of the "awb" format.
#pragma once

#include "ui/options_page.h"

namespace sondrel {

class CAMROptPage : public SettingsPage {
 public:
  CAMROptPage(wxWindow* parent, ConvertSettings& settings)
      : SettingsPage(parent, "AMR", settings) {}
  void Apply() override;
  void KeepValid() override;

 protected:
  void Build(wxSizer* sizer) override;
  void UpdateEnabled() override;

 private:
  ChoiceList m_nbModes;
  ChoiceList m_wbModes;
  wxChoice* m_nbBox = nullptr;
  wxChoice* m_wbBox = nullptr;
};

class CAWBOptPage : public SettingsPage {
 public:
  CAWBOptPage(wxWindow* parent, ConvertSettings& settings)
      : SettingsPage(parent, "AWB", settings) {}
  void Apply() override;
  void KeepValid() override;

 protected:
  void Build(wxSizer* sizer) override;

 private:
  ChoiceList m_modes;
  wxChoice* m_box = nullptr;
};

}  // namespace sondrel
