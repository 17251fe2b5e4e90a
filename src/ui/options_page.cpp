// The Options sheet's page base: lazy building and the '&' letters.
#include "ui/options_page.h"

#include <algorithm>
#include <cstdint>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "decode/user_prompts.h"
#include "engine/option_choices.h"
#include "ui/dialog_font.h"
#include "ui/message_box.h"

namespace sondrel {

wxChar MnemonicOf(const wxString& text) {
  for (size_t i = 0; i + 1 < text.length(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<wxChar>(wxTolower(text[i + 1]));
  }
  return 0;
}

void FillChoice(wxChoice* choice, const ChoiceList& list) {
  wxArrayString labels;
  for (const ChoiceItem& item : list.items) labels.push_back(wxString::FromUTF8(item.label));
  choice->Set(labels);
  choice->SetSelection(list.selection);
}

ChoiceList ReadChoice(const wxChoice* choice, ChoiceList list) {
  list.selection = choice->GetSelection();
  return list;
}

int ChoiceBox::Selected(int none) const { return ReadChoice(box, list).SelectedData(none); }

OptionsPage::OptionsPage(wxWindow* parent, const std::string& title)
    : wxPanel(parent, wxID_ANY), m_title(title) {}

void OptionsPage::EnsureBuilt() {
  if (m_built) return;
  m_built = true;
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  Build(sizer);
  RegisterMnemonics();
  SetDialogFont(this);
  SetSizer(sizer);
  Layout();
}

wxWindow* OptionsPage::Label(const wxString& text, wxWindow* target) {
  auto* label = new wxStaticText(this, wxID_ANY, text);
  if (const wxChar letter = MnemonicOf(text)) m_mnemonics.emplace(letter, target);
  return label;
}

void OptionsPage::RegisterMnemonics() {
  for (wxWindow* child : GetChildren()) {
    if (dynamic_cast<wxButton*>(child) || dynamic_cast<wxCheckBox*>(child) ||
        dynamic_cast<wxRadioButton*>(child)) {
      if (const wxChar letter = MnemonicOf(child->GetLabel())) m_mnemonics.emplace(letter, child);
    }
  }
}

bool OptionsPage::HandleMnemonic(wxChar letter) {
  auto found = m_mnemonics.find(static_cast<wxChar>(wxTolower(letter)));
  if (found == m_mnemonics.end()) return false;
  wxWindow* target = found->second;
  if (!target->IsEnabled()) return true;
  target->SetFocus();
  if (auto* check = dynamic_cast<wxCheckBox*>(target)) {
    check->SetValue(!check->GetValue());
    wxCommandEvent click(wxEVT_CHECKBOX, check->GetId());
    click.SetEventObject(check);
    click.SetInt(check->GetValue());
    check->ProcessWindowEvent(click);
  } else if (auto* radio = dynamic_cast<wxRadioButton*>(target)) {
    radio->SetValue(true);
    wxCommandEvent click(wxEVT_RADIOBUTTON, radio->GetId());
    click.SetEventObject(radio);
    click.SetInt(1);
    radio->ProcessWindowEvent(click);
  } else if (auto* button = dynamic_cast<wxButton*>(target)) {
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
  }
  return true;
}

wxWindow* OptionsPage::Spin(int id, wxWindow* edit, int low, int high, int step) {
  auto* spin = new wxSpinButton(this, id, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL);
  spin->SetRange(low, high);
  auto* text = static_cast<wxTextCtrl*>(edit);
  auto stepBy = [text, low, high](int64_t delta) {
    const std::optional<int32_t> now = ParseInteger(text->GetValue().utf8_string());
    int64_t value = (now ? *now : low) + delta;
    value = std::clamp<int64_t>(value, low, high);
    text->ChangeValue(std::to_string(value));
  };
  spin->Bind(wxEVT_SPIN_UP, [stepBy, step](wxSpinEvent& e) {
    stepBy(step);
    e.Veto();
  });
  spin->Bind(wxEVT_SPIN_DOWN, [stepBy, step](wxSpinEvent& e) {
    stepBy(-step);
    e.Veto();
  });
  return spin;
}

void OptionsPage::ShowText(wxTextEntry* box, const std::string& text) {
  box->ChangeValue(wxString::FromUTF8(text));
  m_shownTexts[box] = box->GetValue();
}

void OptionsPage::ReadText(const wxTextEntry* box, std::string& text) const {
  const wxString value = box->GetValue();
  auto shown = m_shownTexts.find(box);
  if (shown != m_shownTexts.end() && shown->second == value) return;
  text = value.utf8_string();
}

void OptionsPage::Refuse(const std::string& message, int id) {
  ShowMessageBox(message, MessageIcon::Exclamation, this);
  m_refusedId = id;
  FocusRefused();
}

bool OptionsPage::Passes(const std::optional<PageProblem>& problem) {
  if (!problem) return true;
  Refuse(problem->message, problem->focusId);
  return false;
}

int OptionsPage::CheckedRadio(const int (&ids)[3]) const {
  for (int i = 0; i < 3; ++i) {
    auto* radio = dynamic_cast<wxRadioButton*>(FindWindow(ids[i]));
    if (radio && radio->GetValue()) return i;
  }
  return 0;
}

void OptionsPage::OnChange(const wxEventTypeTag<wxCommandEvent>& type, int id,
                           std::function<void()> then) {
  Bind(
      type,
      [this, then](wxCommandEvent&) {
        Read();
        UpdateEnabled();
        if (then) then();
      },
      id);
}

void OptionsPage::OnChange(const wxEventTypeTag<wxCommandEvent>& type, const int (&ids)[3],
                           std::function<void()> then) {
  for (int id : ids) OnChange(type, id, then);
}

wxRadioButton* OptionsPage::Radio(const int (&ids)[3], const char* const (&labels)[3], int i,
                                  int checked) {
  auto* radio = new wxRadioButton(this, ids[i], labels[i], wxDefaultPosition, wxDefaultSize,
                                  i == 0 ? wxRB_GROUP : 0);
  radio->SetValue(i == checked);
  return radio;
}

void OptionsPage::AddRadios(wxSizer* row, const int (&ids)[3], const char* const (&labels)[3],
                            int checked, int flags, int border) {
  for (int i = 0; i < 3; ++i) row->Add(Radio(ids, labels, i, checked), 0, flags, border);
}

wxTextCtrl* OptionsPage::AddNumberBox(wxSizer* row, int leftGap, int id, int32_t value, int width,
                                      int spinId, int low, int high, int step) {
  auto* edit = new wxTextCtrl(this, id, wxString::Format("%d", value), wxDefaultPosition,
                              wxSize(FromDIP(width), -1));
  row->Add(edit, 0, wxLEFT | wxALIGN_CENTER_VERTICAL, leftGap);
  row->Add(Spin(spinId, edit, low, high, step), 0, wxALIGN_CENTER_VERTICAL);
  return edit;
}

wxChoice* OptionsPage::MakeChoice(ChoiceBox& choice, int id, ChoiceList list) {
  choice.list = std::move(list);
  choice.box = new wxChoice(this, id);
  FillChoice(choice.box, choice.list);
  return choice.box;
}

void OptionsPage::AddCheck(wxSizer* sizer, int id, const wxString& text, bool value, int flags,
                           int border) {
  auto* check = new wxCheckBox(this, id, text);
  check->SetValue(value);
  sizer->Add(check, 0, flags, border);
}

bool OptionsPage::Checked(int id) const {
  const wxWindow* control = FindWindow(id);
  if (auto* check = dynamic_cast<const wxCheckBox*>(control)) return check->GetValue();
  if (auto* radio = dynamic_cast<const wxRadioButton*>(control)) return radio->GetValue();
  return false;
}

void OptionsPage::AddLabelled(wxSizer* grid, const wxString& text, wxWindow* control, int flags) {
  grid->Add(Label(text, control), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(control, 0, flags);
}

void OptionsPage::AddEncodingHeading(wxSizer* sizer) {
  auto* heading = new wxBoxSizer(wxHORIZONTAL);
  heading->Add(new wxStaticText(this, wxID_ANY, "Encoding Options"), 0, wxALIGN_CENTER_VERTICAL);
  heading->Add(new wxStaticLine(this), 1, wxLEFT | wxALIGN_CENTER_VERTICAL, Gap());
  sizer->Add(heading, 0, wxEXPAND | wxALL, Gap() * 2);
}

void OptionsPage::FocusRefused() {
  if (wxWindow* control = FindWindow(m_refusedId)) control->SetFocus();
}

}  // namespace sondrel
