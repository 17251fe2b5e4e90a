// The ID3 page of the Options sheet: which tag the outputs get, and the
// custom tag's texts and track number.
#include "ui/options_pages.h"

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace sondrel {

namespace {

constexpr int kTagModeIds[3] = {1169, 1170, 1171};
constexpr int kTrackIds[3] = {1087, 1088, 1089};

// The custom tag's text boxes: id, label and member, in the page's order.
struct TagText {
  int id;
  const char* label;
  std::string CustomTagSettings::*text;
};
constexpr TagText kTagTexts[] = {
    {kIdTitle, "T&itle:", &CustomTagSettings::Title},
    {kIdArtist, "A&rtist:", &CustomTagSettings::Artist},
    {kIdAlbum, "A&lbum:", &CustomTagSettings::Album},
    {kIdYear, "&Year:", &CustomTagSettings::Year},
    {kIdComment, "&Comment:", &CustomTagSettings::Comment},
    {kIdComposer, "Com&poser:", &CustomTagSettings::Composer},
    {kIdCopyright, "Copyrig&ht:", &CustomTagSettings::Copyright},
};

class CPageOptID3 final : public SettingsPage {
  using SettingsPage::SettingsPage;

  int m_tagMode = 0;       // radio index: 0 custom, 1 transfer, 2 none
  int m_trackNumType = 0;  // radio index: 0 none, 1 sequence, 2 custom
  wxTextCtrl* m_trackNum = nullptr;
  wxComboBox* m_genre = nullptr;

  void Build(wxSizer* sizer) override {
    const int gap = Gap();
    const CustomTagSettings& tag = m_s.customTag;
    m_tagMode = ID3TagTypeToIndex(m_s.ID3TagType);
    m_trackNumType = TrackNumTypeToIndex(tag.TrackNumType);

    const char* const modeLabels[3] = {"&Add custom ID3 tag", "&Transfer ID3 tag from source file",
                                       "&None"};
    auto* modes = new wxBoxSizer(wxHORIZONTAL);
    AddRadios(modes, kTagModeIds, modeLabels, m_tagMode, wxRIGHT, gap * 4);
    sizer->Add(modes, 0, wxALL, gap);

    auto* grid = new wxFlexGridSizer(2, gap, gap * 2);
    grid->AddGrowableCol(1);
    for (const TagText& text : kTagTexts) {
      auto* edit = new wxTextCtrl(this, text.id);
      ShowText(edit, tag.*text.text);
      grid->Add(Label(text.label, edit), 0, wxALIGN_CENTER_VERTICAL);
      if (text.id != kIdTitle) {
        grid->Add(edit, 0, wxEXPAND);
        continue;
      }
      auto* titleRow = new wxBoxSizer(wxHORIZONTAL);
      titleRow->Add(edit, 1, wxALIGN_CENTER_VERTICAL);
      AddCheck(titleRow, kIdTitleAsFileName, "Na&me as file name (not include extension)",
               tag.TitleAsFileName != 0, wxLEFT | wxALIGN_CENTER_VERTICAL, gap * 2);
      grid->Add(titleRow, 0, wxEXPAND);
    }
    wxArrayString genres;
    for (const std::string& name : SortedGenreNames()) genres.push_back(name);
    m_genre = new wxComboBox(this, kIdGenre, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                             genres, wxCB_DROPDOWN);
    const int match = GenreMatch(tag.Genre);
    if (match >= 0) {
      m_genre->SetSelection(match);
    } else {
      ShowText(m_genre, tag.Genre);
    }
    AddLabelled(grid, "&Genre:", m_genre);

    grid->Add(new wxStaticText(this, wxID_ANY, "Track #:"), 0, wxALIGN_CENTER_VERTICAL);
    auto* track = new wxBoxSizer(wxHORIZONTAL);
    const char* const trackLabels[3] = {"N&one", "&Sequence number in list", "C&ustom"};
    AddRadios(track, kTrackIds, trackLabels, m_trackNumType, wxRIGHT | wxALIGN_CENTER_VERTICAL,
              gap * 3);
    m_trackNum = AddNumberBox(track, 0, kIdTrackNum, tag.CustomTrackNum, 60, kIdTrackSpin, 0,
                              kTrackNumMax, 1);
    grid->Add(track, 0, wxEXPAND);
    sizer->Add(grid, 0, wxEXPAND | wxALL, gap);
    UpdateEnabled();

    OnChange(wxEVT_RADIOBUTTON, kTagModeIds);
    OnChange(wxEVT_CHECKBOX, kIdTitleAsFileName, [this] {
      if (!Checked(kIdTitleAsFileName)) FindWindow(kIdTitle)->SetFocus();
    });
    OnChange(wxEVT_RADIOBUTTON, kTrackIds, [this] {
      if (m_trackNumType == kTrackCustom) m_trackNum->SetFocus();
    });
  }

  std::optional<PageProblem> Read() override {
    CustomTagSettings& tag = m_s.customTag;
    m_tagMode = CheckedRadio(kTagModeIds);
    m_trackNumType = CheckedRadio(kTrackIds);
    m_s.ID3TagType = ID3TagTypeFromIndex(m_tagMode);
    tag.TrackNumType = TrackNumTypeFromIndex(m_trackNumType);
    tag.TitleAsFileName = Checked(kIdTitleAsFileName);
    for (const TagText& text : kTagTexts) {
      ReadText(static_cast<wxTextCtrl*>(FindWindow(text.id)), tag.*text.text);
    }
    ReadText(m_genre, tag.Genre);
    return ReadTrackNumber(m_trackNum->GetValue().utf8_string(), m_trackNum->IsEnabled(),
                           tag.CustomTrackNum);
  }

  void UpdateEnabled() override {
    const bool custom = m_tagMode == 0;
    for (int id : kTrackIds) FindWindow(id)->Enable(custom);
    FindWindow(kIdTitleAsFileName)->Enable(custom);
    for (const TagText& text : kTagTexts) FindWindow(text.id)->Enable(custom);
    m_genre->Enable(custom);
    const bool customTrack = custom && m_trackNumType == kTrackCustom;
    m_trackNum->Enable(customTrack);
    FindWindow(kIdTrackSpin)->Enable(customTrack);
    FindWindow(kIdTitle)->Enable(custom && !Checked(kIdTitleAsFileName));
  }
};

}  // namespace

OptionsPage* CreateId3Page(wxWindow* parent, ConvertSettings& settings) {
  return new CPageOptID3(parent, "ID3", settings);
}

}  // namespace sondrel
