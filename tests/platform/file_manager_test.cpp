#include "platform/file_manager.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scoped_env.h"
#include "support/session_bus.h"

namespace sondrel {
namespace {

using test::FakeFileManager;
using test::PrivateSessionBus;

// Awkward file names and the URI that selects exactly that file.
const struct {
  const char* name;
  std::string path;
  std::string uri;
} kAwkwardPaths[] = {
    {"double quotes", "/music/a \"quoted\" name.mp3", "file:///music/a%20%22quoted%22%20name.mp3"},
    {"backslash", "/music/back\\slash.mp3", "file:///music/back%5Cslash.mp3"},
    {"hash and percent", "/music/#1 at 100%.mp3", "file:///music/%231%20at%20100%25.mp3"},
    {"newline", "/music/two\nlines.mp3", "file:///music/two%0Alines.mp3"},
    {"Latin-1 byte, not UTF-8", "/music/caf\xe9.mp3", "file:///music/caf%E9.mp3"},
    {"UTF-8", "/music/caf\xc3\xa9 \xe6\x97\xa5.mp3", "file:///music/caf%C3%A9%20%E6%97%A5.mp3"},
    {"shell characters", "/music/$(rm -rf x); `y` & z's.mp3",
     "file:///music/$(rm%20-rf%20x)%3B%20%60y%60%20&%20z's.mp3"},
};

TEST(FileManager, FileUriEncodesEveryAwkwardByte) {
  for (const auto& c : kAwkwardPaths) {
    EXPECT_EQ(FileUri(c.path), c.uri) << c.name;
    // The file manager decodes it back to the very same bytes.
    gchar* back = g_filename_from_uri(c.uri.c_str(), nullptr, nullptr);
    ASSERT_NE(back, nullptr) << c.name;
    EXPECT_EQ(std::string(back), c.path) << c.name;
    g_free(back);
  }
  EXPECT_EQ(FileUri(""), "");
}

TEST(FileManager, ShowItemsSendsTheUriOfEachPath) {
  PrivateSessionBus bus;
  ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
  FakeFileManager fileManager(bus.Address());
  ASSERT_TRUE(fileManager.Ready());
  std::vector<std::vector<std::string>> expected;
  for (const auto& c : kAwkwardPaths) {
    int fallbacks = 0;
    ShowInFolder(c.path, [&](const std::string&) { ++fallbacks; });
    EXPECT_EQ(fallbacks, 0) << c.name;
    expected.push_back({c.uri});
  }
  EXPECT_EQ(fileManager.Calls(), expected);
}

TEST(FileManager, WithoutAFileManagerTheContainingFolderOpens) {
  const struct {
    const char* name;
    std::string path;
    std::string folder;
  } folders[] = {
      {"file", "/music/pop/a b.mp3", "/music/pop"},
      {"awkward folder", "/mu\"sic\n/#1%/c.mp3", "/mu\"sic\n/#1%"},
      {"top level", "/c.mp3", "/"},
      {"folder with trailing slash", "/music/pop/", "/music"},
  };
  std::vector<std::string> opened;
  auto record = [&](const std::string& folder) { opened.push_back(folder); };

  PrivateSessionBus bus;
  ASSERT_FALSE(bus.Address().empty());
  for (const auto& c : folders) {
    opened.clear();
    ShowInFolder(c.path, record);
    EXPECT_EQ(opened, std::vector<std::string>{c.folder}) << "no file manager: " << c.name;
  }
  {
    FakeFileManager failing(bus.Address(), /*fail=*/true);
    ASSERT_TRUE(failing.Ready());
    opened.clear();
    ShowInFolder("/music/pop/a.mp3", record);
    EXPECT_EQ(opened, std::vector<std::string>{"/music/pop"}) << "file manager failed";
    EXPECT_EQ(failing.Calls().size(), 1u);
  }
  test::ScopedEnv noBus("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
  opened.clear();
  ShowInFolder("/music/pop/a.mp3", record);
  EXPECT_EQ(opened, std::vector<std::string>{"/music/pop"}) << "no session bus";
}

}  // namespace
}  // namespace sondrel
