#include "platform/audioengine/mpg123_channel.h"

#include <mpg123.h>

#include <mutex>

#include "platform/audioengine/bass.h"
#include "platform/c_handle.h"

namespace sondrel::audioengine {

namespace {

using Mpg123Ptr = CHandle<mpg123_handle, mpg123_delete>;

class Mpg123Channel : public Channel {
 public:
  explicit Mpg123Channel(Mpg123Ptr handle) : m_handle(std::move(handle)) {}

  // Reads the format and the exact length; false when the stream is not MPEG
  // audio that libmpg123 can decode.
  bool Start(const std::string& path) {
    mpg123_handle* h = m_handle.get();
    if (mpg123_open(h, path.c_str()) != MPG123_OK) return false;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(h, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
        channels < 1 || channels > 2) {
      return false;
    }
    // Keep this format for the whole stream.
    mpg123_format_none(h);
    if (mpg123_format(h, rate, channels, MPG123_ENC_SIGNED_16) != MPG123_OK) return false;
    if (mpg123_scan(h) != MPG123_OK) return false;
    const off_t frames = mpg123_length(h);
    if (frames <= 0) return false;

    mpg123_frameinfo info{};
    uint32_t ctype = BASS_CTYPE_STREAM_MP3;
    if (mpg123_info(h, &info) == MPG123_OK) {
      ctype = info.layer == 1   ? BASS_CTYPE_STREAM_MP1
              : info.layer == 2 ? BASS_CTYPE_STREAM_MP2
                                : BASS_CTYPE_STREAM_MP3;
    }
    SetFormat(static_cast<uint32_t>(rate), static_cast<uint32_t>(channels), false, ctype, 0);
    SetLengthFrames(static_cast<uint64_t>(frames));
    SetSourceFile(path, TagSource::Mpeg);
    return true;
  }

 protected:
  size_t Decode(void* out, size_t frames) override {
    const size_t frameBytes = FrameBytes();
    auto* p = static_cast<unsigned char*>(out);
    size_t done = 0;
    const size_t want = frames * frameBytes;
    while (done < want) {
      size_t got = 0;
      const int rc = mpg123_read(m_handle.get(), p + done, want - done, &got);
      done += got;
      if (rc == MPG123_DONE || (rc != MPG123_OK && rc != MPG123_NEW_FORMAT)) break;
      if (got == 0 && rc != MPG123_NEW_FORMAT) break;
    }
    return done / frameBytes;
  }

 private:
  Mpg123Ptr m_handle;
};

}  // namespace

std::unique_ptr<Channel> OpenMpg123Channel(const std::string& path, int& error) {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
  int rc = MPG123_OK;
  Mpg123Ptr handle(mpg123_new(nullptr, &rc));
  if (!handle) {
    error = BASS_ERROR_MEM;
    return nullptr;
  }
  mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
  // Accept every rate in mono and stereo until the stream's own is known.
  mpg123_format_none(handle.get());
  const long* rates = nullptr;
  size_t count = 0;
  mpg123_rates(&rates, &count);
  for (size_t i = 0; i < count; ++i) {
    mpg123_format(handle.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }
  auto channel = std::make_unique<Mpg123Channel>(std::move(handle));
  if (!channel->Start(path)) {
    error = BASS_ERROR_FILEFORM;
    return nullptr;
  }
  return channel;
}

}  // namespace sondrel::audioengine
