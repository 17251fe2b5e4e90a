// What a row shows when its item's turn has ended, and the file manager at
// the end of a run. Per-item outcomes never open a message box: they go into
// the row's Output and Volume columns.
#pragma once

#include <string>
#include <vector>

#include "engine/file_item.h"
#include "engine/frontend.h"
#include "engine/settings.h"

namespace sondrel {

// The Output text of an item whose conversion failed: "No audio in the file"
// when it holds none, else "Conversion Failure", followed by the note in
// parentheses when there is one (the Output column is then widened to 500
// pixels so that the note can be read).
std::string FailureStatus(Frontend& frontend, int hasAudio, const std::string& note);

// The Volume text of a converted item: the gain in percent with two
// decimals; a gain of 0 (no gain step) shows as 100.00%.
std::string VolumeText(float gain);

// A converted item: its Volume text and its output's file name.
void ShowConverted(Frontend& frontend, int row, const FileItem& item, float gain);

// Opens the first of the `reached` items whose target exists in the file
// manager, when the options ask for it.
void BrowseFirstTarget(Frontend& frontend, const ConvertSettings& settings,
                       const std::vector<FileItem*>& items, int reached);

}  // namespace sondrel
