#include "platform/audioengine/wavpack_channel.h"

#include <wavpack/wavpack.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/audioengine/bass.h"
#include "platform/c_handle.h"

namespace sondrel::audioengine {

namespace {

using WavPackPtr = CHandle<WavpackContext, WavpackCloseFile>;

constexpr int kOpenFlags = OPEN_WVC | OPEN_NORMALIZE | OPEN_DSD_AS_PCM;
constexpr int kMaxChannels = 64;
constexpr uint32_t kBlockFrames = 4096;

WavPackPtr OpenContext(const std::string& path) {
  char message[128] = {};
  return WavPackPtr(WavpackOpenFileInput(path.c_str(), message, kOpenFlags, 0));
}

int16_t FloatTo16(int32_t bits) {
  float x;
  std::memcpy(&x, &bits, sizeof x);
  return FloatToInt16(x);
}

class WavPackChannel : public Channel {
 public:
  WavPackChannel(WavPackPtr context, const std::string& path, uint64_t frames)
      : m_context(std::move(context)) {
    WavpackContext* c = m_context.get();
    m_float = (WavpackGetMode(c) & MODE_FLOAT) != 0;
    m_bytesPerSample = WavpackGetBytesPerSample(c);
    SetFormat(WavpackGetSampleRate(c), static_cast<uint32_t>(WavpackGetNumChannels(c)), false,
              BASS_CTYPE_STREAM_WV, static_cast<uint32_t>(WavpackGetBitsPerSample(c)));
    SetLengthFrames(frames);
    SetSourceFile(path, TagSource::WavPack);
  }

 protected:
  size_t Decode(void* out, size_t frames) override {
    const uint32_t channels = Channels();
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(frames, kBlockFrames));
    m_unpacked.resize(static_cast<size_t>(n) * channels);
    const uint32_t got = WavpackUnpackSamples(m_context.get(), m_unpacked.data(), n);
    auto* dst = static_cast<int16_t*>(out);
    const size_t count = static_cast<size_t>(got) * channels;
    for (size_t i = 0; i < count; ++i) dst[i] = To16(m_unpacked[i]);
    return got;
  }

 private:
  int16_t To16(int32_t v) const {
    if (m_float) return FloatTo16(v);
    switch (m_bytesPerSample) {
      case 1:
        return static_cast<int16_t>(v * 256);
      case 2:
        return static_cast<int16_t>(v);
      case 3:
        return static_cast<int16_t>(v >> 8);
      default:
        return static_cast<int16_t>(v >> 16);
    }
  }

  WavPackPtr m_context;
  bool m_float = false;
  int m_bytesPerSample = 2;
  std::vector<int32_t> m_unpacked;
};

// A stream written without a known length: count its frames by unpacking.
int64_t CountFrames(WavpackContext* c) {
  const int channels = WavpackGetNumChannels(c);
  std::vector<int32_t> buffer(static_cast<size_t>(kBlockFrames) * channels);
  int64_t total = 0;
  for (;;) {
    const uint32_t got = WavpackUnpackSamples(c, buffer.data(), kBlockFrames);
    if (got == 0) break;
    total += got;
  }
  return total;
}

}  // namespace

std::unique_ptr<Channel> OpenWavPackChannel(const std::string& path, int& error) {
  WavPackPtr context = OpenContext(path);
  if (!context) {
    error = BASS_ERROR_FILEFORM;
    return nullptr;
  }
  const int channels = WavpackGetNumChannels(context.get());
  const int bytes = WavpackGetBytesPerSample(context.get());
  if (channels < 1 || channels > kMaxChannels || WavpackGetSampleRate(context.get()) == 0 ||
      bytes < 1 || bytes > 4) {
    error = BASS_ERROR_FILEFORM;
    return nullptr;
  }
  int64_t frames = WavpackGetNumSamples64(context.get());
  if (frames < 0) {
    frames = CountFrames(context.get());
    context = OpenContext(path);
    if (!context) {
      error = BASS_ERROR_FILEFORM;
      return nullptr;
    }
  }
  return std::make_unique<WavPackChannel>(std::move(context), path, static_cast<uint64_t>(frames));
}

}  // namespace sondrel::audioengine
