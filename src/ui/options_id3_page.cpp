// The ID3 page: the tag mode, the custom tag and the enabling rule.
#include "ui/options_id3_page.h"

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace sondrel {

namespace {

enum : int {
  kIdTitle = 1012,
  kIdArtist = 1016,
  kIdAlbum = 1018,
  kIdYear = 1020,
  kIdComment = 1021,
  kIdComposer = 1022,
  kIdGenre = 1023,
  kIdCopyright = 1024,
  kIdTrackNum = 1085,
  kIdTrackSpin = 1086,
  kIdTitleAsFileName = 1103,
};

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

}  // namespace

CPageOptID3::CPageOptID3(wxWindow* parent, ConvertSettings& settings)
    : OptionsPage(parent, "ID3"), m_s(settings) {}

void CPageOptID3::Build(wxSizer* sizer) {
  const int gap = FromDIP(4);
  const CustomTagSettings& tag = m_s.customTag;
  m_tagMode = ID3TagTypeToIndex(m_s.ID3TagType);
  m_trackNumType = TrackNumTypeToIndex(tag.TrackNumType);

  const char* modeLabels[3] = {"&Add custom ID3 tag", "&Transfer ID3 tag from source file",
                               "&None"};
  auto* modes = new wxBoxSizer(wxHORIZONTAL);
  for (int i = 0; i < 3; ++i) {
    auto* radio = new wxRadioButton(this, kTagModeIds[i], modeLabels[i], wxDefaultPosition,
                                    wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
    radio->SetValue(i == m_tagMode);
    modes->Add(radio, 0, wxRIGHT, gap * 4);
  }
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
    m_titleAsFileName =
        new wxCheckBox(this, kIdTitleAsFileName, "Na&me as file name (not include extension)");
    m_titleAsFileName->SetValue(tag.TitleAsFileName != 0);
    titleRow->Add(m_titleAsFileName, 0, wxLEFT | wxALIGN_CENTER_VERTICAL, gap * 2);
    grid->Add(titleRow, 0, wxEXPAND);
  }
  wxArrayString genres;
  for (const std::string& name : SortedGenreNames()) genres.push_back(name);
  m_genre = new wxComboBox(this, kIdGenre, wxEmptyString, wxDefaultPosition, wxDefaultSize, genres,
                           wxCB_DROPDOWN);
  const int match = GenreMatch(tag.Genre);
  if (match >= 0) {
    m_genre->SetSelection(match);
  } else {
    ShowText(m_genre, tag.Genre);
  }
  grid->Add(Label("&Genre:", m_genre), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(m_genre, 0, wxEXPAND);

  grid->Add(new wxStaticText(this, wxID_ANY, "Track #:"), 0, wxALIGN_CENTER_VERTICAL);
  auto* track = new wxBoxSizer(wxHORIZONTAL);
  const char* trackLabels[3] = {"N&one", "&Sequence number in list", "C&ustom"};
  for (int i = 0; i < 3; ++i) {
    auto* radio = new wxRadioButton(this, kTrackIds[i], trackLabels[i], wxDefaultPosition,
                                    wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
    radio->SetValue(i == m_trackNumType);
    track->Add(radio, 0, wxRIGHT | wxALIGN_CENTER_VERTICAL, gap * 3);
  }
  m_trackNum = new wxTextCtrl(this, kIdTrackNum, wxString::Format("%d", tag.CustomTrackNum),
                              wxDefaultPosition, wxSize(FromDIP(60), -1));
  track->Add(m_trackNum, 0, wxALIGN_CENTER_VERTICAL);
  track->Add(Spin(kIdTrackSpin, m_trackNum, 0, kTrackNumMax, 1), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(track, 0, wxEXPAND);
  sizer->Add(grid, 0, wxEXPAND | wxALL, gap);
  UpdateEnabled();

  for (int id : kTagModeIds) {
    Bind(
        wxEVT_RADIOBUTTON,
        [this](wxCommandEvent&) {
          Read();
          UpdateEnabled();
        },
        id);
  }
  Bind(
      wxEVT_CHECKBOX,
      [this](wxCommandEvent&) {
        Read();
        UpdateEnabled();
        if (!m_titleAsFileName->GetValue()) FindWindow(kIdTitle)->SetFocus();
      },
      kIdTitleAsFileName);
  for (int id : kTrackIds) {
    Bind(
        wxEVT_RADIOBUTTON,
        [this](wxCommandEvent&) {
          Read();
          UpdateEnabled();
          if (m_trackNumType == kTrackCustom) m_trackNum->SetFocus();
        },
        id);
  }
}

void CPageOptID3::UpdateEnabled() {
  const bool custom = m_tagMode == 0;
  for (int id : kTrackIds) FindWindow(id)->Enable(custom);
  m_titleAsFileName->Enable(custom);
  for (const TagText& text : kTagTexts) FindWindow(text.id)->Enable(custom);
  m_genre->Enable(custom);
  const bool customTrack = custom && m_trackNumType == kTrackCustom;
  m_trackNum->Enable(customTrack);
  FindWindow(kIdTrackSpin)->Enable(customTrack);
  FindWindow(kIdTitle)->Enable(custom && !m_titleAsFileName->GetValue());
}

std::optional<PageProblem> CPageOptID3::Read() {
  CustomTagSettings& tag = m_s.customTag;
  m_tagMode = CheckedRadio(kTagModeIds);
  m_trackNumType = CheckedRadio(kTrackIds);
  m_s.ID3TagType = ID3TagTypeFromIndex(m_tagMode);
  tag.TrackNumType = TrackNumTypeFromIndex(m_trackNumType);
  tag.TitleAsFileName = m_titleAsFileName->GetValue();
  for (const TagText& text : kTagTexts) {
    ReadText(static_cast<wxTextCtrl*>(FindWindow(text.id)), tag.*text.text);
  }
  ReadText(m_genre, tag.Genre);
  return ReadTrackNumber(m_trackNum->GetValue().utf8_string(), m_trackNum->IsEnabled(),
                         tag.CustomTrackNum);
}

bool CPageOptID3::Leave() { return Passes(Read()); }

void CPageOptID3::Apply() { Read(); }

}  // namespace sondrel
