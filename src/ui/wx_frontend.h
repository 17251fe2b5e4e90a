// The engine seam implemented with wx windows: progress dialogs, message
// boxes, the save dialog and the desktop shell. The list row operations do
// nothing here; the main window overrides them.
#pragma once

#include "engine/frontend.h"

class wxWindow;

namespace sondrel {

class WxFrontend : public Frontend {
 public:
  explicit WxFrontend(wxWindow* owner = nullptr) : m_owner(owner) {}

  void SetRowText(int, ListColumn, const std::string&) override {}
  void EnsureRowVisible(int) override {}
  int OutputColumnWidth() override { return m_outputColumnWidth; }
  void SetOutputColumnWidth(int pixels) override { m_outputColumnWidth = pixels; }

  void SetBusy(bool busy) override;
  std::unique_ptr<ProgressWindow> CreateConvertProgress() override;
  std::unique_ptr<ProgressWindow> CreateAddProgress() override;
  void PumpMessages() override;

  void ShowMessage(const std::string& text, MessageIcon icon) override;
  bool AskYesNo(const std::string& text) override;
  std::string AskSaveFile(const std::string& extension) override;

  void OpenDocument(const std::string& pathOrUrl) override;
  void ShowInFolder(const std::string& path) override;

 protected:
  wxWindow* m_owner;
  int m_outputColumnWidth = 0;
  int m_busyDepth = 0;
};

}  // namespace sondrel
