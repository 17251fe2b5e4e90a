#include "platform/browser_command.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

using Args = std::vector<std::string>;
using namespace std::string_literals;

TEST(BrowserCommand, CutsAtTheTargetPlaceholder) {
  const struct {
    const char* name;
    std::string line;
    std::string kept;
  } cases[] = {
      {"quoted %1 and what follows", "firefox \"%1\" --new", "firefox "},
      {"quoted %1 after a quoted program", "\"C:\\Program Files\\Web\\web.exe\" -osint -url \"%1\"",
       "\"C:\\Program Files\\Web\\web.exe\" -osint -url "},
      {"the quoted one wins over an earlier bare one", "web -a %1 -b \"%1\" -c", "web -a %1 -b "},
      {"bare %1", "web %1 --tab", "web "},
      {"%u", "firefox-esr %u", "firefox-esr "},
      {"%U with options after it", "chromium %U --incognito", "chromium "},
      {"quoted %u", "web --url \"%u\"", "web --url "},
      {"%f and %F", "viewer %f", "viewer "},
      {"%s of $BROWSER", "w3m %s", "w3m "},
      {"an escaped percent sign is no placeholder", "web --zoom=100%% %u", "web --zoom=100%% "},
      {"no placeholder at all", "lynx -accept_all_cookies", "lynx -accept_all_cookies"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CutAtTargetPlaceholder(c.line), c.kept) << c.name;
}

TEST(BrowserCommand, BuildsArgumentsWithoutAShell) {
  const std::string target = "https://example.org/a b?q=\"x\"&r=$HOME;`id`";
  const struct {
    const char* name;
    std::string line;
    std::optional<Args> expected;
  } cases[] = {
      {"quoted placeholder", "firefox \"%1\" --new", Args{"firefox", target}},
      {"program path with blanks", "\"/opt/my web/run\" --private %U",
       Args{"/opt/my web/run", "--private", target}},
      {"escapes inside quotes", "sh -c \"echo \\\"\\$x\\\" \\\\\" %u",
       Args{"sh", "-c", "echo \"$x\" \\", target}},
      {"other field codes dropped, %% kept", "web %i --zoom=100%% %c %u",
       Args{"web", "--zoom=100%", target}},
      {"tabs and repeated blanks", "  web\t\t--a   %u", Args{"web", "--a", target}},
      {"no placeholder: target appended", "lynx", Args{"lynx", target}},
      {"empty quoted argument kept", "web \"\" %u", Args{"web", "", target}},
      {"nothing before the placeholder", "%u", std::nullopt},
      {"empty line", "", std::nullopt},
      {"unclosed quote", "\"/opt/web --new %u", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(BrowserArguments(c.line, target), c.expected) << c.name;
}

TEST(BrowserCommand, RecognisesUriSchemes) {
  EXPECT_TRUE(HasUriScheme("https://sondrel.org"));
  EXPECT_TRUE(HasUriScheme("mailto:someone@example.org"));
  EXPECT_TRUE(HasUriScheme("svn+ssh://host/x"));
  EXPECT_FALSE(HasUriScheme("C:\\Music\\a.mp3"));
  EXPECT_FALSE(HasUriScheme("/home/u/a:b.mp3"));
  EXPECT_FALSE(HasUriScheme("a b:c"));
  EXPECT_FALSE(HasUriScheme(""));
}

// Waits (at most a few seconds) for a file that a started program writes.
std::string WaitForFile(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    if (access(path.c_str(), F_OK) == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      return test::ReadFileBytes(path);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return std::string();
}

TEST(BrowserCommand, StartsTheBrowserOfBrowserWithTheTargetAsOneArgument) {
  test::TempDir dir;
  // A stand-in browser that writes its arguments, each ended by a NUL.
  const std::string script = dir.File("web browser.sh");
  const std::string out = dir.File("args");
  test::WriteFileBytes(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"" +
                                   out + ".tmp\" && mv \"" + out + ".tmp\" \"" + out + "\"\n");
  chmod(script.c_str(), 0755);
  const std::string browser = "\"" + script + "\" --new-window \"%1\" --ignored:other-browser";
  test::ScopedEnv env("BROWSER", browser.c_str());
  EXPECT_EQ(DefaultBrowserCommandLine(), "\"" + script + "\" --new-window \"%1\" --ignored");

  const std::string url = "https://example.org/a b?x=\"1\"&y=$HOME";
  ASSERT_TRUE(OpenWithDefaultBrowser(url));
  EXPECT_EQ(WaitForFile(out), "--new-window\0"s + url + '\0');

  // A path goes as its file:// URI.
  unlink(out.c_str());
  ASSERT_TRUE(OpenWithDefaultBrowser("/music/-a #1.mp3"));
  EXPECT_EQ(WaitForFile(out), "--new-window\0file:///music/-a%20%231.mp3\0"s);

  test::ScopedEnv missing("BROWSER", "/nonexistent/web %u");
  EXPECT_FALSE(OpenWithDefaultBrowser(url));
}

}  // namespace
}  // namespace sondrel
