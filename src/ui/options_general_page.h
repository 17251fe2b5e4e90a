// The General page of the Options sheet: which files are added, mono mix,
// trimming and volume.
#pragma once

#include "ui/options_page.h"

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
  wxTextCtrl* m_exts = nullptr;
  wxTextCtrl* m_skipLength = nullptr;
  wxTextCtrl* m_convertLength = nullptr;
  wxTextCtrl* m_volume = nullptr;
};

}  // namespace sondrel
