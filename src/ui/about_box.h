// The About box: the program's icon, name and version, its licence and the
// libraries it uses with their licences (data/THIRD-PARTY, built into the
// program). User-interface thread only.
#pragma once

#include <string>

class wxDialog;
class wxWindow;

namespace sondrel {

inline constexpr const char* kAboutBoxTitle = "About Sondrel";

// "Sondrel v3.2 build 969".
std::string ProductNameWithVersion();

// The library notes as built into the program.
std::string ThirdPartyText();

// Makes the box (not shown); the caller shows it modally and destroys it.
wxDialog* CreateAboutBox(wxWindow* parent);

}  // namespace sondrel
