#include "platform/mediaruntime/asf_header.h"

#include <gtest/gtest.h>

#include <random>

namespace sondrel {
namespace {

void PutLe(std::vector<uint8_t>& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

const uint8_t kHeaderGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const uint8_t kFilePropsGuid[16] = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                    0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};

// A Header Object holding only a File Properties object.
std::vector<uint8_t> MinimalHeader(uint64_t fileSize, uint64_t play, uint64_t prerollMs,
                                   uint32_t flags, uint32_t bitrate) {
  std::vector<uint8_t> fp(kFilePropsGuid, kFilePropsGuid + 16);
  PutLe(fp, 104, 8);
  fp.insert(fp.end(), 16, 0xAB);  // file id
  PutLe(fp, fileSize, 8);
  PutLe(fp, 0, 8);  // creation
  PutLe(fp, 3, 8);  // packets
  PutLe(fp, play, 8);
  PutLe(fp, play, 8);
  PutLe(fp, prerollMs, 8);
  PutLe(fp, flags, 4);
  PutLe(fp, 3200, 4);
  PutLe(fp, 3200, 4);
  PutLe(fp, bitrate, 4);
  std::vector<uint8_t> h(kHeaderGuid, kHeaderGuid + 16);
  PutLe(h, 30 + fp.size(), 8);
  PutLe(h, 1, 4);
  h.push_back(1);
  h.push_back(2);
  h.insert(h.end(), fp.begin(), fp.end());
  return h;
}

const WmAttribute* Find(const AsfHeaderInfo& info, const std::string& name) {
  for (const auto& a : info.attributes) {
    if (a.name == name) return &a.attribute;
  }
  return nullptr;
}

TEST(AsfHeader, WrittenAttributesReadBackWithTheirTypes) {
  std::vector<AsfNamedAttribute> attrs = {
      {"Title", 0, WmAttribute::Text("Tïtle ♪")},
      {"Author", 0, WmAttribute::Text("Artist", false)},
      {"WM/TrackNumber", 0, WmAttribute::Dword(7)},
      {"WM/Year", 0, WmAttribute::Text("1999", false)},
      {"Big", 0, WmAttribute::Qword(0x123456789ABCull)},
      {"Flag", 0, WmAttribute::Bool(true)},
      {"Small", 0, WmAttribute::Word(513)},
      {"Blob", 0, WmAttribute::Binary({1, 2, 3})},
      {"Emoji", 0, WmAttribute::Text("a\U0001F600b")},
  };
  std::vector<uint8_t> objects;
  uint32_t count = 0;
  ASSERT_TRUE(BuildAttributeObjects(attrs, objects, count));
  EXPECT_EQ(count, 2u);  // content description + extended content

  std::vector<uint8_t> header = MinimalHeader(5000, 30000000, 3100, 2, 128000);
  ASSERT_TRUE(InsertHeaderObjects(header, objects, count, objects.size()));
  EXPECT_EQ(AsfHeaderObjectSize(header.data(), header.size()), header.size());

  AsfHeaderInfo info;
  ASSERT_TRUE(ParseAsfHeader(header.data(), header.size(), info));
  ASSERT_TRUE(info.hasFileProperties);
  EXPECT_EQ(info.playDuration, 30000000u);
  EXPECT_EQ(info.preroll, 3100u);
  EXPECT_EQ(info.maxBitrate, 128000u);

  ASSERT_TRUE(Find(info, "Title"));
  EXPECT_EQ(Find(info, "Title")->AsText(), "Tïtle ♪");
  EXPECT_EQ(Find(info, "Author")->AsText(), "Artist");
  uint32_t track = 0;
  ASSERT_TRUE(Find(info, "WM/TrackNumber")->AsDword(track));
  EXPECT_EQ(track, 7u);
  EXPECT_EQ(Find(info, "WM/Year")->type, WmAttrType::kString);
  uint64_t big = 0;
  ASSERT_TRUE(Find(info, "Big")->AsQword(big));
  EXPECT_EQ(big, 0x123456789ABCull);
  EXPECT_EQ(Find(info, "Flag")->type, WmAttrType::kBool);
  EXPECT_EQ(Find(info, "Small")->type, WmAttrType::kWord);
  EXPECT_EQ(Find(info, "Blob")->value, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(Find(info, "Emoji")->AsText(), "a\U0001F600b");
  // Content Description fields come first.
  EXPECT_EQ(info.attributes[0].name, "Title");
  EXPECT_EQ(info.attributes[1].name, "Author");

  // The file size grew by the inserted bytes.
  const uint64_t fileSizeAt = 30 + 24 + 16;
  uint64_t size = 0;
  for (int i = 7; i >= 0; --i) size = (size << 8) | header[fileSizeAt + i];
  EXPECT_EQ(size, 5000 + objects.size());
}

TEST(AsfHeader, RefusesWhatTheHeaderCannotHold) {
  std::vector<uint8_t> objects;
  uint32_t count = 0;
  SCOPED_TRACE("a GUID value");
  EXPECT_FALSE(BuildAttributeObjects({{"G", 0, {WmAttrType::kGuid, std::vector<uint8_t>(16)}}},
                                     objects, count));
  SCOPED_TRACE("a stream attribute");
  EXPECT_FALSE(BuildAttributeObjects({{"X", 2, WmAttribute::Dword(1)}}, objects, count));
  SCOPED_TRACE("a value over 64 KiB");
  EXPECT_FALSE(BuildAttributeObjects({{"Lyrics", 0, WmAttribute::Text(std::string(40000, 'x'))}},
                                     objects, count));
  SCOPED_TRACE("a number of the wrong width");
  EXPECT_FALSE(BuildAttributeObjects({{"N", 0, {WmAttrType::kDword, {1, 2}}}}, objects, count));
  SCOPED_TRACE("nothing to write");
  EXPECT_TRUE(BuildAttributeObjects({}, objects, count));
  EXPECT_TRUE(objects.empty());
  EXPECT_EQ(count, 0u);
}

TEST(AsfHeader, TruncatedAndGarbageHeadersNeverReadOutOfBounds) {
  std::vector<AsfNamedAttribute> attrs = {{"Title", 0, WmAttribute::Text("T")},
                                          {"WM/Genre", 0, WmAttribute::Text("Rock")}};
  std::vector<uint8_t> objects;
  uint32_t count = 0;
  ASSERT_TRUE(BuildAttributeObjects(attrs, objects, count));
  std::vector<uint8_t> header = MinimalHeader(1, 1, 0, 0, 0);
  ASSERT_TRUE(InsertHeaderObjects(header, objects, count, 0));

  SCOPED_TRACE("every truncation");
  for (size_t cut = 0; cut <= header.size(); ++cut) {
    std::vector<uint8_t> part(header.begin(), header.begin() + cut);
    AsfHeaderInfo info;
    EXPECT_EQ(ParseAsfHeader(part.data(), part.size(), info), cut >= 30) << cut;
  }

  SCOPED_TRACE("random bytes after a valid prefix");
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    std::vector<uint8_t> bytes = header;
    for (size_t i = 30; i < bytes.size(); ++i) {
      if (rng() % 8 == 0) bytes[i] = static_cast<uint8_t>(rng());
    }
    AsfHeaderInfo info;
    ParseAsfHeader(bytes.data(), bytes.size(), info);
  }

  SCOPED_TRACE("not a header");
  std::vector<uint8_t> junk(100, 0x55);
  AsfHeaderInfo info;
  EXPECT_FALSE(ParseAsfHeader(junk.data(), junk.size(), info));
  std::vector<uint8_t> bad = header;
  bad.resize(bad.size() - 1);
  EXPECT_FALSE(InsertHeaderObjects(bad, objects, count, 0));
}

TEST(WmAttribute, TextAndNumbersConvert) {
  EXPECT_EQ(WmAttribute::Text("x", true).value, (std::vector<uint8_t>{'x', 0, 0, 0}));
  EXPECT_EQ(WmAttribute::Text("x", false).value, (std::vector<uint8_t>{'x', 0}));
  SCOPED_TRACE("an unpaired surrogate and an odd byte count");
  const std::vector<uint8_t> odd = {0x00, 0xD8, 'a', 0, 'b'};
  EXPECT_EQ(Utf16LeToUtf8(odd.data(), odd.size()),
            "\xEF\xBF\xBD"
            "a");
  SCOPED_TRACE("a number read as the wrong type");
  uint32_t d = 0;
  EXPECT_FALSE(WmAttribute::Qword(1).AsDword(d));
  EXPECT_TRUE(WmAttribute::Text("5").AsText() == "5");
  EXPECT_TRUE(WmAttribute::Dword(5).AsText().empty());
}

}  // namespace
}  // namespace sondrel
