#include "platform/audioengine/openmpt_channel.h"

#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <vector>

#include "platform/audioengine/bass.h"
#include "platform/c_handle.h"

namespace sondrel::audioengine {

namespace {

// The rates libopenmpt renders at.
constexpr uint32_t kMinRate = 8000;
constexpr uint32_t kMaxRate = 192000;
// Larger files are not modules.
constexpr uint64_t kMaxModuleBytes = 256ull << 20;

using ModulePtr = CHandle<openmpt_module, openmpt_module_destroy>;

// A metadata text of the module ("" when absent).
std::string Metadata(openmpt_module* module, const char* key) {
  const char* value = openmpt_module_get_metadata(module, key);
  if (!value) return {};
  std::string text = value;
  openmpt_free_string(value);
  return text;
}

uint32_t ChannelTypeOf(const std::string& type, const std::string& container) {
  uint32_t ctype = BASS_CTYPE_MUSIC_MOD;
  if (type == "xm") ctype = BASS_CTYPE_MUSIC_XM;
  if (type == "it") ctype = BASS_CTYPE_MUSIC_IT;
  if (type == "s3m") ctype = BASS_CTYPE_MUSIC_S3M;
  if (type == "mtm") ctype = BASS_CTYPE_MUSIC_MTM;
  if (container == "mo3") ctype |= BASS_CTYPE_MUSIC_MO3;
  return ctype;
}

class ModuleChannel : public Channel {
 public:
  ModuleChannel(ModulePtr module, const std::string& path, uint32_t rate)
      : m_module(std::move(module)), m_rate(static_cast<int32_t>(rate)) {
    m_tags.title = Metadata(m_module.get(), "title");
    m_tags.artist = Metadata(m_module.get(), "artist");
    SetFormat(
        rate, 2, false,
        ChannelTypeOf(Metadata(m_module.get(), "type"), Metadata(m_module.get(), "container")), 0);
    SetSource(path, TagSource::Module);
  }

  void SetLength(uint64_t frames) { SetLengthFrames(frames); }

  std::optional<TagFields> ReadTags() override {
    if (m_tags.Empty()) return std::nullopt;
    return m_tags;
  }

 protected:
  size_t Decode(void* out, size_t frames) override {
    return openmpt_module_read_interleaved_stereo(m_module.get(), m_rate, frames,
                                                  static_cast<int16_t*>(out));
  }

 private:
  ModulePtr m_module;
  int32_t m_rate;
  TagFields m_tags;
};

}  // namespace

std::unique_ptr<Channel> OpenModuleChannel(const std::string& path, uint32_t rate, bool prescan,
                                           int& error) {
  const std::optional<std::vector<uint8_t>> bytes =
      ReadRenderSource(path, rate, kMinRate, kMaxRate, kMaxModuleBytes, error);
  if (!bytes) return nullptr;
  int openError = 0;
  ModulePtr module(openmpt_module_create_from_memory2(
      bytes->data(), bytes->size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
      nullptr, &openError, nullptr, nullptr));
  if (!module) {
    error = BASS_ERROR_FILEFORM;
    return nullptr;
  }
  openmpt_module_set_repeat_count(module.get(), 0);
  const double seconds = openmpt_module_get_duration_seconds(module.get());
  if (!(seconds > 0) || seconds > kMaxRenderSeconds) {
    error = BASS_ERROR_FILEFORM;
    return nullptr;
  }
  auto channel = std::make_unique<ModuleChannel>(std::move(module), path, rate);
  if (prescan) channel->SetLength(static_cast<uint64_t>(std::llround(seconds * rate)));
  return channel;
}

}  // namespace sondrel::audioengine
