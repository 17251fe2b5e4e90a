// sondrel --help and --version: answered without a display, before the
// window layer starts.
#include <gtest/gtest.h>

#include <string>

#include "support/run_command.h"

namespace sondrel {
namespace {

TEST(SondrelInfo, HelpAndVersionNeedNoDisplay) {
  struct Case {
    const char* args;
    const char* firstLine;
  };
  const Case cases[] = {
      {"--help", "Usage: sondrel [OPTION]... [FILE]..."},
      {"-h", "Usage: sondrel [OPTION]... [FILE]..."},
      {"a.wav --help", "Usage: sondrel [OPTION]... [FILE]..."},
      {"--version", "sondrel 3.0"},
  };
  for (const Case& c : cases) {
    const test::CommandResult r = test::RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY " +
                                                   test::Quoted(SONDREL_GUI) + " " + c.args);
    EXPECT_EQ(r.status, 0) << c.args;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), c.firstLine) << c.args;
  }
  const test::CommandResult help = test::RunCommand(test::Quoted(SONDREL_GUI) + " --help");
  EXPECT_NE(help.out.find("--version"), std::string::npos);
}

}  // namespace
}  // namespace sondrel
