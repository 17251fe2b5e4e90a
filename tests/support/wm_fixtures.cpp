#include "support/wm_fixtures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numbers>
#include <vector>

#include "platform/mediaruntime/media_runtime.h"
#include "platform/mediaruntime/wm_codec_formats.h"
#include "platform/mediaruntime/wm_writer.h"

namespace sondrel::test {

namespace {

const WmCodecFormat* FindFormat(int rate, int channels, int bitRate) {
  for (const WmCodecFormat& f : WmaCodecFormats()) {
    const WmMediaType& t = f.config.GetMediaType();
    if (static_cast<int>(t.wave.samplesPerSec) == rate && t.wave.channels == channels &&
        static_cast<int>(f.config.GetBitrate()) == bitRate) {
      return &f;
    }
  }
  return nullptr;
}

}  // namespace

bool WriteWmFixture(const std::string& path, const WmFixture& fx) {
  if (!LoadWindowsMediaRuntime()) return false;
  const WmCodecFormat* format = FindFormat(fx.formatRate, fx.formatChannels, fx.bitRate);
  if (!format) return false;
  std::unique_ptr<WmWriter> writer = CreateWmWriter();
  WmProfile profile;
  WmStreamConfig stream = format->config;
  stream.SetStreamNumber(1);
  if (!writer || profile.AddStream(stream) != WmStatus::kOk ||
      writer->SetProfile(profile) != WmStatus::kOk) {
    return false;
  }
  WmMediaType input;
  writer->GetInputProps(0, input);
  input.wave.channels = static_cast<uint16_t>(fx.inputChannels);
  input.wave.samplesPerSec = static_cast<uint32_t>(fx.inputRate);
  input.wave.blockAlign = static_cast<uint16_t>(2 * fx.inputChannels);
  input.wave.avgBytesPerSec = input.wave.samplesPerSec * input.wave.blockAlign;
  if (writer->SetInputProps(0, input) != WmStatus::kOk) return false;
  for (const auto& [name, value] : fx.attributes) {
    if (writer->AddAttribute(0, name, value) != WmStatus::kOk) return false;
  }
  if (writer->SetOutputFilename(path) != WmStatus::kOk || writer->BeginWriting() != WmStatus::kOk) {
    return false;
  }
  const int total = static_cast<int>(fx.seconds * fx.inputRate);
  const int block = 4096;
  int64_t time = 0;
  for (int start = 0; start < total; start += block) {
    const int n = std::min(block, total - start);
    std::unique_ptr<WmBuffer> buffer;
    const uint32_t size = static_cast<uint32_t>(n * fx.inputChannels * 2);
    if (writer->AllocateSample(size, buffer) != WmStatus::kOk) return false;
    std::vector<int16_t> pcm(static_cast<size_t>(n) * fx.inputChannels);
    for (int i = 0; i < n; ++i) {
      const double t = static_cast<double>(start + i) / fx.inputRate;
      for (int c = 0; c < fx.inputChannels; ++c) {
        const double hz = c == 0 ? fx.leftHz : fx.rightHz;
        pcm[static_cast<size_t>(i) * fx.inputChannels + c] =
            static_cast<int16_t>(12000 * std::sin(2 * std::numbers::pi * hz * t));
      }
    }
    std::memcpy(buffer->GetBuffer(), pcm.data(), size);
    buffer->SetLength(size);
    if (writer->WriteSample(0, time, 0, *buffer) != WmStatus::kOk) return false;
    time += static_cast<int64_t>(n) * 10000000 / fx.inputRate;
  }
  return writer->EndWriting() == WmStatus::kOk;
}

bool RunFfmpeg(const std::string& args) {
  const std::string cmd = "ffmpeg -nostdin -hide_banner -v error -y " + args + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

bool RunFfmpegToPipe(const std::string& args, const std::string& path) {
  const std::string cmd = "ffmpeg -nostdin -hide_banner -v error -y " + args + " pipe:1 > " +
                          Quoted(path) + " 2>/dev/null";
  return std::system(cmd.c_str()) == 0;
}

std::map<std::string, std::string> ProbeFile(const std::string& path) {
  std::map<std::string, std::string> out;
  const std::string cmd =
      "ffprobe -v error -show_streams -show_format -of flat=s=. " + Quoted(path) + " 2>/dev/null";
  std::FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char line[4096];
  while (std::fgets(line, sizeof line, p)) {
    std::string s(line);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    const size_t eq = s.find('=');
    if (eq == std::string::npos) continue;
    std::string key = s.substr(0, eq);
    std::string value = s.substr(eq + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    // "streams.stream.0.codec_name" -> "stream0.codec_name"
    const std::string streamPrefix = "streams.stream.";
    if (key.rfind(streamPrefix, 0) == 0) {
      const size_t dot = key.find('.', streamPrefix.size());
      key = "stream" + key.substr(streamPrefix.size(), dot - streamPrefix.size()) + key.substr(dot);
    }
    const std::string tagsPrefix = "format.tags.";
    if (key.rfind(tagsPrefix, 0) == 0) key = "format.tag." + key.substr(tagsPrefix.size());
    out[key] = value;
  }
  pclose(p);
  return out;
}

}  // namespace sondrel::test
