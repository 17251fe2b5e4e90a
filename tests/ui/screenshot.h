// Screenshots of windows under test, for a person to look at: written only
// when SONDREL_SCREENSHOT_DIR names a folder.
#pragma once

#include <string>

class wxWindow;

namespace sondrel::test {

// Saves what the display shows of `window` (once it has been painted) as
// $SONDREL_SCREENSHOT_DIR/<name>.png.
void SaveScreenshot(wxWindow* window, const std::string& name);

}  // namespace sondrel::test
