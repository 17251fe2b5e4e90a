#include "encode/wma_format_list.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "platform/mediaruntime/media_runtime.h"

namespace sondrel {
namespace {

WmaFormatEntry Entry(int rate, int bitRate, int channels, uint16_t tag = kWaveFormatWMAudioV8) {
  WmaFormatEntry e;
  e.mediaType.majorType = WmMajorType::kAudio;
  e.mediaType.subtype = SubtypeOfFormatTag(tag);
  e.mediaType.formatType = WmFormatType::kWaveFormatEx;
  e.mediaType.wave.formatTag = tag;
  e.mediaType.wave.samplesPerSec = static_cast<uint32_t>(rate);
  e.mediaType.wave.channels = static_cast<uint16_t>(channels);
  e.bitRate = bitRate;
  return e;
}

struct Key {
  int rate, bitRate, channels;
  bool operator==(const Key&) const = default;
};

std::vector<Key> Keys(const WmaFormatList& list) {
  std::vector<Key> keys;
  for (const WmaFormatEntry& e : list) keys.push_back({e.SampleRate(), e.bitRate, e.Channels()});
  return keys;
}

TEST(WmaFormatList, SortedByRateThenBitRateAndDuplicatesDropped) {
  WmaFormatList list;
  EXPECT_TRUE(list.Insert(Entry(44100, 128000, 2)));
  EXPECT_TRUE(list.Insert(Entry(22050, 32000, 1)));
  EXPECT_TRUE(list.Insert(Entry(44100, 64000, 2)));
  EXPECT_TRUE(list.Insert(Entry(48000, 32000, 2)));
  EXPECT_TRUE(list.Insert(Entry(44100, 64000, 1)));  // same rate and bit rate: goes before
  SCOPED_TRACE("the second of two equal formats is dropped");
  WmaFormatEntry dup = Entry(44100, 128000, 2);
  dup.mediaType.wave.blockAlign = 99;  // told apart only by what the key ignores
  EXPECT_FALSE(list.Insert(dup));
  SCOPED_TRACE("a duplicate behind a same-key format of other channels is found too");
  EXPECT_FALSE(list.Insert(Entry(44100, 64000, 2)));
  EXPECT_EQ(Keys(list), (std::vector<Key>{{22050, 32000, 1},
                                          {44100, 64000, 1},
                                          {44100, 64000, 2},
                                          {44100, 128000, 2},
                                          {48000, 32000, 2}}));
  for (const WmaFormatEntry& e : list) {
    if (e.bitRate == 128000) {
      EXPECT_EQ(e.mediaType.wave.blockAlign, 0);  // the first stayed
    }
  }
}

TEST(ChooseWmaFormat, RulesOfTheChoice) {
  auto choose = [](const WmaFormatList& list, int rate, int bitRate, int channels) {
    const WmaFormatEntry* e = nullptr;
    int br = -1;
    const bool found = ChooseWmaFormat(list, rate, bitRate, channels, e, br);
    EXPECT_EQ(found, e != nullptr);
    if (e) {
      EXPECT_EQ(br, e->bitRate);
    }
    return e ? Key{e->SampleRate(), e->bitRate, e->Channels()} : Key{0, 0, 0};
  };
  SCOPED_TRACE("equal distance takes the higher bit rate");
  {
    WmaFormatList l;
    l.Insert(Entry(44100, 96000, 2));
    l.Insert(Entry(44100, 160000, 2));
    EXPECT_EQ(choose(l, 44100, 128000, 2), (Key{44100, 160000, 2}));
  }
  SCOPED_TRACE("the strictly nearer lower one");
  {
    WmaFormatList l;
    l.Insert(Entry(44100, 96000, 2));
    l.Insert(Entry(44100, 192000, 2));
    EXPECT_EQ(choose(l, 44100, 128000, 2), (Key{44100, 96000, 2}));
  }
  SCOPED_TRACE("above every format of the rate: the highest of it, not the next rate");
  {
    WmaFormatList l;
    for (int br : {64000, 128000, 192000}) l.Insert(Entry(44100, br, 2));
    for (int br : {256000, 320000}) l.Insert(Entry(48000, br, 2));
    EXPECT_EQ(choose(l, 44100, 320000, 2), (Key{44100, 192000, 2}));
    EXPECT_EQ(choose(l, 44100, 128000, 2), (Key{44100, 128000, 2}));  // exact
    EXPECT_EQ(choose(l, 44100, 1000, 2), (Key{44100, 64000, 2}));
  }
  SCOPED_TRACE("32000 Hz mono with no 32000 Hz formats");
  {
    WmaFormatList l;
    l.Insert(Entry(22050, 24000, 1));
    l.Insert(Entry(22050, 32000, 1));
    l.Insert(Entry(32000, 48000, 2));
    l.Insert(Entry(44100, 32000, 2));
    l.Insert(Entry(44100, 64000, 1));
    l.Insert(Entry(44100, 96000, 1));
    EXPECT_EQ(choose(l, 32000, 48000, 1), (Key{44100, 64000, 1}));  // lowest of the next rate
    WmaFormatList below;
    below.Insert(Entry(16000, 24000, 1));
    below.Insert(Entry(22050, 24000, 1));
    below.Insert(Entry(22050, 32000, 1));
    below.Insert(Entry(44100, 64000, 2));
    EXPECT_EQ(choose(below, 32000, 48000, 1), (Key{22050, 32000, 1}));  // highest below
  }
  SCOPED_TRACE("nothing fits");
  {
    WmaFormatList empty;
    EXPECT_EQ(choose(empty, 44100, 128000, 2), (Key{0, 0, 0}));
    WmaFormatList stereo;
    stereo.Insert(Entry(44100, 128000, 2));
    EXPECT_EQ(choose(stereo, 44100, 128000, 1), (Key{0, 0, 0}));
  }
}

// A scripted enumeration.
class FakeCodecInfo : public WmCodecInfo {
 public:
  struct Format {
    WmaFormatEntry entry;
    std::string description = "fmt";
    bool fails = false;
  };
  std::vector<std::vector<Format>> codecs;
  bool countFails = false;
  int formatCountFailsAt = -1;

