#include "platform/mediaruntime/asf_header.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/file.h"

namespace sondrel {

namespace {

using Guid = std::array<uint8_t, 16>;

// GUIDs in their on-disk byte order (first three fields little-endian).
constexpr Guid kHeaderGuid = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                              0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid kFilePropertiesGuid = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                      0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid kStreamPropertiesGuid = {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11,
                                        0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid kHeaderExtensionGuid = {0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11,
                                       0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid kContentDescriptionGuid = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                          0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid kExtendedContentGuid = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                       0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};
constexpr Guid kMetadataGuid = {0xEA, 0xCB, 0xF8, 0xC5, 0xAF, 0x5B, 0x77, 0x48,
                                0x84, 0x67, 0xAA, 0x8C, 0x44, 0xFA, 0x4C, 0xCA};
constexpr Guid kMetadataLibraryGuid = {0x94, 0x1C, 0x23, 0x44, 0x98, 0x94, 0xD1, 0x49,
                                       0xA1, 0x41, 0x1D, 0x13, 0x4E, 0x45, 0x70, 0x54};
constexpr Guid kAudioMediaGuid = {0x40, 0x9E, 0x69, 0xF8, 0x4D, 0x5B, 0xCF, 0x11,
                                  0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B};
constexpr Guid kVideoMediaGuid = {0xC0, 0xEF, 0x19, 0xBC, 0x4D, 0x5B, 0xCF, 0x11,
                                  0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B};

constexpr size_t kObjectPrefix = 24;  // GUID + 64-bit size
constexpr uint64_t kMaxHeaderRead = 16u << 20;

const char* const kContentNames[5] = {"Title", "Author", "Copyright", "Description", "Rating"};

bool SameGuid(const uint8_t* p, const Guid& g) { return std::memcmp(p, g.data(), 16) == 0; }

// Attribute data types of the extended-content and metadata objects.
bool AttrTypeFromStored(uint64_t stored, WmAttrType& type) {
  switch (stored) {
    case 0:
      type = WmAttrType::kString;
      return true;
    case 1:
      type = WmAttrType::kBinary;
      return true;
    case 2:
      type = WmAttrType::kBool;
      return true;
    case 3:
      type = WmAttrType::kDword;
      return true;
    case 4:
      type = WmAttrType::kQword;
      return true;
    case 5:
      type = WmAttrType::kWord;
      return true;
    case 6:
      type = WmAttrType::kGuid;
      return true;
    default:
      return false;
  }
}

uint16_t StoredAttrType(WmAttrType type) {
  switch (type) {
    case WmAttrType::kString:
      return 0;
    case WmAttrType::kBinary:
      return 1;
    case WmAttrType::kBool:
      return 2;
    case WmAttrType::kDword:
      return 3;
    case WmAttrType::kQword:
      return 4;
    case WmAttrType::kWord:
      return 5;
    case WmAttrType::kGuid:
      return 6;
  }
  return 1;
}

void ParseFileProperties(ByteCursor c, AsfHeaderInfo& info) {
  c.Skip(16);  // file id
  c.Skip(8);   // file size
  c.Skip(8);   // creation date
  c.Skip(8);   // data packets
  const uint64_t play = c.Le64();
  c.Skip(8);  // send duration
  const uint64_t preroll = c.Le64();
  const uint64_t flags = c.Le32();
  c.Skip(8);  // packet sizes
  const uint64_t maxBitrate = c.Le32();
  if (!c.Ok()) return;
  info.hasFileProperties = true;
  info.playDuration = play;
  info.preroll = preroll;
  info.flags = static_cast<uint32_t>(flags);
  info.maxBitrate = static_cast<uint32_t>(maxBitrate);
}

void ParseStreamProperties(ByteCursor c, AsfHeaderInfo& info) {
  AsfStreamEntry entry;
  if (ByteCursor(c).Match(kAudioMediaGuid.data(), 16)) {
    entry.type = WmMajorType::kAudio;
  } else {
    entry.type =
        ByteCursor(c).Match(kVideoMediaGuid.data(), 16) ? WmMajorType::kVideo : WmMajorType::kOther;
  }
  c.Skip(16 + 16 + 8 + 4 + 4);  // types, time offset, data lengths
  const uint64_t flags = c.Le16();
  if (!c.Ok()) return;
  entry.number = static_cast<uint16_t>(flags & 0x7F);
  info.streams.push_back(entry);
}

void ParseContentDescription(ByteCursor c, AsfHeaderInfo& info) {
  uint64_t lengths[5];
  for (uint64_t& len : lengths) len = c.Le16();
  for (int i = 0; i < 5 && c.Ok(); ++i) {
    const uint8_t* p = c.Bytes(lengths[i]);
    if (!p) return;
    AsfNamedAttribute a;
    a.name = kContentNames[i];
    a.attribute.type = WmAttrType::kString;
    a.attribute.value.assign(p, p + lengths[i]);
    if (!a.attribute.AsText().empty()) info.attributes.push_back(std::move(a));
  }
}

void ParseExtendedContent(ByteCursor c, AsfHeaderInfo& info) {
  const uint64_t count = c.Le16();
  for (uint64_t i = 0; i < count && c.Ok(); ++i) {
    const uint64_t nameLen = c.Le16();
    const uint8_t* name = c.Bytes(nameLen);
    const uint64_t stored = c.Le16();
    const uint64_t valueLen = c.Le16();
    const uint8_t* value = c.Bytes(valueLen);
    if (!c.Ok()) return;
    AsfNamedAttribute a;
    if (!AttrTypeFromStored(stored, a.attribute.type) || a.attribute.type == WmAttrType::kGuid)
      continue;
    a.name = Utf16LeToUtf8(name, nameLen);
    a.attribute.value.assign(value, value + valueLen);
    info.attributes.push_back(std::move(a));
  }
}

// Metadata and Metadata Library objects share one record layout.
void ParseMetadataRecords(ByteCursor c, AsfHeaderInfo& info) {
  const uint64_t count = c.Le16();
  for (uint64_t i = 0; i < count && c.Ok(); ++i) {
    c.Skip(2);  // language index
    const uint64_t stream = c.Le16();
    const uint64_t nameLen = c.Le16();
    const uint64_t stored = c.Le16();
    const uint64_t valueLen = c.Le32();
    const uint8_t* name = c.Bytes(nameLen);
    const uint8_t* value = c.Bytes(valueLen);
    if (!c.Ok()) return;
    AsfNamedAttribute a;
    if (!AttrTypeFromStored(stored, a.attribute.type)) continue;
    a.name = Utf16LeToUtf8(name, nameLen);
    a.stream = static_cast<uint16_t>(stream);
    a.attribute.value.assign(value, value + valueLen);
    info.attributes.push_back(std::move(a));
  }
}

// Walks the objects under `c`, calling `visit` with each one's GUID position
// and a cursor over its body (cut at the end of `c` when truncated).
template <typename Visit>
void WalkObjects(ByteCursor c, Visit visit) {
  while (c.Left() >= kObjectPrefix) {
    const uint8_t* guid = c.Bytes(16);
    const uint64_t objSize = c.Le64();
    if (objSize < kObjectPrefix) return;
    visit(guid, c.Take(objSize - kObjectPrefix));
  }
}

void ParseHeaderExtension(ByteCursor c, AsfHeaderInfo& info) {
  c.Skip(16 + 2);
  const uint64_t dataSize = c.Le32();
  if (!c.Ok()) return;
  WalkObjects(c.Take(dataSize), [&](const uint8_t* guid, ByteCursor body) {
    if (SameGuid(guid, kMetadataGuid) || SameGuid(guid, kMetadataLibraryGuid)) {
      ParseMetadataRecords(body, info);
    }
  });
}

void PutLe(std::vector<uint8_t>& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void SetLe(uint8_t* p, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutObjectStart(std::vector<uint8_t>& out, const Guid& g, size_t& start) {
  start = out.size();
  out.insert(out.end(), g.begin(), g.end());
  PutLe(out, 0, 8);
}

void EndObject(std::vector<uint8_t>& out, size_t start) {
  SetLe(out.data() + start + 16, out.size() - start, 8);
}

// A string value as stored: the text up to its first null, then a null.
std::vector<uint8_t> StoredString(const WmAttribute& a) {
  std::vector<uint8_t> s = Utf8ToUtf16Le(a.AsText());
  s.insert(s.end(), {0, 0});
  return s;
}

// The stored value of an extended-content attribute; false when the type or
// the width does not fit that object.
bool StoredValue(const WmAttribute& a, std::vector<uint8_t>& value) {
  switch (a.type) {
    case WmAttrType::kString:
      value = StoredString(a);
      return true;
    case WmAttrType::kBinary:
      value = a.value;
      return true;
    case WmAttrType::kBool: {
      const bool on = std::any_of(a.value.begin(), a.value.end(), [](uint8_t b) { return b; });
      value.clear();
      PutLe(value, on ? 1 : 0, 4);
      return true;
    }
    case WmAttrType::kDword:
      value = a.value;
      return a.value.size() == 4;
    case WmAttrType::kQword:
      value = a.value;
      return a.value.size() == 8;
    case WmAttrType::kWord:
      value = a.value;
      return a.value.size() == 2;
    case WmAttrType::kGuid:
      return false;
  }
  return false;
}

int ContentIndex(const std::string& name) {
  for (int i = 0; i < 5; ++i) {
    if (name == kContentNames[i]) return i;
  }
  return -1;
}

}  // namespace

uint64_t AsfHeaderObjectSize(const uint8_t* data, size_t size) {
  ByteCursor c(data, size);
  if (size < kAsfHeaderPrefix || !c.Match(kHeaderGuid.data(), 16)) return 0;
  const uint64_t s = c.Le64();
  return s >= kAsfHeaderPrefix ? s : 0;
}

bool ParseAsfHeader(const uint8_t* data, size_t size, AsfHeaderInfo& info) {
  info = AsfHeaderInfo();
  const uint64_t claimed = AsfHeaderObjectSize(data, size);
  if (claimed == 0) return false;
  ByteCursor header(data, size);
  header.Skip(kAsfHeaderPrefix);
  WalkObjects(header.Take(claimed - kAsfHeaderPrefix), [&](const uint8_t* guid, ByteCursor body) {
    if (SameGuid(guid, kFilePropertiesGuid)) {
      ParseFileProperties(body, info);
    } else if (SameGuid(guid, kStreamPropertiesGuid)) {
      ParseStreamProperties(body, info);
    } else if (SameGuid(guid, kContentDescriptionGuid)) {
      ParseContentDescription(body, info);
    } else if (SameGuid(guid, kExtendedContentGuid)) {
      ParseExtendedContent(body, info);
    } else if (SameGuid(guid, kHeaderExtensionGuid)) {
      ParseHeaderExtension(body, info);
    }
  });
  // Content Description fields come before every other attribute.
  std::stable_partition(info.attributes.begin(), info.attributes.end(),
                        [](const AsfNamedAttribute& a) { return ContentIndex(a.name) >= 0; });
  return true;
}

bool ReadAsfHeader(const std::string& path, AsfHeaderInfo& info) {
  info = AsfHeaderInfo();
  File file;
  uint8_t prefix[kAsfHeaderPrefix];
  if (!file.Open(path) || !file.ReadExactAt(0, prefix, sizeof prefix)) return false;
  const uint64_t claimed = AsfHeaderObjectSize(prefix, sizeof prefix);
  if (claimed == 0) return false;
  // Never more than the file holds, whatever the header claims.
  std::vector<uint8_t> header(static_cast<size_t>(
      std::max<uint64_t>(sizeof prefix, std::min({claimed, kMaxHeaderRead, file.Size()}))));
  header.resize(file.ReadAt(0, header.data(), header.size()));
  return ParseAsfHeader(header.data(), header.size(), info);
}

bool BuildAttributeObjects(const std::vector<AsfNamedAttribute>& attributes,
                           std::vector<uint8_t>& objects, uint32_t& objectCount) {
  objects.clear();
  objectCount = 0;
  std::vector<uint8_t> content[5];
  bool hasContent[5] = {};
  std::vector<const AsfNamedAttribute*> extended;
  for (const AsfNamedAttribute& a : attributes) {
    if (a.stream != 0) return false;
    const int ci = ContentIndex(a.name);
    if (ci >= 0 && !hasContent[ci] && a.attribute.type == WmAttrType::kString) {
      content[ci] = StoredString(a.attribute);
      if (content[ci].size() > 0xFFFF) return false;
      hasContent[ci] = true;
    } else {
      extended.push_back(&a);
    }
  }

  if (std::any_of(std::begin(hasContent), std::end(hasContent), [](bool b) { return b; })) {
    size_t start = 0;
    PutObjectStart(objects, kContentDescriptionGuid, start);
    for (const auto& s : content) PutLe(objects, s.size(), 2);
    for (const auto& s : content) objects.insert(objects.end(), s.begin(), s.end());
    EndObject(objects, start);
    ++objectCount;
  }

  if (!extended.empty()) {
    if (extended.size() > 0xFFFF) return false;
    size_t start = 0;
    PutObjectStart(objects, kExtendedContentGuid, start);
    PutLe(objects, extended.size(), 2);
    for (const AsfNamedAttribute* a : extended) {
      std::vector<uint8_t> name = Utf8ToUtf16Le(a->name);
      name.insert(name.end(), {0, 0});
      std::vector<uint8_t> value;
      if (!StoredValue(a->attribute, value)) return false;
      if (name.size() > 0xFFFF || value.size() > 0xFFFF) return false;
      PutLe(objects, name.size(), 2);
      objects.insert(objects.end(), name.begin(), name.end());
      PutLe(objects, StoredAttrType(a->attribute.type), 2);
      PutLe(objects, value.size(), 2);
      objects.insert(objects.end(), value.begin(), value.end());
    }
    EndObject(objects, start);
    ++objectCount;
  }
  return true;
}

bool InsertHeaderObjects(std::vector<uint8_t>& header, const std::vector<uint8_t>& objects,
                         uint32_t count, uint64_t fileSizeDelta) {
  if (AsfHeaderObjectSize(header.data(), header.size()) != header.size()) return false;
  // Patch the file size first, while the children are where the walk expects.
  bool patched = false;
  ByteCursor children(header.data(), header.size());
  children.Skip(kAsfHeaderPrefix);
  WalkObjects(children, [&](const uint8_t* guid, ByteCursor body) {
    if (patched || !SameGuid(guid, kFilePropertiesGuid) || body.Left() < 24) return;
    uint8_t* sizeField = const_cast<uint8_t*>(guid) + kObjectPrefix + 16;
    SetLe(sizeField, LoadLe64(sizeField) + fileSizeDelta, 8);
    patched = true;
  });
  if (!patched) return false;
  const uint64_t oldCount = LoadLe32(header.data() + 24);
  header.insert(header.end(), objects.begin(), objects.end());
  SetLe(header.data() + 16, header.size(), 8);
  SetLe(header.data() + 24, oldCount + count, 4);
  return true;
}

}  // namespace sondrel
