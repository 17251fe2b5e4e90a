// The program icon built into the program: every size decodes, and each is
// the drawing (a transparent corner, an opaque middle), not an empty square.
#include <gtest/gtest.h>
#include <wx/bitmap.h>
#include <wx/image.h>

#include "ui/app_icon.h"

namespace sondrel {
namespace {

TEST(ProgramIcons, EverySizeIsTheDrawing) {
  const wxIconBundle icons = ProgramIcons();
  EXPECT_EQ(icons.GetIconCount(), 7u);
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const wxIcon icon = icons.GetIconOfExactSize(wxSize(size, size));
    ASSERT_TRUE(icon.IsOk()) << size;
    wxBitmap bitmap;
    bitmap.CopyFromIcon(icon);
    const wxImage image = bitmap.ConvertToImage();
    ASSERT_TRUE(image.HasAlpha()) << size;
    EXPECT_EQ(image.GetAlpha(0, 0), 0) << size;
    EXPECT_EQ(image.GetAlpha(size / 2, size / 2), 255) << size;
  }
}

}  // namespace
}  // namespace sondrel
