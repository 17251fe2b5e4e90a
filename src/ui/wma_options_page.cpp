// The one encoding page of the Windows Media formats (wma, wmv and asf share
// its values): Auto, or one of the runtime's audio formats.
#include "ui/options_pages.h"

#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace sondrel {

namespace {

class CPageWMAOptions final : public SettingsPage {
 public:
  // `loadFormats` runs when the page is first shown.
  CPageWMAOptions(wxWindow* parent, ConvertSettings& settings, WmaFormatsLoader loadFormats)
      : SettingsPage(parent, "WMA/WMV/ASF", settings), m_loadFormats(std::move(loadFormats)) {}

 private:
  WmaFormatsLoader m_loadFormats;
  const WmaFormatList* m_formats = nullptr;
  ChoiceBox m_choices;

  void Apply() override {
    const WmaValues values =
        ApplyWmaChoice(m_formats, m_choices.Selected(-1),
                       {m_s.WMAAutoEncParam, m_s.WMASampleRate, m_s.WMABitRate, m_s.WMAChannels});
    m_s.WMAAutoEncParam = values.autoEncParam;
    m_s.WMASampleRate = values.sampleRate;
    m_s.WMABitRate = values.bitRate;
    m_s.WMAChannels = values.channels;
  }

  void Build(wxSizer* sizer) override {
    const int gap = Gap();
    AddEncodingHeading(sizer);
    m_formats = m_loadFormats ? m_loadFormats() : nullptr;
    wxChoice* box = MakeChoice(m_choices, kIdWmaFormats,
                               WmaChoices(m_formats, {m_s.WMAAutoEncParam, m_s.WMASampleRate,
                                                      m_s.WMABitRate, m_s.WMAChannels}));
    sizer->Add(Label("&Encoding Options: (sample rate, bit rate, channels)", box), 0,
               wxLEFT | wxRIGHT, gap * 4);
    sizer->Add(box, 0, wxEXPAND | wxALL, gap * 4);
  }
};

}  // namespace

OptionsPage* CreateWmaPage(wxWindow* parent, ConvertSettings& settings,
                           WmaFormatsLoader loadFormats) {
  return new CPageWMAOptions(parent, settings, std::move(loadFormats));
}

}  // namespace sondrel
