// The FFmpeg formats' encoding page.
#include "ui/audio_codec_page.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>

namespace sondrel {

namespace {

enum : int {
  kIdAuto = 1056,
  kIdBitRate = 1075,
  kIdChannels = 1076,
  kIdSampleRate = 1113,
  kIdCodec = 1114,
};

}  // namespace

void AddEncodingHeading(wxWindow* page, wxSizer* sizer) {
  const int gap = page->FromDIP(4);
  auto* heading = new wxBoxSizer(wxHORIZONTAL);
  heading->Add(new wxStaticText(page, wxID_ANY, "Encoding Options"), 0, wxALIGN_CENTER_VERTICAL);
  heading->Add(new wxStaticLine(page), 1, wxLEFT | wxALIGN_CENTER_VERTICAL, gap);
  sizer->Add(heading, 0, wxEXPAND | wxALL, gap * 2);
}

CPageOptAudio::CPageOptAudio(wxWindow* parent, FormatRow& row)
    : OptionsPage(parent, PageTitle(row)), m_row(row), m_values(AudioValuesOf(row)) {}

void CPageOptAudio::Build(wxSizer* sizer) {
  const int gap = FromDIP(4);
  AddEncodingHeading(this, sizer);
  auto* grid = new wxFlexGridSizer(2, gap * 2, gap * 3);
  grid->AddGrowableCol(1);
  m_codec = new wxChoice(this, kIdCodec);
  m_auto = new wxCheckBox(this, kIdAuto, "A&uto (the program will choose the best options)");
  m_rates = new wxChoice(this, kIdSampleRate);
  m_bitRates = new wxChoice(this, kIdBitRate);
  m_channels = new wxChoice(this, kIdChannels);
  grid->Add(Label("&Codec:", m_codec), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(m_codec, 0, wxEXPAND);
  grid->AddSpacer(0);
  grid->Add(m_auto);
  grid->Add(Label("Sample &Rate:", m_rates), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(m_rates, 0, wxEXPAND);
  grid->Add(Label("&Bit Rate:", m_bitRates), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(m_bitRates, 0, wxEXPAND);
  grid->Add(new wxStaticText(this, wxID_ANY, "Channels:"), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(m_channels, 0, wxEXPAND);
  sizer->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT, gap * 4);

  m_boxes = AudioBoxesFor(m_row, m_values);
  FillChoice(m_codec, m_boxes.codecs);
  m_auto->SetValue(m_values.autoEncParam != 0);
  Refill();

  Bind(
      wxEVT_CHOICE,
      [this](wxCommandEvent&) {
        m_values.codecId = ReadChoice(m_codec, m_boxes.codecs).SelectedData(0);
        Refill();
      },
      kIdCodec);
  Bind(
      wxEVT_CHECKBOX, [this](wxCommandEvent&) { UpdateEnabled(); }, kIdAuto);
}

void CPageOptAudio::Refill() {
  const ChoiceList codecs = ReadChoice(m_codec, m_boxes.codecs);
  m_boxes = AudioBoxesFor(m_row, m_values);
  m_boxes.codecs = codecs;
  FillChoice(m_rates, m_boxes.sampleRates);
  FillChoice(m_bitRates, m_boxes.bitRates);
  FillChoice(m_channels, m_boxes.channels);
  UpdateEnabled();
}

void CPageOptAudio::UpdateEnabled() {
  const AudioEnabled enabled = AudioBoxesEnabled(m_boxes, m_auto->GetValue());
  m_rates->Enable(enabled.sampleRate);
  m_bitRates->Enable(enabled.bitRate);
  m_channels->Enable(enabled.channels);
}

AudioBoxes CPageOptAudio::Boxes() const {
  AudioBoxes boxes = m_boxes;
  boxes.codecs = ReadChoice(m_codec, boxes.codecs);
  boxes.sampleRates = ReadChoice(m_rates, boxes.sampleRates);
  boxes.bitRates = ReadChoice(m_bitRates, boxes.bitRates);
  boxes.channels = ReadChoice(m_channels, boxes.channels);
  return boxes;
}

void CPageOptAudio::Apply() {
  m_values = ApplyAudioBoxes(Boxes(), m_auto->GetValue());
  StoreAudioValues(m_values, m_row);
}

}  // namespace sondrel

namespace sondrel {

void CPageOptAudio::KeepValid() { StoreAudioValues(ValidAudioValues(m_row, m_values), m_row); }

}  // namespace sondrel
