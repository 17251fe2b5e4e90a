// The byte cursor (endianness, bounds) and the file owner's random access.
#include "platform/bytes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <functional>
#include <string>

#include "platform/file.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

const uint8_t kBytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09};

// A cursor over `s`, which must outlive it.
ByteCursor Over(const std::string& s) {
  return ByteCursor(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

TEST(ByteCursor, NumbersInEitherByteOrder) {
  struct Case {
    const char* name;
    std::function<uint64_t(ByteCursor&)> read;
    uint64_t expected;
    size_t pos;
  };
  const Case cases[] = {
      {"U8", [](ByteCursor& c) { return c.U8(); }, 0x01, 1},
      {"Be16", [](ByteCursor& c) { return c.Be16(); }, 0x0102, 2},
      {"Le16", [](ByteCursor& c) { return c.Le16(); }, 0x0201, 2},
      {"Be24", [](ByteCursor& c) { return c.Be24(); }, 0x010203, 3},
      {"Be32", [](ByteCursor& c) { return c.Be32(); }, 0x01020304, 4},
      {"Le32", [](ByteCursor& c) { return c.Le32(); }, 0x04030201, 4},
      {"Be64", [](ByteCursor& c) { return c.Be64(); }, 0x0102030405060708, 8},
      {"Le64", [](ByteCursor& c) { return c.Le64(); }, 0x0807060504030201, 8},
      {"U32 big", [](ByteCursor& c) { return c.U32(Endian::kBig); }, 0x01020304, 4},
      {"U32 little", [](ByteCursor& c) { return c.U32(Endian::kLittle); }, 0x04030201, 4},
      {"Le of 5 bytes", [](ByteCursor& c) { return c.Le(5); }, 0x0504030201, 5},
      {"Be of 7 bytes", [](ByteCursor& c) { return c.Be(7); }, 0x01020304050607, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ByteCursor cursor(kBytes, sizeof kBytes);
    EXPECT_EQ(c.read(cursor), c.expected);
    EXPECT_TRUE(cursor.Ok());
    EXPECT_EQ(cursor.Pos(), c.pos);
    EXPECT_EQ(cursor.Left(), sizeof kBytes - c.pos);
  }
  EXPECT_EQ(LoadBe32(kBytes + 1), 0x02030405u);
  EXPECT_EQ(LoadLe32(kBytes + 5), 0x09080706u);
  EXPECT_EQ(LoadBe64(kBytes + 1), 0x0203040506070809u);
  EXPECT_EQ(LoadLe64(kBytes), 0x0807060504030201u);
}

TEST(ByteCursor, ReadsPastTheEndFailAndStayFailed) {
  ByteCursor c(kBytes, 3);
  EXPECT_EQ(c.Be32(), 0u) << "four bytes from three";
  EXPECT_FALSE(c.Ok());
  EXPECT_EQ(c.Pos(), 0u) << "a failed read moves nothing";
  EXPECT_EQ(c.Left(), 0u);
  EXPECT_EQ(c.U8(), 0u) << "a byte that is there is not read after a failure";
  EXPECT_EQ(c.Bytes(0), nullptr);
  EXPECT_FALSE(c.Skip(0));

  ByteCursor exact(kBytes, 4);
  EXPECT_EQ(exact.Be32(), 0x01020304u);
  EXPECT_TRUE(exact.Ok()) << "reading the last byte is not past the end";
  EXPECT_EQ(exact.Bytes(1), nullptr);
  EXPECT_FALSE(exact.Ok());

  ByteCursor skip(kBytes, 9);
  EXPECT_FALSE(skip.Skip(10));
  EXPECT_FALSE(skip.Ok());

  ByteCursor huge(kBytes, 9);
  EXPECT_EQ(huge.Bytes(SIZE_MAX), nullptr) << "a length that would wrap around";

  ByteCursor none(nullptr, 100);
  EXPECT_EQ(none.Size(), 0u) << "null data holds no bytes whatever the size";
  EXPECT_EQ(none.U8(), 0u);
  EXPECT_FALSE(none.Ok());
}

TEST(ByteCursor, MatchHasAtTakeAndSeek) {
  const std::string riff("RIFF\x04\x00\x00\x00WAVEdata", 16);
  ByteCursor c = Over(riff);
  EXPECT_TRUE(c.HasAt(8, "WAVE"));
  EXPECT_TRUE(c.HasAt(16, ""));
  EXPECT_FALSE(c.HasAt(14, "data")) << "runs past the end";
  EXPECT_FALSE(c.HasAt(17, "")) << "starts past the end";
  EXPECT_EQ(c.Pos(), 0u) << "HasAt reads nothing";

  EXPECT_TRUE(c.Match("RIFF"));
  EXPECT_EQ(c.Le32(), 4u);
  EXPECT_FALSE(c.Match("AIFF")) << "different bytes: false, but the cursor stays good";
  EXPECT_TRUE(c.Ok());
  EXPECT_EQ(c.Pos(), 12u);

  {
    SCOPED_TRACE("a part that claims more than is left is cut");
    ByteCursor part = c.Take(100);
    EXPECT_EQ(part.Size(), 4u);
    EXPECT_TRUE(part.Match("data"));
    EXPECT_TRUE(c.Ok());
    EXPECT_EQ(c.Left(), 0u);
  }
  EXPECT_TRUE(c.Seek(4));
  EXPECT_EQ(c.Take(4).Le32(), 4u) << "a part reads from its own start";
  EXPECT_EQ(c.Pos(), 8u);
  EXPECT_FALSE(c.Seek(17));
  EXPECT_FALSE(c.Ok());

  const std::string rif = "RIF";
  ByteCursor shortMagic = Over(rif);
  EXPECT_FALSE(shortMagic.Match("RIFF"));
  EXPECT_FALSE(shortMagic.Ok());
}

TEST(ByteCursor, ExtendedFloat) {
  struct Case {
    const char* name;
    std::string bytes;
    double expected;
  };
  const Case cases[] = {
      {"44100", std::string("\x40\x0E\xAC\x44\0\0\0\0\0\0", 10), 44100.0},
      {"8000", std::string("\x40\x0B\xFA\0\0\0\0\0\0\0", 10), 8000.0},
      {"0.5", std::string("\x3F\xFE\x80\0\0\0\0\0\0\0", 10), 0.5},
      {"-22050", std::string("\xC0\x0D\xAC\x44\0\0\0\0\0\0", 10), -22050.0},
      {"zero", std::string(10, '\0'), 0.0},
      {"largest exponent", std::string("\x7F\xFF\x12\0\0\0\0\0\0\0", 10), HUGE_VAL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ByteCursor cursor = Over(c.bytes);
    EXPECT_EQ(cursor.Extended80Be(), c.expected);
    EXPECT_EQ(cursor.Pos(), 10u);
  }
  const std::string nine("\x40\x0E\xAC\x44\0\0\0\0\0", 9);
  ByteCursor cut = Over(nine);
  EXPECT_EQ(cut.Extended80Be(), 0.0);
  EXPECT_FALSE(cut.Ok());
  EXPECT_EQ(cut.Pos(), 0u);
}

// The same reads from memory and from a file give the same bytes.
TEST(ByteSource, MemoryAndFileReadAtAlike) {
  test::TempDir dir;
  const std::string text = "0123456789";
  test::WriteFileBytes(dir.File("f"), text);
  File file;
  ASSERT_TRUE(file.Open(dir.File("f")));
  MemorySource memory(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  struct Case {
    uint64_t offset;
    size_t size;
    std::string expected;
  };
  const Case cases[] = {{5, 3, "567"},       {0, 2, "01"}, {8, 5, "89"}, {10, 1, ""},
                        {1ull << 62, 4, ""}, {2, 0, ""},   {9, 1, "9"}};
  for (ByteSource* source : {static_cast<ByteSource*>(&file), static_cast<ByteSource*>(&memory)}) {
    EXPECT_EQ(source->Size(), 10u);
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.offset << " + " << c.size);
      char buffer[16] = {};
      const size_t got = source->ReadAt(c.offset, buffer, c.size);
      EXPECT_EQ(std::string(buffer, got), c.expected);
    }
  }
  // Sequential reads carry on where a ReadAt or a Seek left the file.
  char b[3] = {};
  ASSERT_TRUE(file.ReadExactAt(3, b, 2));
  ASSERT_TRUE(file.ReadExact(b, 3));
  EXPECT_EQ(std::string(b, 3), "567");
  ASSERT_TRUE(file.Seek(1));
  ASSERT_TRUE(file.ReadExact(b, 1));
  EXPECT_EQ(b[0], '1');
  EXPECT_FALSE(file.ReadExactAt(9, b, 2)) << "one byte left";
}

TEST(File, OpensRegularFilesOnly) {
  test::TempDir dir;
  File file;
  EXPECT_FALSE(file.Open(dir.File("missing")));
  EXPECT_FALSE(file.Open(dir.Path().string())) << "a folder";
  ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
  EXPECT_FALSE(file.Open(dir.File("pipe"))) << "a named pipe, refused without blocking";
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.Size(), 0u);
  char b[1];
  EXPECT_EQ(file.ReadAt(0, b, 1), 0u);
  EXPECT_FALSE(file.Write("x", 1));
  EXPECT_FALSE(ReadWholeFile(dir.File("pipe"), 100));
  EXPECT_FALSE(ReadFileHead(dir.Path().string(), 4));
}

TEST(File, CreateReplacesAndWholeFileReadsKeepTheirLimits) {
  test::TempDir dir;
  const std::string path = dir.File("w");
  test::WriteFileBytes(path, "old contents");
  {
    File file;
    ASSERT_TRUE(file.Create(path));
    EXPECT_TRUE(file.Write("abc", 3));
    EXPECT_TRUE(file.Write("", 0));
  }
  EXPECT_EQ(test::ReadFileBytes(path), "abc");
  EXPECT_FALSE(File().Create(dir.File("no/such/folder/x")));

  using Bytes = std::vector<uint8_t>;
  EXPECT_EQ(ReadWholeFile(path, 3), (Bytes{'a', 'b', 'c'}));
  EXPECT_FALSE(ReadWholeFile(path, 2)) << "larger than allowed";
  test::WriteFileBytes(dir.File("empty"), "");
  EXPECT_FALSE(ReadWholeFile(dir.File("empty"), 100)) << "an empty file is no content";
  EXPECT_EQ(ReadFileHead(path, 2), (Bytes{'a', 'b'}));
  EXPECT_EQ(ReadFileHead(path, 10), (Bytes{'a', 'b', 'c'})) << "shorter than asked";
  EXPECT_EQ(ReadFileHead(dir.File("empty"), 10), Bytes{});
  EXPECT_FALSE(ReadFileHead(dir.File("missing"), 10));
}

}  // namespace
}  // namespace sondrel
