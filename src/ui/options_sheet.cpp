// The Options sheet: its pages in order, the checks on leaving a page, and
// copying the values back on OK.
#include "ui/options_sheet.h"

#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/sizer.h>

#include "encode/wma_formats.h"
#include "engine/engine_state.h"
#include "engine/start_checks.h"
#include "platform/settings_store.h"
#include "ui/dialog_font.h"
#include "ui/options_page.h"
#include "ui/options_pages.h"

namespace sondrel {

namespace {

COptSheet* g_current = nullptr;

// Room for the tallest page (General) in the dialog font.
constexpr int kPageWidthDlu = 330;
constexpr int kPageHeightDlu = 300;

}  // namespace

WmaFormatsLoader WmaFormatsOf(EngineState& state, const std::vector<FormatRow>& rows) {
  return [&state, &rows]() -> const WmaFormatList* {
    const FormatRow* wma = FindFormatRow(rows, kFormatWma);
    if (wma == nullptr || !CheckMediaRuntime(state, *wma)) return nullptr;
    return state.wmaFormats->List();
  };
}

COptSheet::COptSheet(wxWindow* parent, const ConvertSettings& settings,
                     const std::vector<FormatRow>& rows, WmaFormatsLoader loadWmaFormats)
    : wxDialog(parent, wxID_ANY, "Options", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE),
      m_settings(settings),
      m_rows(rows) {
  SetFont(DialogFont());
  m_notebook = new wxNotebook(this, wxID_ANY);
  AddPages(std::move(loadWmaFormats));

  auto* sizer = new wxBoxSizer(wxVERTICAL);
  m_notebook->SetMinSize(ConvertDialogToPixels(wxSize(kPageWidthDlu, kPageHeightDlu)));
  sizer->Add(m_notebook, 1, wxEXPAND | wxALL, 6);
  sizer->Add(CreateSeparatedButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 6);
  SetSizerAndFit(sizer);
  SetDialogFont(this);

  const int start = settings.OptStartPageIndex;
  const size_t first = start >= 0 && static_cast<size_t>(start) < m_pages.size() ? start : 0;
  m_notebook->ChangeSelection(first);
  m_pages[first]->EnsureBuilt();
  if (wxWindow* ok = FindWindow(wxID_OK)) {
    static_cast<wxButton*>(ok)->SetDefault();
  }

  m_notebook->Bind(wxEVT_NOTEBOOK_PAGE_CHANGING, &COptSheet::OnPageChanging, this);
  m_notebook->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &COptSheet::OnPageChanged, this);
  Bind(wxEVT_BUTTON, &COptSheet::OnOk, this, wxID_OK);
  Bind(wxEVT_CHAR_HOOK, &COptSheet::OnCharHook, this);
  CentreOnParent();
}

void COptSheet::AddPages(WmaFormatsLoader loadWmaFormats) {
  m_pages.push_back(CreateGeneralPage(m_notebook, m_settings));
  m_pages.push_back(CreateOutputPage(m_notebook, m_settings));
  m_pages.push_back(CreateId3Page(m_notebook, m_settings));
  for (FormatRow& row : m_rows) {
    switch (row.id) {
      case kFormatAmr:
        m_pages.push_back(CreateAmrPage(m_notebook, m_settings));
        break;
      case kFormatAwb:
        m_pages.push_back(CreateAwbPage(m_notebook, m_settings));
        break;
      case kFormatWma:
        m_pages.push_back(CreateWmaPage(m_notebook, m_settings, loadWmaFormats));
        break;
      case kFormatWmv:
      case kFormatAsf:
        break;
      default:
        m_pages.push_back(CreateAudioCodecPage(m_notebook, row));
        break;
    }
  }
  for (OptionsPage* page : m_pages) m_notebook->AddPage(page, page->Title());
}

int COptSheet::ActivePage() const { return m_notebook->GetSelection(); }

COptSheet* COptSheet::Current() { return g_current; }

void COptSheet::OnPageChanging(wxBookCtrlEvent& event) {
  const int old = event.GetOldSelection();
  if (old >= 0 && static_cast<size_t>(old) < m_pages.size() && m_pages[old]->IsBuilt() &&
      !m_pages[old]->Leave()) {
    event.Veto();
    // GTK may switch the tab all the same: come back once it has.
    CallAfter([this, old] {
      if (m_notebook->GetSelection() != old) m_notebook->ChangeSelection(old);
      m_pages[old]->FocusRefused();
    });
  }
}

void COptSheet::OnPageChanged(wxBookCtrlEvent& event) {
  const int index = event.GetSelection();
  if (index >= 0 && static_cast<size_t>(index) < m_pages.size()) m_pages[index]->EnsureBuilt();
}

void COptSheet::OnOk(wxCommandEvent&) {
  const int active = ActivePage();
  if (active >= 0 && !m_pages[active]->Leave()) return;
  for (OptionsPage* page : m_pages) {
    if (page->IsBuilt()) {
      page->Apply();
    } else {
      page->KeepValid();
    }
  }
  EndModal(wxID_OK);
}

void COptSheet::OnCharHook(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (event.GetModifiers() == wxMOD_ALT && key < 128 && wxIsalnum(key)) {
    const int active = ActivePage();
    if (active >= 0 && m_pages[active]->HandleMnemonic(static_cast<wxChar>(key))) return;
  }
  if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && event.GetModifiers() == wxMOD_NONE) {
    // Enter on a focused button presses that button; anywhere else it is OK.
    wxWindow* focus = FindFocus();
    if (!dynamic_cast<wxButton*>(focus)) {
      wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
      ok.SetEventObject(FindWindow(wxID_OK));
      ProcessWindowEvent(ok);
      return;
    }
  }
  event.Skip();
}

bool ShowOptions(wxWindow* parent, ConvertSettings& settings, std::vector<FormatRow>& rows,
                 SettingsStore& store, WmaFormatsLoader loadWmaFormats) {
  COptSheet sheet(parent, settings, rows, std::move(loadWmaFormats));
  g_current = &sheet;
  const bool ok = sheet.ShowModal() == wxID_OK;
  g_current = nullptr;
  const int lastActivePage = sheet.ActivePage();
  if (ok) {
    settings = sheet.Settings();
    rows = sheet.Rows();
    ParseFilterExtensions(settings);
    SaveSettings(store, kSaveOptions, settings, rows);
  }
  settings.OptStartPageIndex = lastActivePage < 0 ? 0 : lastActivePage;
  return ok;
}

}  // namespace sondrel
