// The encoding page of a format written through FFmpeg: its codec, the Auto
// check and the sample-rate, bit-rate and channel boxes of that codec.
#include "ui/options_pages.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace sondrel {

namespace {

class CPageOptAudio final : public OptionsPage {
 public:
  // Edits the five values of `row` (the sheet's copy).
  CPageOptAudio(wxWindow* parent, FormatRow& row)
      : OptionsPage(parent, PageTitle(row)), m_row(row), m_values(AudioValuesOf(row)) {}

 private:
  FormatRow& m_row;
  AudioValues m_values;
  AudioBoxes m_boxes;
  wxChoice* m_codec = nullptr;
  wxChoice* m_rates = nullptr;
  wxChoice* m_bitRates = nullptr;
  wxChoice* m_channels = nullptr;

  void Apply() override {
    m_values = ApplyAudioBoxes(Boxes(), Checked(kIdAuto));
    StoreAudioValues(m_values, m_row);
  }

  void KeepValid() override { StoreAudioValues(ValidAudioValues(m_row, m_values), m_row); }

  void Build(wxSizer* sizer) override {
    const int gap = Gap();
    AddEncodingHeading(sizer);
    auto* grid = new wxFlexGridSizer(2, gap * 2, gap * 3);
    grid->AddGrowableCol(1);
    m_codec = new wxChoice(this, kIdCodec);
    auto* autoCheck =
        new wxCheckBox(this, kIdAuto, "A&uto (the program will choose the best options)");
    m_rates = new wxChoice(this, kIdSampleRate);
    m_bitRates = new wxChoice(this, kIdBitRate);
    m_channels = new wxChoice(this, kIdChannels);
    AddLabelled(grid, "&Codec:", m_codec);
    grid->AddSpacer(0);
    grid->Add(autoCheck);
    AddLabelled(grid, "Sample &Rate:", m_rates);
    AddLabelled(grid, "&Bit Rate:", m_bitRates);
    AddLabelled(grid, "Channels:", m_channels);
    sizer->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT, gap * 4);

    m_boxes = AudioBoxesFor(m_row, m_values);
    FillChoice(m_codec, m_boxes.codecs);
    autoCheck->SetValue(m_values.autoEncParam != 0);
    Refill();

    Bind(
        wxEVT_CHOICE,
        [this](wxCommandEvent&) {
          m_values.codecId = ReadChoice(m_codec, m_boxes.codecs).SelectedData(0);
          Refill();
        },
        kIdCodec);
    OnChange(wxEVT_CHECKBOX, kIdAuto);
  }

  void UpdateEnabled() override {
    const AudioEnabled enabled = AudioBoxesEnabled(m_boxes, Checked(kIdAuto));
    m_rates->Enable(enabled.sampleRate);
    m_bitRates->Enable(enabled.bitRate);
    m_channels->Enable(enabled.channels);
  }

  // Refills the value boxes for the current codec and applies the enabling rule.
  void Refill() {
    const ChoiceList codecs = ReadChoice(m_codec, m_boxes.codecs);
    m_boxes = AudioBoxesFor(m_row, m_values);
    m_boxes.codecs = codecs;
    FillChoice(m_rates, m_boxes.sampleRates);
    FillChoice(m_bitRates, m_boxes.bitRates);
    FillChoice(m_channels, m_boxes.channels);
    UpdateEnabled();
  }

  AudioBoxes Boxes() const {
    AudioBoxes boxes = m_boxes;
    boxes.codecs = ReadChoice(m_codec, boxes.codecs);
    boxes.sampleRates = ReadChoice(m_rates, boxes.sampleRates);
    boxes.bitRates = ReadChoice(m_bitRates, boxes.bitRates);
    boxes.channels = ReadChoice(m_channels, boxes.channels);
    return boxes;
  }
};

}  // namespace

OptionsPage* CreateAudioCodecPage(wxWindow* parent, FormatRow& row) {
  return new CPageOptAudio(parent, row);
}

}  // namespace sondrel
