// Window tests: a wx application without a main loop, then GoogleTest.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

namespace {
class TestApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};
}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  wxApp::SetInstance(new TestApp);
  if (!wxEntryStart(argc, argv)) return 2;
  wxTheApp->CallOnInit();
  const int result = RUN_ALL_TESTS();
  wxEntryCleanup();
  return result;
}
