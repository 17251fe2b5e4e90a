// The About box's controls.
#include "ui/about_box.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cstdio>

#include "platform/product.h"
#include "ui/app_icon.h"
#include "ui/dialog_font.h"
#include "ui/embedded_file.h"

namespace sondrel {

std::string ProductNameWithVersion() {
  char text[64];
  std::snprintf(text, sizeof text, "%s v%s", kProductName, kProductVersion);
  return text;
}

std::string ThirdPartyText() {
  std::string text;
  for (const EmbeddedFile& file : ThirdPartyNotes()) {
    text.append(reinterpret_cast<const char*>(file.data), file.size);
  }
  return text;
}

wxDialog* CreateAboutBox(wxWindow* parent) {
  auto* box = new wxDialog(parent, wxID_ANY, kAboutBoxTitle);
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  top->Add(new wxStaticBitmap(box, wxID_ANY, wxBitmap(ProgramIcons().GetIcon(64))), 0,
           wxALL | wxALIGN_TOP, 12);
  auto* texts = new wxBoxSizer(wxVERTICAL);
  auto* name = new wxStaticText(box, wxID_ANY, wxString::FromUTF8(ProductNameWithVersion()));
  wxFont nameFont = DialogFont().Bold();
  nameFont.SetPixelSize(wxSize(0, 16));
  name->SetFont(nameFont);
  texts->Add(name, 0, wxBOTTOM, 6);
  texts->Add(new wxStaticText(box, wxID_ANY,
                              "A batch audio converter.\n"
                              "Free software under the GNU General Public License,\n"
                              "version 3 or any later version."),
             0, wxBOTTOM, 6);
  texts->Add(new wxStaticText(box, wxID_ANY, kHomepageUrl), 0);
  top->Add(texts, 1, wxTOP | wxRIGHT | wxBOTTOM, 12);

  auto* notes =
      new wxTextCtrl(box, wxID_ANY, wxString::FromUTF8(ThirdPartyText()), wxDefaultPosition,
                     wxSize(640, 280), wxTE_MULTILINE | wxTE_READONLY | wxTE_DONTWRAP);
  notes->SetFont(wxFontInfo(9).Family(wxFONTFAMILY_TELETYPE));
  notes->SetInsertionPoint(0);
  notes->ShowPosition(0);

  auto* all = new wxBoxSizer(wxVERTICAL);
  all->Add(top, 0, wxEXPAND);
  all->Add(notes, 1, wxEXPAND | wxLEFT | wxRIGHT, 12);
  all->Add(box->CreateSeparatedButtonSizer(wxOK), 0, wxEXPAND | wxALL, 12);
  box->SetSizerAndFit(all);
  box->CentreOnParent();
  return box;
}

}  // namespace sondrel
