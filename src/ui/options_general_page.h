// The General page of the Options sheet: which files are added, mono mix,
// trimming, files converted at once and volume.
#pragma once

#include "ui/options_page.h"

class wxCheckBox;

namespace sondrel {

class COptGeneralPage : public SettingsPage {
 public:
  COptGeneralPage(wxWindow* parent, ConvertSettings& settings)
      : SettingsPage(parent, "General", settings) {}

 protected:
  void Build(wxSizer* sizer) override;
  // Reads the controls into the settings; the problem of a bad number box.
  std::optional<PageProblem> Read() override;
  void UpdateEnabled() override;

 private:
  wxCheckBox* m_extFilter = nullptr;
  wxTextCtrl* m_exts = nullptr;
  wxCheckBox* m_hidden = nullptr;
  wxCheckBox* m_dts = nullptr;
  wxCheckBox* m_skip = nullptr;
  wxTextCtrl* m_skipLength = nullptr;
  wxCheckBox* m_convert = nullptr;
  wxTextCtrl* m_convertLength = nullptr;
  wxTextCtrl* m_volume = nullptr;
  wxTextCtrl* m_jobs = nullptr;
};

}  // namespace sondrel
