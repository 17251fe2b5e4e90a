#include "ui/shell.h"

#include <wx/dirdlg.h>
#include <wx/log.h>
#include <wx/utils.h>

#include "platform/browser_command.h"
#include "platform/file_manager.h"

namespace sondrel {
namespace {

FolderDialogHandler& DialogHandler() {
  static FolderDialogHandler handler;
  return handler;
}

std::optional<std::string> AskForFolder(wxWindow* owner, const std::string& prompt,
                                        const std::string& start) {
  if (DialogHandler()) return DialogHandler()(prompt, start);
  wxDirDialog dialog(owner, wxString::FromUTF8(prompt), wxString::FromUTF8(start),
                     wxDD_DEFAULT_STYLE);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  return std::string(dialog.GetPath().utf8_string());
}

}  // namespace

bool OpenDocument(const std::string& target) {
  if (target.empty()) return false;
  // wx carries text as Unicode: a path that is not UTF-8 goes to GIO as a
  // percent-encoded URI instead.
  const wxString text = wxString::FromUTF8(target.data(), target.size());
  bool started = false;
  {
    wxLogNull quiet;  // a failure here is not the user's message
    if (text.empty()) {
      started = LaunchDefaultHandler(target);
    } else if (HasUriScheme(target)) {
      started = wxLaunchDefaultBrowser(text, wxBROWSER_NOBUSYCURSOR);
    } else {
      started = wxLaunchDefaultApplication(text);
    }
  }
  return started || OpenWithDefaultBrowser(target);
}

void ShowInFolder(const std::string& path) {
  sondrel::ShowInFolder(path, [](const std::string& folder) { OpenDocument(folder); });
}

FolderDialogHandler SetFolderDialogHandler(FolderDialogHandler handler) {
  FolderDialogHandler previous = std::move(DialogHandler());
  DialogHandler() = std::move(handler);
  return previous;
}

bool BrowseForFolder(wxWindow* owner, const std::string& prompt, const std::string& start,
                     std::string& result) {
  std::string folder = start;
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  const std::optional<std::string> chosen = AskForFolder(owner, prompt, folder);
  if (!chosen || chosen->empty()) return false;
  result = *chosen;
  if (result.back() != '/') result += '/';
  return true;
}

}  // namespace sondrel
