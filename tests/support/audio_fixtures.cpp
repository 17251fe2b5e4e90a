#include "support/audio_fixtures.h"

#include <sndfile.h>
#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>
#include <wavpack/wavpack.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numbers>

#include "encode/ffmpeg_encoder.h"
#include "platform/audioengine/bass.h"

namespace sondrel::test {

void EnsureAudioEngine() {
  BASS_Init(0, 44100, 0, nullptr, nullptr);  // BASS_ERROR_ALREADY after the first time
  for (const char* addon : {"bassflac.dll", "basscd.dll", "basswv.dll", "bass_aac.dll",
                            "bass_adx.dll", "bass_alac.dll"}) {
    BASS_PluginLoad(addon, 0);
  }
}

std::vector<int16_t> Tone16(int channels, int64_t frames, int rate, double amplitude) {
  std::vector<int16_t> out(static_cast<size_t>(frames * channels));
  for (int64_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      const double x = std::sin(2 * std::numbers::pi * 220.0 * (c + 1) * i / rate);
      out[static_cast<size_t>(i * channels + c)] =
          static_cast<int16_t>(std::lround(x * amplitude * 32767));
    }
  }
  return out;
}

std::vector<int32_t> Tone32(int channels, int64_t frames, int rate, double amplitude) {
  std::vector<int32_t> out(static_cast<size_t>(frames * channels));
  for (int64_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      const double x = std::sin(2 * std::numbers::pi * 220.0 * (c + 1) * i / rate);
      // An odd low part so that narrowing is visible.
      out[static_cast<size_t>(i * channels + c)] =
          static_cast<int32_t>(std::llround(x * amplitude * 2147483647.0)) | 0x5A5A;
    }
  }
  return out;
}

namespace {

struct SfCloser {
  void operator()(SNDFILE* f) const { sf_close(f); }
};

std::unique_ptr<SNDFILE, SfCloser> OpenForWrite(const std::string& path, int format, int rate,
                                                int channels) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  return std::unique_ptr<SNDFILE, SfCloser>(sf_open(path.c_str(), SFM_WRITE, &info));
}

}  // namespace

bool WriteSndfile16(const std::string& path, int format, int rate, int channels,
                    const std::vector<int16_t>& samples) {
  auto f = OpenForWrite(path, format, rate, channels);
  if (!f) return false;
  const auto n = static_cast<sf_count_t>(samples.size());
  return sf_write_short(f.get(), samples.data(), n) == n;
}

bool WriteSndfile32(const std::string& path, int format, int rate, int channels,
                    const std::vector<int32_t>& samples) {
  auto f = OpenForWrite(path, format, rate, channels);
  if (!f) return false;
  const auto n = static_cast<sf_count_t>(samples.size());
  return sf_write_int(f.get(), samples.data(), n) == n;
}

bool WriteSndfileFloat(const std::string& path, int format, int rate, int channels,
                       const std::vector<float>& samples) {
  auto f = OpenForWrite(path, format, rate, channels);
  if (!f) return false;
  const auto n = static_cast<sf_count_t>(samples.size());
  return sf_write_float(f.get(), samples.data(), n) == n;
}

bool WriteWav8(const std::string& path, int rate, int channels, const std::vector<uint8_t>& bytes) {
  auto f = OpenForWrite(path, SF_FORMAT_WAV | SF_FORMAT_PCM_U8, rate, channels);
  if (!f) return false;
  const auto n = static_cast<sf_count_t>(bytes.size());
  return sf_write_raw(f.get(), bytes.data(), n) == n;
}

namespace {

struct WavPackOutput {
  std::FILE* file = nullptr;
  bool ok = true;
  std::vector<uint8_t> firstBlock;
};

int WriteBlock(void* id, void* data, int32_t count) {
  auto* out = static_cast<WavPackOutput*>(id);
  if (count <= 0) return 1;
  if (out->firstBlock.empty()) {
    const auto* p = static_cast<const uint8_t*>(data);
    out->firstBlock.assign(p, p + count);
  }
  if (std::fwrite(data, 1, static_cast<size_t>(count), out->file) != static_cast<size_t>(count)) {
    out->ok = false;
  }
  return out->ok ? 1 : 0;
}

}  // namespace

bool WriteWavPack(const std::string& path, int rate, int channels, int bytesPerSample,
                  const std::vector<int32_t>& samples, bool unknownLength) {
  WavPackOutput out;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                       &std::fclose);
  if (!file) return false;
  out.file = file.get();
  struct Closer {
    void operator()(WavpackContext* c) const { WavpackCloseFile(c); }
  };
  std::unique_ptr<WavpackContext, Closer> wpc(WavpackOpenFileOutput(WriteBlock, &out, nullptr));
  if (!wpc) return false;
  WavpackConfig config{};
  config.bytes_per_sample = bytesPerSample;
  config.bits_per_sample = bytesPerSample * 8;
  config.num_channels = channels;
  config.channel_mask = channels == 1 ? 4 : channels == 2 ? 3 : (1 << channels) - 1;
  config.sample_rate = rate;
  const int64_t frames = static_cast<int64_t>(samples.size()) / channels;
  if (!WavpackSetConfiguration64(wpc.get(), &config, unknownLength ? -1 : frames, nullptr) ||
      !WavpackPackInit(wpc.get())) {
    return false;
  }
  std::vector<int32_t> copy = samples;
  if (!WavpackPackSamples(wpc.get(), copy.data(), static_cast<uint32_t>(frames)) ||
      !WavpackFlushSamples(wpc.get())) {
    return false;
  }
  return out.ok;
}

