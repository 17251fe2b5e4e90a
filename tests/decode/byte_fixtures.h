// Helpers that build AIFF, AU and RIFF fixtures byte by byte, and that write
// and read reference files through libsndfile.
#pragma once

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace sondrel::test {

inline std::string Be16(uint16_t v) { return {char(v >> 8), char(v)}; }
inline std::string Be32(uint32_t v) {
  return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
inline std::string Le16(uint16_t v) { return {char(v), char(v >> 8)}; }
inline std::string Le32(uint32_t v) {
  return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

// The 80-bit extended form of a whole number, as in an AIFF COMM chunk.
inline std::string Extended(uint32_t rate) {
  std::string s(10, '\0');
  if (rate == 0) return s;
  int exponent = 31;
  while (!(rate & 0x80000000u)) {
    rate <<= 1;
    --exponent;
  }
  const int biased = 16383 + exponent;
  s[0] = char(biased >> 8);
  s[1] = char(biased);
  s.replace(2, 4, Be32(rate));
  return s;
}

// A big-endian chunk (AIFF) with its pad byte; `size` overrides the length.
inline std::string BeChunk(const std::string& id, const std::string& body, int64_t size = -1) {
  std::string c = id + Be32(uint32_t(size < 0 ? body.size() : size)) + body;
  if (body.size() & 1) c += '\0';
  return c;
}

inline std::string Comm(int channels, uint32_t frames, int bits, uint32_t rate,
                        const std::string& compression = "") {
  std::string body =
      Be16(uint16_t(channels)) + Be32(frames) + Be16(uint16_t(bits)) + Extended(rate);
  if (!compression.empty()) body += compression + std::string("\0", 1) + '\0';
  return BeChunk("COMM", body);
}

inline std::string Ssnd(const std::string& data, uint32_t offset = 0) {
  return BeChunk("SSND", Be32(offset) + Be32(0) + std::string(offset, '\0') + data);
}

inline std::string Form(const std::string& type, const std::string& chunks) {
  return "FORM" + Be32(uint32_t(4 + chunks.size())) + type + chunks;
}

inline std::string AuHeader(uint32_t offset, uint32_t size, uint32_t encoding, uint32_t rate,
                            uint32_t channels) {
  return ".snd" + Be32(offset) + Be32(size) + Be32(encoding) + Be32(rate) + Be32(channels);
}

// A test signal: a sweep with a little noise, at most `peak` in magnitude.
inline std::vector<int16_t> TestSignal(int frames, int channels, double peak = 20000.0) {
  std::vector<int16_t> s(size_t(frames) * channels);
  uint32_t noise = 12345;
  for (int i = 0; i < frames; ++i) {
    const double t = double(i) / 8000.0;
    for (int c = 0; c < channels; ++c) {
      noise = noise * 1664525u + 1013904223u;
      const double v = std::sin(2 * M_PI * (200 + 300 * c + 900 * t) * t) * peak * 0.9 +
                       (double(noise >> 16) / 65536.0 - 0.5) * peak * 0.1;
      s[size_t(i) * channels + c] = int16_t(v);
    }
  }
  return s;
}

// Writes interleaved samples through libsndfile; false on failure.
inline bool WriteWithSndfile(const std::string& path, int format, int rate, int channels,
                             const std::vector<int16_t>& samples) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) return false;
  const sf_count_t frames = sf_count_t(samples.size() / channels);
  bool ok;
  const int subtype = format & SF_FORMAT_SUBMASK;
  if (subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE) {
    // Floating-point files hold -1..1.
    std::vector<double> d(samples.begin(), samples.end());
    for (double& v : d) v /= 32768.0;
    ok = sf_writef_double(f, d.data(), frames) == frames;
  } else {
    ok = sf_writef_short(f, samples.data(), frames) == frames;
  }
  sf_close(f);
  return ok;
}

// libsndfile's own reading of a file as interleaved 16-bit samples.
inline std::vector<int16_t> ReadWithSndfile(const std::string& path, int* channels = nullptr) {
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return {};
  std::vector<int16_t> s(size_t(info.frames) * info.channels);
  const int subtype = info.format & SF_FORMAT_SUBMASK;
  if (subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE) {
    // libsndfile does not scale floating point to 16 bits by itself.
    std::vector<double> d(s.size());
    d.resize(size_t(sf_readf_double(f, d.data(), info.frames)) * info.channels);
    s.resize(d.size());
    for (size_t i = 0; i < d.size(); ++i) {
      s[i] = int16_t(std::clamp(std::floor(d[i] * 32768.0), -32768.0, 32767.0));
    }
  } else {
    s.resize(size_t(sf_readf_short(f, s.data(), info.frames)) * info.channels);
  }
  sf_close(f);
  if (channels) *channels = info.channels;
  return s;
}

}  // namespace sondrel::test
