#include "decode/source_type.h"

#include <string>

#include "platform/paths.h"
#include "platform/text.h"

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
  const std::string name = FileNameOf(path);
  const size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : AsciiLower(std::string_view(name).substr(dot));
}

int ClassifySource(std::string_view path) {
  const std::string ext = SourceExtension(path);
  for (const ExtensionType& e : kExtensions) {
    if (e.extension == ext) return e.type;
  }
  return kSourceOther;
}

}  // namespace sondrel