  WmStatus GetCodecInfoCount(WmMajorType, uint32_t& count) override {
    count = static_cast<uint32_t>(codecs.size());
    return countFails ? WmStatus::kFailed : WmStatus::kOk;
  }
  WmStatus GetCodecFormatCount(WmMajorType, uint32_t codec, uint32_t& count) override {
    if (static_cast<int>(codec) == formatCountFailsAt) return WmStatus::kFailed;
    count = static_cast<uint32_t>(codecs[codec].size());
    return WmStatus::kOk;
  }
  WmStatus GetCodecFormatDesc(WmMajorType, uint32_t codec, uint32_t format, WmStreamConfig& config,
                              std::string& description) override {
    const Format& f = codecs[codec][format];
    if (f.fails) return WmStatus::kFailed;
    config = WmStreamConfig(WmMajorType::kAudio);
    config.SetMediaType(f.entry.mediaType);
    config.SetBitrate(static_cast<uint32_t>(f.entry.bitRate));
    description = f.description;
    return WmStatus::kOk;
  }
};

TEST(BuildWmaFormatList, KeepsWmaFormatsOfAtMostTwoChannelsAndSkipsAudioVideoOnes) {
  FakeCodecInfo info;
  info.codecs = {
      {{Entry(44100, 128000, 2), "128 kbps, 44 kHz, stereo CBR"},
       {Entry(44100, 128000, 2), "128 kbps, 44 kHz, stereo (a/v) CBR"},
       {Entry(48000, 192000, 2, kWaveFormatWMAudioV9), "V9"},
       {Entry(44100, 128000, 6), "5.1"},
       {Entry(44100, 64000, 2, kWaveFormatPcm), "pcm"},
       {Entry(22050, 32000, 1), "fails", true},
       {Entry(8000, 24000, 1), "after the failure"}},
      {{Entry(44100, 128000, 2), "duplicate of the first"}, {Entry(16000, 24000, 1), "ok"}},
  };
  WmaFormatList list;
  list.Insert(Entry(1, 1, 1));                    // emptied first
  EXPECT_FALSE(BuildWmaFormatList(list, &info));  // one format failed
  EXPECT_EQ(Keys(list),
            (std::vector<Key>{{16000, 24000, 1}, {44100, 128000, 2}, {48000, 192000, 2}}));

  SCOPED_TRACE("a failing format count stops everything");
  info.formatCountFailsAt = 1;
  EXPECT_FALSE(BuildWmaFormatList(list, &info));
  EXPECT_EQ(list.Size(), 2u);

  SCOPED_TRACE("an enumeration that finds nothing");
  FakeCodecInfo none;
  EXPECT_TRUE(BuildWmaFormatList(list, &none));
  EXPECT_TRUE(list.Empty());
  none.countFails = true;
  EXPECT_FALSE(BuildWmaFormatList(list, &none));
  EXPECT_TRUE(list.Empty());
}

TEST(BuildWmaFormatList, FromTheRuntime) {
  ASSERT_TRUE(LoadWindowsMediaRuntime());
  WmaFormatList list;
  EXPECT_TRUE(BuildWmaFormatList(list));
  ASSERT_FALSE(list.Empty());
  int lastRate = 0, lastBitRate = 0;
  for (const WmaFormatEntry& e : list) {
    EXPECT_TRUE(e.SampleRate() > lastRate ||
                (e.SampleRate() == lastRate && e.bitRate >= lastBitRate));
    lastRate = e.SampleRate();
    lastBitRate = e.bitRate;
    EXPECT_LE(e.Channels(), 2);
  }
}

}  // namespace
}  // namespace sondrel
