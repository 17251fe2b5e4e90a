// The General page of the Options sheet: which files are added, mono mix,
// trimming and volume.
#pragma once

#include "engine/option_choices.h"
#include "engine/settings.h"
#include "ui/options_page.h"

class wxCheckBox;
class wxRadioButton;
class wxTextCtrl;

namespace sondrel {

class COptGeneralPage : public OptionsPage {
 public:
  COptGeneralPage(wxWindow* parent, ConvertSettings& settings);

  bool Leave() override;
  void Apply() override;

 protected:
  void Build(wxSizer* sizer) override;

 private:
  // Reads the controls into the settings; the problem of a bad number box.
  std::optional<PageProblem> Read();
  void UpdateEnabled();

  ConvertSettings& m_s;
  wxCheckBox* m_extFilter = nullptr;
  wxTextCtrl* m_exts = nullptr;
  wxCheckBox* m_hidden = nullptr;
  wxCheckBox* m_dts = nullptr;
  wxCheckBox* m_skip = nullptr;
  wxTextCtrl* m_skipLength = nullptr;
  wxCheckBox* m_convert = nullptr;
  wxTextCtrl* m_convertLength = nullptr;
  wxTextCtrl* m_volume = nullptr;
};

}  // namespace sondrel
