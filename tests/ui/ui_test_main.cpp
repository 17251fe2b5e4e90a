// Window tests: a wx application without a main loop, then GoogleTest.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

namespace {

class TestApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

// A wx assertion would open a modal dialog and hang the run: fail the test instead.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
  ADD_FAILURE_AT(file.utf8_string().c_str(), line)
      << "wx assertion in " << func.utf8_string() << ": " << cond.utf8_string() << " "
      << msg.utf8_string();
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  wxApp::SetInstance(new TestApp);
  if (!wxEntryStart(argc, argv)) return 2;
  wxSetAssertHandler(FailOnAssert);
  wxTheApp->CallOnInit();
  const int result = RUN_ALL_TESTS();
  wxEntryCleanup();
  return result;
}
