#include "options_driver.h"

#include <wx/app.h>
#include <wx/button.h>

#include "settle.h"

namespace sondrel::test {

bool RunSheet(ConvertSettings& settings, std::vector<FormatRow>& rows, SettingsStore& store,
              const std::function<void(COptSheet&)>& drive, WmaFormatsLoader loader) {
  bool driven = false;
  wxTheApp->CallAfter([&] {
    COptSheet* sheet = COptSheet::Current();
    if (sheet == nullptr) return;
    Settle(3);
    drive(*sheet);
    driven = true;
    if (sheet->IsModal()) Press(*sheet, wxID_CANCEL);
  });
  const bool ok = ShowOptions(nullptr, settings, rows, store, std::move(loader));
  EXPECT_TRUE(driven);
  return ok;
}

int PageIndex(const COptSheet& sheet, const std::string& title) {
  for (size_t i = 0; i < sheet.PageCount(); ++i) {
    if (sheet.Page(i)->Title() == title) return static_cast<int>(i);
  }
  return -1;
}

bool ShowPage(COptSheet& sheet, const std::string& title) {
  const int index = PageIndex(sheet, title);
  EXPECT_GE(index, 0) << title;
  if (index < 0) return false;
  sheet.Notebook()->SetSelection(index);
  Settle(3);
  return sheet.ActivePage() == index;
}

void Press(COptSheet& sheet, int buttonId) {
  wxWindow* button = buttonId == wxID_OK || buttonId == wxID_CANCEL
                         ? sheet.FindWindow(buttonId)
                         : sheet.Page(sheet.ActivePage())->FindWindow(buttonId);
  ASSERT_NE(button, nullptr) << buttonId;
  wxCommandEvent click(wxEVT_BUTTON, buttonId);
  click.SetEventObject(button);
  button->GetEventHandler()->ProcessEvent(click);
}

void Click(COptSheet& sheet, int id, bool on) {
  wxWindow* control = sheet.Page(sheet.ActivePage())->FindWindow(id);
  ASSERT_NE(control, nullptr) << id;
  if (auto* check = dynamic_cast<wxCheckBox*>(control)) {
    check->SetValue(on);
    wxCommandEvent click(wxEVT_CHECKBOX, id);
    click.SetEventObject(check);
    click.SetInt(on);
    check->GetEventHandler()->ProcessEvent(click);
  } else if (auto* radio = dynamic_cast<wxRadioButton*>(control)) {
    radio->SetValue(true);
    wxCommandEvent click(wxEVT_RADIOBUTTON, id);
    click.SetEventObject(radio);
    click.SetInt(1);
    radio->GetEventHandler()->ProcessEvent(click);
  } else {
    ADD_FAILURE() << id << " is neither a check box nor a radio button";
  }
}

void Choose(COptSheet& sheet, int id, const std::string& label) {
  auto* choice = Control<wxChoice>(sheet, id);
  ASSERT_NE(choice, nullptr);
  const int index = choice->FindString(wxString::FromUTF8(label), true);
  ASSERT_NE(index, wxNOT_FOUND) << label;
  choice->SetSelection(index);
  wxCommandEvent change(wxEVT_CHOICE, id);
  change.SetEventObject(choice);
  change.SetInt(index);
  choice->GetEventHandler()->ProcessEvent(change);
}

void Type(COptSheet& sheet, int id, const std::string& text) {
  auto* edit = Control<wxTextCtrl>(sheet, id);
  ASSERT_NE(edit, nullptr);
  edit->ChangeValue(wxString::FromUTF8(text));
}

std::vector<std::string> Labels(const wxChoice* choice) {
  std::vector<std::string> labels;
  for (const wxString& label : choice->GetStrings()) labels.push_back(label.utf8_string());
  return labels;
}

std::string Selected(const wxChoice* choice) {
  const int index = choice->GetSelection();
  return index == wxNOT_FOUND ? "(none)" : choice->GetString(index).utf8_string();
}

}  // namespace sondrel::test
