// The ID3 page of the Options sheet: which tag the outputs get, and the
// custom tag's texts and track number.
#pragma once

#include "ui/options_page.h"

class wxComboBox;

namespace sondrel {

class CPageOptID3 : public SettingsPage {
 public:
  CPageOptID3(wxWindow* parent, ConvertSettings& settings)
      : SettingsPage(parent, "ID3", settings) {}

 protected:
  void Build(wxSizer* sizer) override;
  std::optional<PageProblem> Read() override;
  void UpdateEnabled() override;

 private:
  int m_tagMode = 0;       // radio index: 0 custom, 1 transfer, 2 none
  int m_trackNumType = 0;  // radio index: 0 none, 1 sequence, 2 custom
  wxTextCtrl* m_trackNum = nullptr;
  wxComboBox* m_genre = nullptr;
};

}  // namespace sondrel
