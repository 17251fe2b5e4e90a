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
  void Apply() override {
    const WmaValues values =
        ApplyWmaChoice(m_formats, ReadChoice(m_box, m_choices).SelectedData(-1),
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
    m_choices = WmaChoices(
        m_formats, {m_s.WMAAutoEncParam, m_s.WMASampleRate, m_s.WMABitRate, m_s.WMAChannels});
    m_box = new wxChoice(this, kIdWmaFormats);
    FillChoice(m_box, m_choices);
    sizer->Add(Label("&Encoding Options: (sample rate, bit rate, channels)", m_box), 0,
               wxLEFT | wxRIGHT, gap * 4);
    sizer->Add(m_box, 0, wxEXPAND | wxALL, gap * 4);
  }

  const WmaFormatList* m_formats = nullptr;

  WmaFormatsLoader m_loadFormats;
  ChoiceList m_choices;
  wxChoice* m_box = nullptr;
};

}  // namespace

OptionsPage* CreateWmaPage(wxWindow* parent, ConvertSettings& settings,
                           WmaFormatsLoader loadFormats) {
  return new CPageWMAOptions(parent, settings, std::move(loadFormats));
}

}  // namespace sondrel
