// The shell operations of the window layer: opening a document or web page
// with the desktop's handler, showing a file selected in the file manager,
// and the folder browser. Free functions without state of their own, for the
// user-interface thread.
#pragma once

#include <functional>
#include <optional>
#include <string>

class wxWindow;

namespace sondrel {

// Opens a file, folder or web address (any "scheme:" text, mailto: too) with
// the desktop's default handler; when that fails, with the default web
// browser's command line (platform/browser_command.h). True when something
// was started. Shows no message.
bool OpenDocument(const std::string& target);

// Shows `path` selected in the file manager (ShowItems on the session bus);
// without one, opens the folder that holds it through OpenDocument.
void ShowInFolder(const std::string& path);

// The folder browser: a folder dialog titled `prompt`, starting at `start`
// (a trailing '/' removed for the dialog). On confirmation `result` becomes
// the chosen folder with a trailing '/' and the result is true; on cancel
// (or an empty choice) false, and `result` is left unchanged.
bool BrowseForFolder(wxWindow* owner, const std::string& prompt, const std::string& start,
                     std::string& result);

// Answers the folder browser instead of the modal dialog (tests): given the
// prompt and the start folder the dialog would get, it returns the chosen
// folder, or no value for Cancel. Null restores the dialog; returns the
// previous handler.
using FolderDialogHandler =
    std::function<std::optional<std::string>(const std::string& prompt, const std::string& start)>;
FolderDialogHandler SetFolderDialogHandler(FolderDialogHandler handler);

}  // namespace sondrel
