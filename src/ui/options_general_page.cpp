// The General page of the Options sheet: which files are added, mono mix,
// trimming, files converted at once and volume.
#include "ui/options_pages.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "decode/user_prompts.h"
#include "ui/message_box.h"

namespace sondrel {

namespace {

constexpr int kMonoIds[3] = {kIdMix, kIdLeft, kIdRight};
constexpr int kVolumeIds[3] = {kIdNormalize, kIdManual, kIdKeep};

constexpr const char* kChannelHelp =
    "In general, the output sound equals to \"(L+R)/2,\" which contains left and right "
    "channels.\n\n\"L channel\" means the program outputs left channel of original stereo file. "
    "And \"R channel\" means right channel. It's very useful when you want to convert a stereo "
    "file into two files that contains left and right channels distinguishingly.";

class COptGeneralPage final : public SettingsPage {
  using SettingsPage::SettingsPage;

  wxTextCtrl* m_exts = nullptr;
  wxTextCtrl* m_skipLength = nullptr;
  wxTextCtrl* m_convertLength = nullptr;
  wxTextCtrl* m_volume = nullptr;
  wxTextCtrl* m_jobs = nullptr;

  void Build(wxSizer* sizer) override {
    const int gap = Gap();
    AddCheck(sizer, kIdExtFilter,
             "&Only add the following file extensions for \"Add Folder\" and Drag/Drop",
             m_s.EnableExtFilter != 0, wxALL, gap);
    m_exts = new wxTextCtrl(this, kIdExts);
    ShowText(m_exts, m_s.FilterExts);
    sizer->Add(m_exts, 0, wxEXPAND | wxLEFT | wxRIGHT, gap * 5);
    sizer->Add(new wxStaticText(this, wxID_ANY,
                                "Note: use comma (,) to separate multiple extensions. For example: "
                                "wav,mp3,m4a,aac"),
               0, wxLEFT | wxRIGHT | wxBOTTOM, gap * 5);
    AddCheck(sizer, kIdHidden, "&Do not load hidden files", m_s.DoNotLoadHiddenFiles != 0, wxALL,
             gap);
    AddCheck(sizer, kIdDts, "&Use DTS to decode CDA files", m_s.EnableDTSForCDA != 0, wxALL, gap);

    auto* question = new wxBoxSizer(wxHORIZONTAL);
    question->Add(
        new wxStaticText(this, wxID_ANY,
                         "When converting 2 channels to 1 channel, the out channel equals to:"),
        0, wxALIGN_CENTER_VERTICAL);
    question->Add(
        new wxButton(this, kIdChannelHelp, "?", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT), 0,
        wxLEFT, gap);
    sizer->Add(question, 0, wxALL, gap);
    auto* mono = new wxBoxSizer(wxHORIZONTAL);
    const char* const monoLabels[3] = {"(L+R) / &2 (default)", "&L channel", "&R channel"};
    AddRadios(mono, kMonoIds, monoLabels, m_s.MonoType >= 0 && m_s.MonoType <= 2 ? m_s.MonoType : 0,
              wxRIGHT, gap * 4);
    sizer->Add(mono, 0, wxLEFT | wxRIGHT | wxBOTTOM, gap * 5);

    auto lengthRow = [&](int checkId, const char* checkText, int32_t enabled, wxTextCtrl*& edit,
                         int editId, int32_t value, int spinId, const char* unit) {
      auto* row = new wxBoxSizer(wxHORIZONTAL);
      AddCheck(row, checkId, checkText, enabled != 0, wxALIGN_CENTER_VERTICAL, 0);
      edit = AddNumberBox(row, gap, editId, value, 90, spinId, 0, kLengthMax, 100);
      row->Add(new wxStaticText(this, wxID_ANY, unit), 0, wxLEFT | wxALIGN_CENTER_VERTICAL, gap);
      sizer->Add(row, 0, wxALL, gap);
    };
    lengthRow(kIdSkip, "&Skip the first", m_s.EnableSkipLength, m_skipLength, kIdSkipLength,
              m_s.SkipLength, kIdSkipSpin, "milliseconds (ms) of each file (1 sec = 1000 ms)");
    lengthRow(kIdConvert, "Only &convert", m_s.EnableConvertLength, m_convertLength,
              kIdConvertLength, m_s.ConvertLength, kIdConvertSpin,
              "milliseconds (ms) length for each file (1 sec = 1000 ms)");

    auto* jobs = new wxBoxSizer(wxHORIZONTAL);
    jobs->Add(new wxStaticText(this, wxID_ANY, "Convert at &most"), 0, wxALIGN_CENTER_VERTICAL);
    m_jobs = AddNumberBox(jobs, gap, kIdJobs, m_s.Jobs, 50, kIdJobsSpin, 0, kMaxJobs, 1);
    jobs->Add(
        new wxStaticText(this, wxID_ANY, "files at the same time (0 = one per processor core)"), 0,
        wxLEFT | wxALIGN_CENTER_VERTICAL, gap);
    sizer->Add(jobs, 0, wxALL, gap);

    const char* const volumeLabels[3] = {
        "&Normalize volume automatically so that all output files have the same volume",
        "&Adjust volume manually", "&Keep original volume (do not adjust volume)"};
    const int volumeIndex = VolumeTypeToIndex(m_s.VolumeType);
    for (int i = 0; i < 3; ++i) {
      sizer->Add(Radio(kVolumeIds, volumeLabels, i, volumeIndex), 0, wxLEFT | wxRIGHT | wxTOP, gap);
      if (i != 1) continue;
      auto* row = new wxBoxSizer(wxHORIZONTAL);
      m_volume = AddNumberBox(row, 0, kIdVolume, m_s.Volume, 70, kIdVolumeSpin, kVolumeMin,
                              kVolumeMax, 10);
      row->Add(new wxStaticText(this, wxID_ANY, "%"), 0, wxLEFT | wxALIGN_CENTER_VERTICAL, gap);
      row->Add(new wxStaticText(this, wxID_ANY,
                                "< 100% - Decrease volume\n= 100% - No changes\n"
                                "> 100% - Increase volume"),
               0, wxLEFT, gap * 4);
      sizer->Add(row, 0, wxLEFT | wxTOP, gap * 5);
    }

    UpdateEnabled();

    OnChange(wxEVT_CHECKBOX, kIdExtFilter, [this] {
      if (m_s.EnableExtFilter) m_exts->SetFocus();
    });
    OnChange(wxEVT_CHECKBOX, kIdConvert, [this] { m_convertLength->SetFocus(); });
    OnChange(wxEVT_CHECKBOX, kIdSkip, [this] { m_skipLength->SetFocus(); });
    OnChange(wxEVT_RADIOBUTTON, kVolumeIds, [this] {
      if (VolumeTypeToIndex(m_s.VolumeType) == kVolumeManual) m_volume->SetFocus();
    });
    Bind(
        wxEVT_BUTTON,
        [this](wxCommandEvent&) { ShowMessageBox(kChannelHelp, MessageIcon::Information, this); },
        kIdChannelHelp);
  }

