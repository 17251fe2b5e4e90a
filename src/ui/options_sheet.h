// The Options sheet (command 1014): a modal tabbed dialog with the General,
// Output and ID3 pages, then one encoding page per catalogue row that has
// encoding options. It edits copies; OK copies every value back, rebuilds the
// extension list and saves the options group; Cancel keeps only the page the
// sheet was left on (OptStartPageIndex).
#pragma once

#include <wx/dialog.h>

#include <functional>
#include <vector>

#include "engine/settings.h"

class wxBookCtrlEvent;
class wxNotebook;

namespace sondrel {

class OptionsPage;
class SettingsStore;
class WmaFormatList;
struct EngineState;

// Loads the Windows Media runtime when the WMA page is first shown and gives
// its formats; null when it cannot be loaded (the loader has said why).
using WmaFormatsLoader = std::function<const WmaFormatList*()>;
// The loader of the program: the runtime check of a run (with its offer of
// the download when it fails), then the engine's format list.
WmaFormatsLoader WmaFormatsOf(EngineState& state, const std::vector<FormatRow>& rows);

// Shows the sheet modally. On OK `settings`, the rows' five values and the
// store's options group hold what the pages show, and the result is true.
// `settings.OptStartPageIndex` becomes the page the sheet closed on either
// way (it reaches the store with the exit group).
bool ShowOptions(wxWindow* parent, ConvertSettings& settings, std::vector<FormatRow>& rows,
                 SettingsStore& store, WmaFormatsLoader loadWmaFormats);

// The sheet itself, for ShowOptions and the window tests.
class COptSheet : public wxDialog {
 public:
  // Copies `settings` and `rows` into the pages; opens on OptStartPageIndex
  // when there is such a page, else on the first.
  COptSheet(wxWindow* parent, const ConvertSettings& settings, const std::vector<FormatRow>& rows,
            WmaFormatsLoader loadWmaFormats);

  wxNotebook* Notebook() const { return m_notebook; }
  size_t PageCount() const { return m_pages.size(); }
  OptionsPage* Page(size_t index) const { return m_pages[index]; }
  // The active page's index.
  int ActivePage() const;

  // After OK: the values of every page (pages never shown keep theirs).
  const ConvertSettings& Settings() const { return m_settings; }
  const std::vector<FormatRow>& Rows() const { return m_rows; }

  // The sheet that ShowOptions is showing, or null (tests drive it).
  static COptSheet* Current();

 private:
  void AddPages(WmaFormatsLoader loadWmaFormats);
  void OnPageChanging(wxBookCtrlEvent& event);
  void OnPageChanged(wxBookCtrlEvent& event);
  void OnOk(wxCommandEvent& event);
  void OnCharHook(wxKeyEvent& event);

  ConvertSettings m_settings;
  std::vector<FormatRow> m_rows;
  wxNotebook* m_notebook = nullptr;
  std::vector<OptionsPage*> m_pages;
};

}  // namespace sondrel
