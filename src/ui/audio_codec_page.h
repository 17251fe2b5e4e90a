// The encoding page of a format written through FFmpeg: its codec, the Auto
// check and the sample-rate, bit-rate and channel boxes of that codec.
#pragma once

#include "encode/format_catalogue.h"
#include "ui/options_page.h"

class wxChoice;

namespace sondrel {

class CPageOptAudio : public OptionsPage {
 public:
  // Edits the five values of `row` (the sheet's copy).
  CPageOptAudio(wxWindow* parent, FormatRow& row);

  void Apply() override;
  void KeepValid() override;

 protected:
  void Build(wxSizer* sizer) override;
  void UpdateEnabled() override;

 private:
  // Refills the value boxes for the current codec and applies the enabling rule.
  void Refill();
  AudioBoxes Boxes() const;

  FormatRow& m_row;
  AudioValues m_values;
  AudioBoxes m_boxes;
  wxChoice* m_codec = nullptr;
  wxChoice* m_rates = nullptr;
  wxChoice* m_bitRates = nullptr;
  wxChoice* m_channels = nullptr;
};

}  // namespace sondrel
