// Stored codec ids against this FFmpeg build: names and encoders.
#include "encode/codec_ids.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "encode/format_catalogue.h"

#ifndef __STDC_CONSTANT_MACROS
#define __STDC_CONSTANT_MACROS
#endif
extern "C" {
#include <libavcodec/avcodec.h>
}

namespace sondrel {
namespace {

// The codec each stored number stood for, by FFmpeg's codec name.
const std::map<int, std::string>& ExpectedNames() {
  static const std::map<int, std::string> names = {
      {73728, "amr_nb"},        {86034, "alac"},       {86019, "ac3"},
      {86018, "aac"},           {69645, "adpcm_swf"},  {86016, "mp2"},
      {86017, "mp3"},           {86021, "vorbis"},     {86030, "flac"},
      {65541, "pcm_u8"},        {65536, "pcm_s16le"},  {65548, "pcm_s24le"},
      {65544, "pcm_s32le"},     {65557, "pcm_f32le"},  {65559, "pcm_f64le"},
      {65543, "pcm_alaw"},      {65542, "pcm_mulaw"},  {69638, "adpcm_ms"},
      {69633, "adpcm_ima_wav"}, {69643, "adpcm_g726"}, {69646, "adpcm_yamaha"},
      {65540, "pcm_s8"},        {65537, "pcm_s16be"},  {65549, "pcm_s24be"},
      {65545, "pcm_s32be"},     {65556, "pcm_f32be"},  {65558, "pcm_f64be"},
      {69632, "adpcm_ima_qt"},  {86048, "gsm_ms"},     {86036, "gsm"},
  };
  return names;
}

TEST(CodecIds, EveryEntryTranslatesToItsCodecAndBack) {
  for (int number = 1; number <= kCodecEntryCount; ++number) {
    const int stored = CodecEntryByNumber(number)->codecId;
    SCOPED_TRACE("entry " + std::to_string(number) + ", stored id " + std::to_string(stored));
    const int current = AvCodecIdFromStored(stored);
    ASSERT_NE(current, AV_CODEC_ID_NONE);
    ASSERT_EQ(ExpectedNames().count(stored), 1u);
    EXPECT_EQ(avcodec_get_name(static_cast<AVCodecID>(current)), ExpectedNames().at(stored));
    EXPECT_EQ(StoredCodecIdFromAv(current), stored);
  }
}

TEST(CodecIds, NumbersAreNeverTakenAsTheyAre) {
  // Old FLAC (86030) is a different codec today; today's FLAC number is no stored id.
  EXPECT_NE(AvCodecIdFromStored(kCodecFlac), 86030);
  EXPECT_EQ(AvCodecIdFromStored(AV_CODEC_ID_FLAC), AV_CODEC_ID_NONE);
  EXPECT_EQ(AvCodecIdFromStored(0), AV_CODEC_ID_NONE);
  EXPECT_EQ(AvCodecIdFromStored(-1), AV_CODEC_ID_NONE);
  EXPECT_EQ(StoredCodecIdFromAv(AV_CODEC_ID_NONE), 0);
  EXPECT_EQ(StoredCodecIdFromAv(AV_CODEC_ID_OPUS), 0);
}

TEST(CodecIds, EncodersOfThisBuild) {
  // Debian's FFmpeg has no AMR-NB encoder; the FFmpeg writer encodes it itself.
  const std::set<std::string> knownMissing = {"amr_nb"};
  std::set<std::string> missing;
  for (int number = 1; number <= kCodecEntryCount; ++number) {
    const int stored = CodecEntryByNumber(number)->codecId;
    const AVCodec* encoder = nullptr;
    if (const char* preferred = PreferredEncoderName(stored)) {
      encoder = avcodec_find_encoder_by_name(preferred);
      ASSERT_NE(encoder, nullptr) << "preferred encoder " << preferred << " is missing";
      EXPECT_EQ(static_cast<int>(encoder->id), AvCodecIdFromStored(stored));
    } else {
      encoder = avcodec_find_encoder(static_cast<AVCodecID>(AvCodecIdFromStored(stored)));
    }
    if (encoder == nullptr) missing.insert(ExpectedNames().at(stored));
  }
  std::string list;
  for (const std::string& name : missing) list += " " + name;
  std::printf("codecs without an encoder in this FFmpeg build:%s\n",
              list.empty() ? " none" : list.c_str());
  RecordProperty("missing_encoders", list);
  for (const std::string& name : missing) {
    EXPECT_TRUE(knownMissing.count(name)) << "no encoder for " << name;
  }
}

}  // namespace
}  // namespace sondrel
