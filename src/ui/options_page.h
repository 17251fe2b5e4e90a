// The base of the Options sheet's pages. A page is an empty panel until it is
// first shown: its controls are made then (the sheet has about 30 pages and
// opens faster this way). A page never shown is neither checked nor applied,
// so the values given to it stay as they were.
#pragma once

#include <wx/panel.h>

#include <functional>
#include <map>
#include <string>

#include "engine/option_choices.h"
#include "engine/settings.h"

class wxChoice;
class wxRadioButton;
class wxTextCtrl;
class wxTextEntry;
class wxSizer;

namespace sondrel {

struct ChoiceBox;

class OptionsPage : public wxPanel {
 public:
  OptionsPage(wxWindow* parent, const std::string& title);

  const std::string& Title() const { return m_title; }
  bool IsBuilt() const { return m_built; }
  // Makes the controls (once), sets the dialog font on them and lays them out.
  void EnsureBuilt();

  // The check made when the page is left (another tab, or OK while it is
  // active): false after showing why, with the focus on the control at fault.
  virtual bool Leave() { return Passes(Read()); }
  // Reads the controls into the page's values (OK, built pages only).
  virtual void Apply() { Read(); }
  // OK on a page never shown: values the page could not show (a hand-edited
  // store) become what it would store; valid values stay as they are.
  virtual void KeepValid() {}

  // Alt+`letter`: the control whose text has that '&' letter (a label gives
  // its control) gets the focus; a check box, radio button or button is
  // also clicked. False when no control of this page has the letter.
  bool HandleMnemonic(wxChar letter);
  // Gives the focus again to the control of the last refusal (the sheet
  // calls it after it has come back to this page).
  void FocusRefused();

 protected:
  // Makes the controls into `sizer` (a vertical box of the page).
  virtual void Build(wxSizer* sizer) = 0;
  // Reads the controls into the page's values; the problem that keeps the
  // page from being left, if any.
  virtual std::optional<PageProblem> Read() { return std::nullopt; }
  // Enables the controls that the values read so far allow.
  virtual void UpdateEnabled() {}
  // On `type` from control `id`: Read, UpdateEnabled, then `then` (if any).
  void OnChange(const wxEventTypeTag<wxCommandEvent>& type, int id,
                std::function<void()> then = {});
  void OnChange(const wxEventTypeTag<wxCommandEvent>& type, const int (&ids)[3],
                std::function<void()> then = {});
  // A label for `target`; its '&' letter moves the focus to `target`.
  wxWindow* Label(const wxString& text, wxWindow* target);
  // Records the '&' letters of every labelled control made so far that
  // handles its own letter (buttons, check boxes, radio buttons).
  void RegisterMnemonics();
  // A spin button `id` beside `edit` that steps its number by `step`
  // within `low`..`high`.
  wxWindow* Spin(int id, wxWindow* edit, int low, int high, int step);
  // Puts a stored text into an edit box, and reads it back. A text the box
  // cannot hold whole (an entry keeps at most 65535 characters) is stored
  // as it was unless the user edited it.
  void ShowText(wxTextEntry* box, const std::string& text);
  void ReadText(const wxTextEntry* box, std::string& text) const;
  // Shows a refusal with the exclamation icon and focuses `id`.
  void Refuse(const std::string& message, int id);
  // True without a problem; else refuses with it and returns false.
  bool Passes(const std::optional<PageProblem>& problem);
  // The index of the checked one of three radio buttons (0 when none is).
  int CheckedRadio(const int (&ids)[3]) const;
  // Radio button `i` of a group of three (the first starts the group), set
  // when it is the `checked` one.
  wxRadioButton* Radio(const int (&ids)[3], const char* const (&labels)[3], int i, int checked);
  // The three, added to `row` with `flags` and `border`.
  void AddRadios(wxSizer* row, const int (&ids)[3], const char* const (&labels)[3], int checked,
                 int flags, int border);
  // A number box `id` of `width` DIPs showing `value`, and its spin button
  // `spinId`, added to `row` after `leftGap` pixels.
  wxTextCtrl* AddNumberBox(wxSizer* row, int leftGap, int id, int32_t value, int width, int spinId,
                           int low, int high, int step);
  // Makes drop-down `id` into `choice`, showing `list`.
  wxChoice* MakeChoice(ChoiceBox& choice, int id, ChoiceList list);
  // A check box `id` set to `value`, added to `sizer` with `flags` and `border`.
  void AddCheck(wxSizer* sizer, int id, const wxString& text, bool value, int flags, int border);
  // Whether the check box or radio button `id` of this page is set.
  bool Checked(int id) const;
  // A label and its control in a two-column grid.
  void AddLabelled(wxSizer* grid, const wxString& text, wxWindow* control, int flags = wxEXPAND);
  // The heading "Encoding Options" with its line, at the top of every encoding page.
  void AddEncodingHeading(wxSizer* sizer);
  // The gap between controls, in pixels.
  int Gap() const { return FromDIP(4); }

 private:
  std::string m_title;
  bool m_built = false;
  std::map<wxChar, wxWindow*> m_mnemonics;
  int m_refusedId = wxID_NONE;
  std::map<const wxTextEntry*, wxString> m_shownTexts;
};

// A page that edits the sheet's copy of the settings.
class SettingsPage : public OptionsPage {
 public:
  SettingsPage(wxWindow* parent, const std::string& title, ConvertSettings& settings)
      : OptionsPage(parent, title), m_s(settings) {}

 protected:
  ConvertSettings& m_s;
};

// Fills a drop-down with the list's labels and selects its selection.
void FillChoice(wxChoice* choice, const ChoiceList& list);
// `list` with the drop-down's selection.
ChoiceList ReadChoice(const wxChoice* choice, ChoiceList list);

// A drop-down with the list it shows.
struct ChoiceBox {
  ChoiceList list;
  wxChoice* box = nullptr;
  // The item data of the drop-down's selection; `none` when nothing is selected.
  int Selected(int none) const;
};

// The '&' letter of a control text, lower case; 0 when it has none.
wxChar MnemonicOf(const wxString& text);

}  // namespace sondrel
