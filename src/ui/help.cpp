#include "ui/help.h"

#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/fs_arc.h>
#include <wx/html/helpctrl.h>
#include <wx/log.h>
#include <wx/module.h>
#include <wx/splitter.h>
#include <wx/treectrl.h>
#include <wx/utils.h>

#include <filesystem>
#include <system_error>

#include "engine/settings.h"
#include "platform/paths.h"
#include "ui/message_box.h"

namespace sondrel {
namespace {

// The one controller and the book it holds; created on the first ShowHelp.
struct HelpState {
  wxHtmlHelpController* controller = nullptr;
  std::string book;
};

HelpState& State() {
  static HelpState state;
  return state;
}

// Lets wxFileSystem read "book.htb#zip:page.html".
void RegisterArchiveHandler() {
  if (!wxFileSystem::HasHandlerForPath("book.htb#zip:page.html")) {
    wxFileSystem::AddHandler(new wxArchiveFSHandler);
  }
}

void ShowMissingBook(const std::string& path) {
  ShowMessageBox("The help file cannot be opened:\n" + path +
                     "\n\nIt is missing or damaged. Installing Sondrel again restores it.",
                 MessageIcon::Exclamation);
}

// A controller holding the book, or null when the book cannot be read.
wxHtmlHelpController* LoadBook(const std::string& path) {
  RegisterArchiveHandler();
  auto* controller = new wxHtmlHelpController(wxHF_TOOLBAR | wxHF_CONTENTS | wxHF_INDEX |
                                              wxHF_SEARCH | wxHF_PRINT);
  // The viewer's title stays fixed whatever page it shows: "%.0s" takes the
  // page title and prints none of it.
  controller->SetFrameParameters(wxString(kHelpWindowTitle) + "%.0s", wxSize(960, 680));
  wxLogNull quiet;  // a bad book is reported by our own message
  if (!controller->AddBook(wxFileName(wxString::FromUTF8(path)), false)) {
    delete controller;
    return nullptr;
  }
  return controller;
}

// The first window of type T below `parent`, depth first.
template <class T>
T* FindChild(wxWindow* parent) {
  for (wxWindow* child : parent->GetChildren()) {
    if (auto* found = dynamic_cast<T*>(child)) return found;
    if (T* inner = FindChild<T>(child)) return inner;
  }
  return nullptr;
}

// A new viewer: room for a page and for the contents with their three tabs,
// and the book's topics shown rather than folded into its title.
void LayOut(wxFrame* viewer) {
  viewer->SetSize(viewer->FromDIP(wxSize(980, 700)));
  viewer->CentreOnScreen();
  if (auto* splitter = FindChild<wxSplitterWindow>(viewer)) {
    splitter->SetSashPosition(viewer->FromDIP(300));
  }
  if (auto* contents = FindChild<wxTreeCtrl>(viewer)) {
    wxTreeItemIdValue cookie;
    const wxTreeItemId root = contents->GetRootItem();
    for (wxTreeItemId book = root.IsOk() ? contents->GetFirstChild(root, cookie) : wxTreeItemId();
         book.IsOk(); book = contents->GetNextChild(root, cookie)) {
      contents->Expand(book);
    }
  }
}

// Deletes the controller (and with it its viewer) when wx shuts down.
class HelpModule : public wxModule {
 public:
  bool OnInit() override { return true; }
  void OnExit() override { CloseHelp(); }

 private:
  wxDECLARE_DYNAMIC_CLASS(HelpModule);
};
wxIMPLEMENT_DYNAMIC_CLASS(HelpModule, wxModule);

}  // namespace

wxFrame* HelpWindow() {
  HelpState& state = State();
  return state.controller ? state.controller->GetFrame() : nullptr;
}

void ShowHelp(bool maximised) { ShowHelpBook(FindDataFile(kHelpBookName), maximised); }

void ShowHelpBook(const std::string& bookPath, bool maximised) {
  if (wxFrame* viewer = HelpWindow()) {
    if (viewer->IsIconized()) viewer->Iconize(false);
    viewer->Show();
    if (maximised) viewer->Maximize();
    viewer->Raise();
    return;
  }
  wxBusyCursor wait;
  HelpState& state = State();
  if (!state.controller || state.book != bookPath) {
    std::error_code error;
    wxHtmlHelpController* controller =
        std::filesystem::is_regular_file(bookPath, error) ? LoadBook(bookPath) : nullptr;
    if (!controller) {
      ShowMissingBook(bookPath);
      return;
    }
    CloseHelp();
    state.controller = controller;
    state.book = bookPath;
  }
  state.controller->DisplayContents();
  if (wxFrame* viewer = HelpWindow()) {
    LayOut(viewer);
    if (maximised) viewer->Maximize();
    viewer->Raise();
  }
}

void CloseHelp() {
  HelpState& state = State();
  delete state.controller;
  state.controller = nullptr;
  state.book.clear();
}

}  // namespace sondrel
