// The pages of the Options sheet, one source file per page kind; the sheet
// makes them in its order and owns them through the notebook. Each page edits
// the sheet's copy of the values it is given.
#pragma once

#include "encode/format_catalogue.h"
#include "engine/settings.h"
#include "ui/options_page.h"
#include "ui/options_sheet.h"

namespace sondrel {

// General: which files are added, mono mix, trimming and volume.
OptionsPage* CreateGeneralPage(wxWindow* parent, ConvertSettings& settings);
// Output: where output goes and what happens when the target exists.
OptionsPage* CreateOutputPage(wxWindow* parent, ConvertSettings& settings);
// ID3: which tag the outputs get, and the custom tag's texts and track number.
OptionsPage* CreateId3Page(wxWindow* parent, ConvertSettings& settings);
// The encoding page of a format written through FFmpeg: its codec, the Auto
// check and the sample-rate, bit-rate and channel boxes; edits the five
// values of `row`.
OptionsPage* CreateAudioCodecPage(wxWindow* parent, FormatRow& row);
// The encoding pages of "amr" (narrow or wide band, with a bit rate for
// each) and of "awb".
OptionsPage* CreateAmrPage(wxWindow* parent, ConvertSettings& settings);
OptionsPage* CreateAwbPage(wxWindow* parent, ConvertSettings& settings);
// The one encoding page of the Windows Media formats (wma, wmv and asf share
// its values): Auto, or one of the runtime's audio formats; `loadFormats`
// runs when the page is first shown.
OptionsPage* CreateWmaPage(wxWindow* parent, ConvertSettings& settings,
                           WmaFormatsLoader loadFormats);

}  // namespace sondrel
