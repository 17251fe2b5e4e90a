// The Output page of the Options sheet: where output goes and what happens
// when the target exists.
#pragma once

#include "engine/option_choices.h"
#include "engine/settings.h"
#include "ui/options_page.h"

class wxCheckBox;
class wxChoice;
class wxTextCtrl;

namespace sondrel {

class COptOutputPage : public OptionsPage {
 public:
  COptOutputPage(wxWindow* parent, ConvertSettings& settings);

  bool Leave() override;
  void Apply() override;

 protected:
  void Build(wxSizer* sizer) override;

 private:
  void Read();
  void UpdateEnabled();
  void OnBrowse();
  void OnOpen();

  ConvertSettings& m_s;
  ChoiceList m_folderChoices;
  ChoiceList m_existsChoices;
  wxChoice* m_folderOption = nullptr;
  wxTextCtrl* m_folder = nullptr;
  wxCheckBox* m_createDirs = nullptr;
  wxChoice* m_targetExists = nullptr;
  wxCheckBox* m_toDocuments = nullptr;
  wxCheckBox* m_browse = nullptr;
};

}  // namespace sondrel
