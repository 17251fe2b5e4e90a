// The Output page of the Options sheet: where output goes and what happens
// when the target exists.
#pragma once

#include "ui/options_page.h"

namespace sondrel {

class COptOutputPage : public SettingsPage {
 public:
  COptOutputPage(wxWindow* parent, ConvertSettings& settings)
      : SettingsPage(parent, "Output", settings) {}

 protected:
  void Build(wxSizer* sizer) override;
  // Reads the controls into the settings; the problem of the folder choice.
  std::optional<PageProblem> Read() override;
  void UpdateEnabled() override;

 private:
  // Reads every control but the target-exists choice.
  void ReadFolder();
  void OnBrowse();
  void OnOpen();

  ChoiceList m_folderChoices;
  ChoiceList m_existsChoices;
  wxChoice* m_folderOption = nullptr;
  wxTextCtrl* m_folder = nullptr;
  wxChoice* m_targetExists = nullptr;
};

}  // namespace sondrel
