// The seed corpora of the fuzz targets, made from the same fixtures as the
// reader tests. With SONDREL_UPDATE_CORPUS=1 the test (re)writes them under
// fuzz/corpus/; it always checks that every seed of a reader opens.
#include <gtest/gtest.h>
#include <taglib/id3v2tag.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "byte_fixtures.h"
#include "decode/aiff_decoder.h"
#include "decode/au_decoder.h"
#include "decode/wav_info_tags.h"
#include "support/temp_dir.h"

namespace sondrel {
namespace {

using namespace std::string_literals;
using namespace test;

using Seeds = std::map<std::string, std::string>;

std::string SndfileBytes(int format, int channels, int frames) {
  TempDir dir;
  const std::string path = dir.File("seed");
  if (!WriteWithSndfile(path, format, 8000, channels, TestSignal(frames, channels))) return {};
  return ReadFileBytes(path);
}

Seeds AiffSeeds() {
  TagLib::ID3v2::Tag tag;
  tag.setTitle("Title");
  tag.setArtist("Artist");
  tag.setYear(2001);
  tag.setTrack(3);
  const TagLib::ByteVector id3 = tag.render();
  std::string frame10;
  for (int c = 0; c < 10; ++c) frame10 += Be16(uint16_t(c * 1000));
  return {
      {"pcm16", SndfileBytes(SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2, 200)},
      {"pcm24", SndfileBytes(SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 1, 100)},
      {"sowt", SndfileBytes(SF_FORMAT_AIFF | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE, 1, 100)},
      {"fl32", SndfileBytes(SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 1, 100)},
      {"ulaw", SndfileBytes(SF_FORMAT_AIFF | SF_FORMAT_ULAW, 1, 100)},
      {"ima4", SndfileBytes(SF_FORMAT_AIFF | SF_FORMAT_IMA_ADPCM, 2, 128)},
      {"gsm", SndfileBytes(SF_FORMAT_AIFF | SF_FORMAT_GSM610, 1, 320)},
      {"dwvw16", SndfileBytes(SF_FORMAT_AIFF | SF_FORMAT_DWVW_16, 1, 300)},
      {"dwvw24", SndfileBytes(SF_FORMAT_AIFF | SF_FORMAT_DWVW_24, 1, 300)},
      {"raw_comm_after_ssnd",
       Form("AIFC", Ssnd("\x00\x80\xFF\x10"s) + Comm(1, 4, 8, 8000, "raw "))},
      {"ten_channels", Form("AIFF", Comm(10, 2, 16, 8000) + Ssnd(frame10 + frame10))},
      {"id3", Form("AIFF", Comm(1, 2, 12, 22050) + Ssnd("\x10\x20\x30\x40"s) +
                               BeChunk("ID3 ", std::string(id3.data(), id3.size())))},
  };
}

Seeds AuSeeds() {
  return {
      {"pcm16", SndfileBytes(SF_FORMAT_AU | SF_FORMAT_PCM_16, 2, 100)},
      {"pcm32_le", SndfileBytes(SF_FORMAT_AU | SF_FORMAT_PCM_32 | SF_ENDIAN_LITTLE, 1, 50)},
      {"double", SndfileBytes(SF_FORMAT_AU | SF_FORMAT_DOUBLE, 1, 50)},
      {"alaw", SndfileBytes(SF_FORMAT_AU | SF_FORMAT_ALAW, 1, 100)},
      {"g721", SndfileBytes(SF_FORMAT_AU | SF_FORMAT_G721_32, 1, 240)},
      {"g723_24", SndfileBytes(SF_FORMAT_AU | SF_FORMAT_G723_24, 1, 240)},
      {"g723_40", SndfileBytes(SF_FORMAT_AU | SF_FORMAT_G723_40, 1, 240)},
      {"search", ".snd"s + Be32(40) + Be32(4) + "\xFF\xFF\xFF\xFF" + "\xFF\xFF\xFF" + Be32(3) +
                     Be32(22050) + Be32(1) + std::string(9, '\0') + "\x12\x34\x56\x78"},
      {"unknown_size_6ch", AuHeader(24, 0xFFFFFFFF, 26, 8000, 6) + std::string(50, '\x35')},
  };
}

Seeds WavInfoSeeds() {
  auto item = [](const std::string& id, const std::string& text) {
    std::string body = text + '\0';
    std::string c = id + Le32(uint32_t(body.size())) + body;
    if (body.size() & 1) c += '\0';
    return c;
  };
  const std::string info = "INFO" + item("INAM", "Title") + item("iart", "Artist") +
                           item("ICRD", "1999-05-01") + item("IGNR", "(17)") + "IGRE" + Le32(1) +
                           "\x05" + '\0' + item("ISFT", "tool");
  const std::string list = "LIST" + Le32(uint32_t(info.size())) + info;
  const std::string disp = "DISP" + Le32(9) + Le32(1) + "Shown" + '\0';
  const std::string fmt = "fmt " + Le32(16) + std::string(16, '\1');
  auto riff = [](const std::string& chunks) {
    return "RIFF" + Le32(uint32_t(4 + chunks.size())) + "WAVE" + chunks;
  };
  return {
      {"info", riff(fmt + list)},
      {"disp_only", riff(disp)},
      {"stray_bytes", riff(fmt + "\0\x01\x02"s + list + disp)},
  };
}

void CheckAndMaybeWrite(const std::string& name, const Seeds& seeds) {
  const char* update = std::getenv("SONDREL_UPDATE_CORPUS");
  const char* source = std::getenv("SONDREL_SOURCE_DIR");
  if (!update || std::string(update) != "1" || !source) return;
  const std::filesystem::path dir = std::filesystem::path(source) / "fuzz" / "corpus" / name;
  std::filesystem::create_directories(dir);
  for (const auto& [file, bytes] : seeds) WriteFileBytes((dir / file).string(), bytes);
}

TEST(FuzzSeeds, ReadersOpenEverySeed) {
  TempDir dir;
  const std::string path = dir.File("seed");
  const Seeds aiff = AiffSeeds();
  AiffDecoder aiffDecoder;
  for (const auto& [name, bytes] : aiff) {
    WriteFileBytes(path, bytes);
    EXPECT_EQ(aiffDecoder.Open(path, 0), 1) << name;
  }
  const Seeds au = AuSeeds();
  AuDecoder auDecoder;
  for (const auto& [name, bytes] : au) {
    WriteFileBytes(path, bytes);
    EXPECT_EQ(auDecoder.Open(path, 0), 1) << name;
  }
  const Seeds wav = WavInfoSeeds();
  for (const auto& [name, bytes] : wav) {
    WriteFileBytes(path, bytes);
    TagInfo tags;
    EXPECT_EQ(ReadWavInfoTags(path, tags), 1) << name;
  }
  // The codec targets take a selector byte and then the coded bytes.
  const std::string dwvwFile = aiff.at("dwvw16");
  const std::string g721File = au.at("g721");
  Seeds dwvw{{"width16", std::string(1, char(8)) + dwvwFile.substr(dwvwFile.size() - 400)},
             {"width12", std::string(1, char(4)) + dwvwFile.substr(dwvwFile.size() - 200)}};
  Seeds g72x{{"g721", std::string(1, char(1)) + g721File.substr(g721File.size() - 120)},
             {"g723_24", std::string(1, char(0)) + au.at("g723_24").substr(40)},
             {"g723_40", std::string(1, char(2)) + au.at("g723_40").substr(40)}};
  CheckAndMaybeWrite("aiff_decoder", aiff);
  CheckAndMaybeWrite("au_decoder", au);
  CheckAndMaybeWrite("wav_info_tags", wav);
  CheckAndMaybeWrite("dwvw", dwvw);
  CheckAndMaybeWrite("g72x", g72x);
}

}  // namespace
}  // namespace sondrel
