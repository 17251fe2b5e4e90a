#include "ui/wx_frontend.h"

#include <filesystem>

#include <wx/filedlg.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include "ui/message_box.h"
#include "ui/progress_dialogs.h"
#include "ui/shell.h"

namespace sondrel {

namespace {

// Holds a progress dialog weakly: the dialog destroys itself once closed.
class WxProgressWindow : public ProgressWindow {
 public:
  WxProgressWindow(ProgressDialogBase* dialog, wxStaticText* upper, wxGauge* upperBar,
                   wxStaticText* lower, wxGauge* lowerBar)
      : m_dialog(dialog),
        m_upper(upper),
        m_upperBar(upperBar),
        m_lower(lower),
        m_lowerBar(lowerBar) {}
  ~WxProgressWindow() override { RequestClose(); }

  void SetText(ProgressPart line, const std::string& text) override {
    if (wxStaticText* t = Text(line)) t->SetLabel(wxString::FromUTF8(text));
  }
  void SetRange(ProgressPart bar, int high) override {
    if (wxGauge* g = Bar(bar)) g->SetRange(high > 0 ? high : 1);
  }
  void SetPosition(ProgressPart bar, int pos) override {
    if (wxGauge* g = Bar(bar)) g->SetValue(std::clamp(pos, 0, g->GetRange()));
  }
  void Step(ProgressPart bar) override {
    if (wxGauge* g = Bar(bar)) g->SetValue(std::min(g->GetValue() + 1, g->GetRange()));
  }
  int BarWidth(ProgressPart bar) override {
    wxGauge* g = Bar(bar);
    return g ? std::max(1, g->GetSize().GetWidth()) : 1;
  }
  bool CancelRequested() const override {
    // A window closed by the system counts as cancelled.
    return !m_dialog || m_dialog->cancelRequested != 0;
  }
  void RequestClose() override {
    if (m_dialog && !m_closed) {
      m_closed = true;
      m_dialog->Close(true);
    }
  }

 private:
  wxStaticText* Text(ProgressPart p) const {
    if (!m_dialog || m_closed) return nullptr;
    return p == ProgressPart::Upper ? m_upper : m_lower;
  }
  wxGauge* Bar(ProgressPart p) const {
    if (!m_dialog || m_closed) return nullptr;
    return p == ProgressPart::Upper ? m_upperBar : m_lowerBar;
  }

  wxWeakRef<ProgressDialogBase> m_dialog;
  wxStaticText* m_upper;
  wxGauge* m_upperBar;
  wxStaticText* m_lower;
  wxGauge* m_lowerBar;
  bool m_closed = false;
};

}  // namespace

void WxFrontend::SetBusy(bool busy) {
  if (busy) {
    if (m_busyDepth++ == 0) {
      wxBeginBusyCursor();
      if (m_owner) m_owner->Disable();
    }
  } else if (m_busyDepth > 0 && --m_busyDepth == 0) {
    if (m_owner) m_owner->Enable();
    wxEndBusyCursor();
  }
}

std::unique_ptr<ProgressWindow> WxFrontend::CreateConvertProgress() {
  ConvertProgressDialog* d = ConvertProgressDialog::Create(m_owner);
  return std::make_unique<WxProgressWindow>(d, d->upperText, d->upperBar, d->lowerText,
                                            d->lowerBar);
}

std::unique_ptr<ProgressWindow> WxFrontend::CreateAddProgress() {
  AddProgressDialog* d = AddProgressDialog::Create(m_owner);
  return std::make_unique<WxProgressWindow>(d, d->text, d->bar, nullptr, nullptr);
}

void WxFrontend::PumpMessages() { sondrel::PumpMessages(); }

void WxFrontend::ShowMessage(const std::string& text, MessageIcon icon) {
  ShowMessageBox(text, icon, m_owner);
}

bool WxFrontend::AskYesNo(const std::string& text) {
  return ShowMessageBox(text, MessageIcon::Question, m_owner);
}

std::string WxFrontend::AskSaveFile(const std::string& extension) {
  wxString upper = wxString::FromUTF8(extension).Upper();
  wxString lower = wxString::FromUTF8(extension).Lower();
  const wxString filter = wxString::Format("%s File (*.%s)|*.%s", upper, lower, lower);
  wxFileDialog dialog(m_owner, wxString(), wxString(), wxString(), filter,
                      wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
  if (dialog.ShowModal() != wxID_OK) return {};
  std::string path = dialog.GetPath().utf8_string();
  // The default extension, as the Windows dialog adds it.
  if (std::filesystem::path(path).extension().empty()) {
    path += '.';
    path += lower.utf8_string();
  }
  return path;
}

void WxFrontend::OpenDocument(const std::string& pathOrUrl) { sondrel::OpenDocument(pathOrUrl); }

void WxFrontend::ShowInFolder(const std::string& path) { sondrel::ShowInFolder(path); }

}  // namespace sondrel
