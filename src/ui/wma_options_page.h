// The one encoding page of the Windows Media formats (wma, wmv and asf share
// its values): Auto, or one of the runtime's audio formats.
#pragma once

#include "ui/options_page.h"
#include "ui/options_sheet.h"

class wxChoice;

namespace sondrel {

class CPageWMAOptions : public SettingsPage {
 public:
  // `loadFormats` runs when the page is first shown.
  CPageWMAOptions(wxWindow* parent, ConvertSettings& settings, WmaFormatsLoader loadFormats);
  void Apply() override;

 protected:
  void Build(wxSizer* sizer) override;

 private:
  WmaFormatsLoader m_loadFormats;
  const WmaFormatList* m_formats = nullptr;
  ChoiceList m_choices;
  wxChoice* m_box = nullptr;
};

}  // namespace sondrel