namespace {

std::string Msf(uint32_t sectors) {
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", sectors / 75 / 60, sectors / 75 % 60,
                sectors % 75);
  return text;
}

void PutLe(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::string WriteCdImage(const std::string& folder, const std::string& name,
                         const std::vector<std::vector<int16_t>>& tracks) {
  std::string bin;
  std::string cue = "FILE \"" + name + ".bin\" BINARY\n";
  for (size_t t = 0; t < tracks.size(); ++t) {
    char line[64];
    std::snprintf(line, sizeof line, "  TRACK %02zu AUDIO\n    INDEX 01 %s\n", t + 1,
                  Msf(static_cast<uint32_t>(bin.size() / 2352)).c_str());
    cue += line;
    for (int16_t v : tracks[t]) PutLe(bin, static_cast<uint16_t>(v), 2);
    bin.resize((bin.size() + 2351) / 2352 * 2352, '\0');
  }
  const std::string cuePath = folder + "/" + name + ".cue";
  std::FILE* f = std::fopen((folder + "/" + name + ".bin").c_str(), "wb");
  if (f) {
    std::fwrite(bin.data(), 1, bin.size(), f);
    std::fclose(f);
  }
  f = std::fopen(cuePath.c_str(), "wb");
  if (f) {
    std::fwrite(cue.data(), 1, cue.size(), f);
    std::fclose(f);
  }
  return cuePath;
}

std::string CdaFile(int track, uint32_t firstSector, uint32_t sectors, uint32_t serial) {
  std::string s = "RIFF";
  PutLe(s, 36, 4);
  s += "CDDAfmt ";
  PutLe(s, 24, 4);
  PutLe(s, 1, 2);  // version
  PutLe(s, static_cast<uint32_t>(track), 2);
  PutLe(s, serial, 4);
  PutLe(s, firstSector, 4);
  PutLe(s, sectors, 4);
  // Start (with the two-second lead-in) and length as frame, second, minute.
  const uint32_t start = firstSector + 150;
  for (uint32_t v : {start, sectors}) {
    s += static_cast<char>(v % 75);
    s += static_cast<char>(v / 75 % 60);
    s += static_cast<char>(v / 75 / 60);
    s += '\0';
  }
  return s;
}

bool WriteWithFfmpegWriter(const std::string& path, const std::string& muxer, int codecId, int rate,
                           int channels, int bitRate, const std::vector<int16_t>& interleaved) {
  FfmpegEncoder writer;
  writer.SetFormat(FfmpegFormatParams{muxer, codecId});
  writer.SetSampleRate(rate);
  writer.SetChannels(channels);
  writer.SetBitRate(bitRate);
  writer.SetOutputPath(path);
  if (!writer.Open()) return false;
  const size_t frames = interleaved.size() / static_cast<size_t>(channels);
  std::vector<int16_t> left(1152), right(1152);
  for (size_t done = 0; done < frames;) {
    const size_t n = std::min<size_t>(1152, frames - done);
    for (size_t i = 0; i < n; ++i) {
      left[i] = interleaved[(done + i) * channels];
      right[i] = interleaved[(done + i) * channels + (channels > 1 ? 1 : 0)];
    }
    if (!writer.Write(left.data(), right.data(), static_cast<int>(n))) return false;
    done += n;
  }
  writer.Close();
  return true;
}

bool WriteFixtureTags(const std::string& path, const FixtureTags& t) {
  TagLib::FileRef ref(path.c_str());
  if (ref.isNull() || !ref.tag()) return false;
  TagLib::Tag* tag = ref.tag();
  tag->setTitle(TagLib::String(t.title, TagLib::String::UTF8));
  tag->setArtist(TagLib::String(t.artist, TagLib::String::UTF8));
  tag->setAlbum(TagLib::String(t.album, TagLib::String::UTF8));
  tag->setGenre(TagLib::String(t.genre, TagLib::String::UTF8));
  tag->setComment(TagLib::String(t.comment, TagLib::String::UTF8));
  tag->setYear(t.year);
  tag->setTrack(t.track);
  TagLib::PropertyMap map = ref.file()->properties();
  if (!t.composer.empty())
    map.replace("COMPOSER", TagLib::String(t.composer, TagLib::String::UTF8));
  if (!t.copyright.empty()) {
    map.replace("COPYRIGHT", TagLib::String(t.copyright, TagLib::String::UTF8));
  }
  ref.file()->setProperties(map);
  return ref.save();
}

double RmsDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
  const size_t n = std::min(a.size(), b.size());
  if (n == 0) return 0;
  double sum = 0;
  for (size_t i = 0; i < n; ++i) {
    const double d = static_cast<double>(a[i]) - b[i];
    sum += d * d;
  }
  return std::sqrt(sum / static_cast<double>(n));
}

int BestAlignment(const std::vector<int16_t>& a, const std::vector<int16_t>& b, int channels,
                  int maxShift) {
  int best = 0;
  double bestRms = -1;
  for (int shift = -maxShift; shift <= maxShift; ++shift) {
    const size_t skipA = static_cast<size_t>(std::max(0, shift) * channels);
    const size_t skipB = static_cast<size_t>(std::max(0, -shift) * channels);
    if (skipA >= a.size() || skipB >= b.size()) continue;
    const double rms =
        RmsDifference(std::vector<int16_t>(a.begin() + static_cast<long>(skipA), a.end()),
                      std::vector<int16_t>(b.begin() + static_cast<long>(skipB), b.end()));
    if (bestRms < 0 || rms < bestRms) {
      bestRms = rms;
      best = shift;
    }
  }
  return best;
}

int Peak(const std::vector<int16_t>& samples) {
  int peak = 0;
  for (int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
  return peak;
}

}  // namespace sondrel::test
