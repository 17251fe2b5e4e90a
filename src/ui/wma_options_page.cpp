// The Windows Media encoding page.
#include "ui/wma_options_page.h"

#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace sondrel {

CPageWMAOptions::CPageWMAOptions(wxWindow* parent, ConvertSettings& settings,
                                 WmaFormatsLoader loadFormats)
    : SettingsPage(parent, "WMA/WMV/ASF", settings), m_loadFormats(std::move(loadFormats)) {}

void CPageWMAOptions::Build(wxSizer* sizer) {
  const int gap = Gap();
  AddEncodingHeading(sizer);
  m_formats = m_loadFormats ? m_loadFormats() : nullptr;
  m_choices = WmaChoices(m_formats,
                         {m_s.WMAAutoEncParam, m_s.WMASampleRate, m_s.WMABitRate, m_s.WMAChannels});
  m_box = new wxChoice(this, kIdWmaFormats);
  FillChoice(m_box, m_choices);
  sizer->Add(Label("&Encoding Options: (sample rate, bit rate, channels)", m_box), 0,
             wxLEFT | wxRIGHT, gap * 4);
  sizer->Add(m_box, 0, wxEXPAND | wxALL, gap * 4);
}

void CPageWMAOptions::Apply() {
  const WmaValues values =
      ApplyWmaChoice(m_formats, ReadChoice(m_box, m_choices).SelectedData(-1),
                     {m_s.WMAAutoEncParam, m_s.WMASampleRate, m_s.WMABitRate, m_s.WMAChannels});
  m_s.WMAAutoEncParam = values.autoEncParam;
  m_s.WMASampleRate = values.sampleRate;
  m_s.WMABitRate = values.bitRate;
  m_s.WMAChannels = values.channels;
}

}  // namespace sondrel
