// The in-memory settings store behaves like registry keys.
#include "platform/settings_store.h"

#include <gtest/gtest.h>

namespace sondrel {
namespace {

TEST(MemorySettingsStore, GroupsValuesAndTypes) {
  MemorySettingsStore store;
  EXPECT_FALSE(store.HasGroup("Options"));
  ASSERT_TRUE(store.CreateGroup("Options/ID3"));
  EXPECT_TRUE(store.HasGroup("Options"));  // parents come with the group

  store.WriteText("Options", "Name", "text");
  int32_t number = 42;
  EXPECT_FALSE(store.ReadNumber("Options", "Name", number));  // a text is no number
  EXPECT_EQ(number, 42);
  EXPECT_TRUE(store.HasValue("Options", "Name"));
  std::string text;
  EXPECT_TRUE(store.ReadText("Options", "Name", text));
  EXPECT_EQ(text, "text");

  store.WriteNumber("Options/ID3", "Track", -7);
  store.EraseGroup("Options");
  EXPECT_FALSE(store.HasGroup("Options/ID3"));
  EXPECT_FALSE(store.ReadNumber("Options/ID3", "Track", number));
  EXPECT_EQ(store.writes, (std::vector<std::string>{"Options/Name", "Options/ID3/Track"}));

  store.readOnly = true;
  EXPECT_FALSE(store.CreateGroup("Options"));
  EXPECT_FALSE(store.WriteNumber("Options", "X", 1));
}

}  // namespace
}  // namespace sondrel
