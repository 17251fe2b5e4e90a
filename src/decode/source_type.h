// Source types: the number a source is given by its file name's extension.
#pragma once

#include <string>
#include <string_view>

namespace sondrel {

enum SourceType : int {
  kSourceMp3 = 1000,
  kSourceWav = 2000,
  kSourceModule = 3000,
  kSourceMidi = 3050,
  kSourceCdTrack = 3100,
  kSourceFlac = 3200,
  kSourceWavPack = 3300,
  kSourceAdx = 3500,
  kSourceOgg = 4000,
  kSourceAu = 5000,
  kSourceAiff = 5100,
  kSourceAmr = 5500,
  kSourceAac = 6000,
  kSourceMp4 = 6600,
  kSourceWindowsMedia = 7000,
  kSourceOther = 9000,
  kSourceDts = 9500,
  // The raw DTS stream that preprocessing made of DTS carried in PCM; no
  // extension classifies as this.
  kSourceRawDts = 9501,
};

// The extension of a path: from the last '.' of the name after the last
// separator, lower-cased (ASCII only); empty when the name has no '.'.
std::string SourceExtension(std::string_view path);

// The source type of a path by its whole lower-cased extension.
int ClassifySource(std::string_view path);

}  // namespace sondrel