  // Reads the controls into the settings; the problem of a bad number box.
  std::optional<PageProblem> Read() override {
    m_s.EnableExtFilter = Checked(kIdExtFilter);
    ReadText(m_exts, m_s.FilterExts);
    m_s.DoNotLoadHiddenFiles = Checked(kIdHidden);
    m_s.EnableDTSForCDA = Checked(kIdDts);
    m_s.MonoType = CheckedRadio(kMonoIds);
    m_s.EnableSkipLength = Checked(kIdSkip);
    m_s.EnableConvertLength = Checked(kIdConvert);
    m_s.VolumeType = VolumeTypeFromIndex(CheckedRadio(kVolumeIds));
    // The number boxes keep their own text until the page is left.
    ConvertSettings numbers = m_s;
    std::optional<PageProblem> problem = ReadGeneralPage(
        {m_volume->GetValue().utf8_string(), m_skipLength->GetValue().utf8_string(),
         m_convertLength->GetValue().utf8_string(), m_jobs->GetValue().utf8_string()},
        numbers);
    m_s.Volume = numbers.Volume;
    m_s.SkipLength = numbers.SkipLength;
    m_s.ConvertLength = numbers.ConvertLength;
    m_s.Jobs = numbers.Jobs;
    return problem;
  }

  void UpdateEnabled() override {
    m_exts->Enable(m_s.EnableExtFilter != 0);
    m_skipLength->Enable(m_s.EnableSkipLength != 0);
    FindWindow(kIdSkipSpin)->Enable(m_s.EnableSkipLength != 0);
    m_convertLength->Enable(m_s.EnableConvertLength != 0);
    FindWindow(kIdConvertSpin)->Enable(m_s.EnableConvertLength != 0);
    const bool manual = VolumeTypeToIndex(m_s.VolumeType) == kVolumeManual;
    m_volume->Enable(manual);
    FindWindow(kIdVolumeSpin)->Enable(manual);
  }
};

}  // namespace

OptionsPage* CreateGeneralPage(wxWindow* parent, ConvertSettings& settings) {
  return new COptGeneralPage(parent, "General", settings);
}

}  // namespace sondrel
