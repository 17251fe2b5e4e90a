#include "decode/source_type.h"

#include <string>

namespace sondrel {

namespace {

struct ExtensionType {
  std::string_view extension;
  int type;
};

constexpr ExtensionType kExtensions[] = {
    {".mp3", kSourceMp3},   {".wav", kSourceWav},       {".wave", kSourceWav},
    {".mod", kSourceModule}, {".xm", kSourceModule},    {".it", kSourceModule},
    {".s3m", kSourceModule}, {".mtm", kSourceModule},   {".umx", kSourceModule},
    {".mo3", kSourceModule}, {".midi", kSourceMidi},    {".mid", kSourceMidi},
    {".rmi", kSourceMidi},   {".kar", kSourceMidi},     {".cda", kSourceCdTrack},
    {".flac", kSourceFlac},  {".fla", kSourceFlac},     {".wv", kSourceWavPack},
    {".adx", kSourceAdx},    {".ogg", kSourceOgg},      {".oga", kSourceOgg},
    {".ogm", kSourceOgg},    {".ogv", kSourceOgg},      {".ogx", kSourceOgg},
    {".au", kSourceAu},      {".snd", kSourceAu},       {".aif", kSourceAiff},
    {".aiff", kSourceAiff},  {".aifc", kSourceAiff},    {".afc", kSourceAiff},
    {".amr", kSourceAmr},    {".awb", kSourceAmr},      {".aac", kSourceAac},
    {".mp4", kSourceMp4},    {".m4v", kSourceMp4},      {".m4a", kSourceMp4},
    {".m4b", kSourceMp4},    {".wma", kSourceWindowsMedia}, {".wmv", kSourceWindowsMedia},
    {".asf", kSourceWindowsMedia}, {".wm", kSourceWindowsMedia}, {".wmd", kSourceWindowsMedia},
    {".xwmv", kSourceWindowsMedia}, {".dts", kSourceDts},
};

}  // namespace

std::string SourceExtension(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos) return {};
  std::string ext(name.substr(dot));
  for (char& c : ext) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return ext;
}

int ClassifySource(std::string_view path) {
  const std::string ext = SourceExtension(path);
  for (const ExtensionType& e : kExtensions) {
    if (e.extension == ext) return e.type;
  }
  return kSourceOther;
}

}  // namespace sondrel
