// The engine's process-wide state: initialisation, the enabled add-on
// decoders, the channel handles and the default soundfonts, and the BASS_*
// calls that work on them. Backends are chosen here by content.
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audioengine/bass.h"
#include "platform/audioengine/bass_midi.h"
#include "platform/audioengine/cd_channel.h"
#include "platform/audioengine/channel.h"
#include "platform/audioengine/content_sniffer.h"
#include "platform/audioengine/ffmpeg_channel.h"
#include "platform/audioengine/midi_channel.h"
#include "platform/audioengine/mpg123_channel.h"
#include "platform/audioengine/openmpt_channel.h"
#include "platform/audioengine/sndfile_channel.h"
#include "platform/audioengine/tag_reader.h"
#include "platform/audioengine/tags.h"
#include "platform/audioengine/wavpack_channel.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace sondrel {

namespace {

using audioengine::Channel;
using audioengine::ContentKind;

// The version this layer answers for: 2.4.17.0.
constexpr DWORD kVersion = 0x02041100;

// The add-ons whose formats are built in, enabled by BASS_PluginLoad.
enum Addon { kAddonFlac, kAddonCd, kAddonWavPack, kAddonAac, kAddonAdx, kAddonAlac, kAddonCount };
constexpr const char* kAddonStems[kAddonCount] = {"bassflac", "basscd",   "basswv",
                                                  "bass_aac", "bass_adx", "bass_alac"};
constexpr HPLUGIN kPluginHandleBase = 0x7000;

enum class Kind { Stream, Music };

struct Entry {
  std::shared_ptr<Channel> channel;
  Kind kind = Kind::Stream;
};

struct EngineState {
  std::mutex mutex;
  // Read without the mutex by every call.
  std::atomic<bool> initialised{false};
  std::atomic<DWORD> rate{44100};
  std::atomic<DWORD> updatePeriod{100};
  bool addons[kAddonCount] = {};
  std::map<DWORD, Entry> channels;
  DWORD nextHandle = 0x10001;
  std::map<HSOUNDFONT, std::string> fonts;
  HSOUNDFONT nextFont = 1;
  std::vector<std::string> defaultFonts;
};

EngineState& State() {
  static EngineState state;
  return state;
}

thread_local int t_error = BASS_OK;

template <typename T>
T Fail(int error, T result) {
  t_error = error;
  return result;
}

template <typename T>
T Ok(T result) {
  t_error = BASS_OK;
  return result;
}

constexpr QWORD kQwordError = ~QWORD{0};
constexpr DWORD kDwordError = ~DWORD{0};

// The channel of a handle, or null (error set) when there is none of `kind`.
std::shared_ptr<Channel> Find(DWORD handle, const Kind* kind = nullptr) {
  EngineState& s = State();
  std::lock_guard lock(s.mutex);
  const auto it = s.channels.find(handle);
  if (it == s.channels.end() || (kind && it->second.kind != *kind)) {
    t_error = BASS_ERROR_HANDLE;
    return nullptr;
  }
  return it->second.channel;
}

DWORD Register(std::unique_ptr<Channel> channel, Kind kind) {
  EngineState& s = State();
  std::lock_guard lock(s.mutex);
  DWORD handle = s.nextHandle++;
  while (handle == 0 || s.channels.count(handle)) handle = s.nextHandle++;
  s.channels[handle] = Entry{std::shared_ptr<Channel>(std::move(channel)), kind};
  t_error = BASS_OK;
  return handle;
}

bool FreeHandle(DWORD handle, Kind kind) {
  std::shared_ptr<Channel> doomed;
  EngineState& s = State();
  std::lock_guard lock(s.mutex);
  const auto it = s.channels.find(handle);
  if (it == s.channels.end() || it->second.kind != kind) {
    t_error = BASS_ERROR_HANDLE;
    return false;
  }
  doomed = std::move(it->second.channel);
  s.channels.erase(it);
  t_error = BASS_OK;
  return true;
}

bool AddonEnabled(Addon addon) {
  EngineState& s = State();
  std::lock_guard lock(s.mutex);
  return s.addons[addon];
}

// Checks the arguments shared by the file-opening calls; the UTF-8 path.
bool FileArguments(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags,
                   std::string& path) {
  if (!State().initialised) return Fail(BASS_ERROR_INIT, false);
  if (file == nullptr) return Fail(BASS_ERROR_FILEOPEN, false);
  // Memory sources, parts of files, wide-character names and playable
  // (non-decoding) channels do not exist here.
  if (mem || offset != 0 || length != 0 || (flags & BASS_UNICODE) ||
      !(flags & BASS_STREAM_DECODE)) {
    return Fail(BASS_ERROR_NOTAVAIL, false);
  }
  path = static_cast<const char*>(file);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return Fail(BASS_ERROR_FILEOPEN, false);
  return true;
}

std::unique_ptr<Channel> OpenByContent(const std::string& path, int& error) {
  const audioengine::SniffResult sniff = audioengine::SniffFile(path);
  error = BASS_ERROR_FILEFORM;
  switch (sniff.kind) {
    case ContentKind::Wav:
    case ContentKind::Aiff:
    case ContentKind::Ogg:
      return audioengine::OpenSndfileChannel(path, sniff.kind, AddonEnabled(kAddonFlac), error);
    case ContentKind::Flac:
      if (!AddonEnabled(kAddonFlac)) return nullptr;
      return audioengine::OpenSndfileChannel(path, sniff.kind, true, error);
    case ContentKind::MpegAudio:
      return audioengine::OpenMpg123Channel(path, error);
    case ContentKind::WavPack:
      if (!AddonEnabled(kAddonWavPack)) return nullptr;
      return audioengine::OpenWavPackChannel(path, error);
    case ContentKind::Adts:
      if (!AddonEnabled(kAddonAac)) return nullptr;
      return audioengine::OpenFfmpegChannel(path, sniff.kind, true, false, error);
    case ContentKind::Mp4:
      return audioengine::OpenFfmpegChannel(path, sniff.kind, AddonEnabled(kAddonAac),
                                            AddonEnabled(kAddonAlac), error);
    case ContentKind::Adx:
      if (!AddonEnabled(kAddonAdx)) return nullptr;
      return audioengine::OpenFfmpegChannel(path, sniff.kind, false, false, error);
    case ContentKind::CdTrack:
      if (!AddonEnabled(kAddonCd)) return nullptr;
      return audioengine::OpenCdChannel(path, error);
    case ContentKind::Midi:
    case ContentKind::Unknown:
      break;
  }
  return nullptr;
}

}  // namespace

DWORD BASS_GetVersion() { return kVersion; }

int BASS_ErrorGetCode() { return t_error; }

BOOL BASS_SetConfig(DWORD option, DWORD value) {
  if (option != BASS_CONFIG_UPDATEPERIOD) return Fail(BASS_ERROR_ILLTYPE, 0);
  State().updatePeriod = value;
  return Ok(1);
}

DWORD BASS_GetConfig(DWORD option) {
  if (option != BASS_CONFIG_UPDATEPERIOD) return Fail(BASS_ERROR_ILLTYPE, kDwordError);
  return Ok(State().updatePeriod.load());
}

BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* win, const void* dsguid) {
  (void)flags;
  (void)win;
  (void)dsguid;
  EngineState& s = State();
  // Device 0 ("no sound") is the only one; -1 (the default) means it too.
  if (device != 0 && device != -1) return Fail(BASS_ERROR_DEVICE, 0);
  if (s.initialised) return Fail(BASS_ERROR_ALREADY, 0);
  if (freq == 0 || freq > 384000) return Fail(BASS_ERROR_FORMAT, 0);
  s.rate = freq;
  s.initialised = true;
  return Ok(1);
}

BOOL BASS_Free() {
  EngineState& s = State();
  if (!s.initialised) return Fail(BASS_ERROR_INIT, 0);
  std::map<DWORD, Entry> doomed;
  {
    std::lock_guard lock(s.mutex);
    doomed.swap(s.channels);
    s.initialised = false;
  }
  return Ok(1);
}

HPLUGIN BASS_PluginLoad(const char* file, DWORD flags) {
  if (file == nullptr || (flags & BASS_UNICODE)) return Fail(BASS_ERROR_FILEOPEN, HPLUGIN{0});
  std::string name = AsciiLower(FileNameOf(file));
  if (name.rfind("lib", 0) == 0) name.erase(0, 3);
  for (const char* suffix : {".dll", ".so"}) {
    const size_t n = std::char_traits<char>::length(suffix);
    if (name.size() > n && name.compare(name.size() - n, n, suffix) == 0) {
      name.erase(name.size() - n);
      break;
    }
  }
  EngineState& s = State();
  for (int i = 0; i < kAddonCount; ++i) {
    if (name != kAddonStems[i]) continue;
    std::lock_guard lock(s.mutex);
    if (s.addons[i]) return Fail(BASS_ERROR_ALREADY, HPLUGIN{0});
    s.addons[i] = true;
    return Ok(kPluginHandleBase + static_cast<HPLUGIN>(i));
  }
  return Fail(BASS_ERROR_FILEOPEN, HPLUGIN{0});
}

BOOL BASS_PluginFree(HPLUGIN handle) {
  EngineState& s = State();
  std::lock_guard lock(s.mutex);
  if (handle == 0) {
    std::fill(std::begin(s.addons), std::end(s.addons), false);
    return Ok(1);
  }
  const HPLUGIN index = handle - kPluginHandleBase;
  if (handle < kPluginHandleBase || index >= kAddonCount || !s.addons[index]) {
    return Fail(BASS_ERROR_HANDLE, 0);
  }
  s.addons[index] = false;
  return Ok(1);
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags) {
  std::string path;
  if (!FileArguments(mem, file, offset, length, flags, path)) return 0;
  int error = BASS_ERROR_FILEFORM;
  std::unique_ptr<Channel> channel = OpenByContent(path, error);
  if (!channel) return Fail(error, HSTREAM{0});
  return Register(std::move(channel), Kind::Stream);
}

BOOL BASS_StreamFree(HSTREAM handle) { return FreeHandle(handle, Kind::Stream) ? 1 : 0; }

HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags,
                      DWORD freq) {
  std::string path;
  if (!FileArguments(mem, file, offset, length, flags, path)) return 0;
  int error = BASS_ERROR_FILEFORM;
  std::unique_ptr<Channel> channel = audioengine::OpenModuleChannel(
      path, freq != 0 ? freq : State().rate.load(), (flags & BASS_MUSIC_PRESCAN) != 0, error);
  if (!channel) return Fail(error, HMUSIC{0});
  return Register(std::move(channel), Kind::Music);
}

BOOL BASS_MusicFree(HMUSIC handle) { return FreeHandle(handle, Kind::Music) ? 1 : 0; }

QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode) {
  const std::shared_ptr<Channel> c = Find(handle);
  if (!c) return kQwordError;
  if (mode != BASS_POS_BYTE || !c->LengthKnown()) return Fail(BASS_ERROR_NOTAVAIL, kQwordError);
  return Ok(c->LengthBytes());
}

QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode) {
  const std::shared_ptr<Channel> c = Find(handle);
  if (!c) return kQwordError;
  if (mode != BASS_POS_BYTE) return Fail(BASS_ERROR_NOTAVAIL, kQwordError);
  return Ok(c->PositionBytes());
}

double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
  const std::shared_ptr<Channel> c = Find(handle);
  if (!c) return -1.0;
  const double bytesPerSecond = static_cast<double>(c->Rate()) * c->FrameBytes();
  if (bytesPerSecond <= 0) return Fail(BASS_ERROR_NOTAVAIL, -1.0);
  return Ok(static_cast<double>(pos) / bytesPerSecond);
}

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
  const std::shared_ptr<Channel> c = Find(handle);
  if (!c) return 0;
  if (info == nullptr) return Fail(BASS_ERROR_ILLPARAM, 0);
  *info = BASS_CHANNELINFO{};
  info->freq = c->Rate();
  info->chans = c->Channels();
  info->flags = BASS_STREAM_DECODE | (c->EightBit() ? BASS_SAMPLE_8BITS : 0);
  info->ctype = c->ChannelType();
  info->origres = c->OriginalBits();
  info->filename = c->Path().c_str();
  return Ok(1);
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
  const std::shared_ptr<Channel> c = Find(handle);
  if (!c) return kDwordError;
  // Only plain sample data is offered (no level, FFT or float requests).
  if (buffer == nullptr || (length & 0xF0000000u)) return Fail(BASS_ERROR_ILLPARAM, kDwordError);
  const std::optional<uint32_t> got = c->GetData(buffer, length);
  if (!got) return Fail(BASS_ERROR_ENDED, kDwordError);
  return Ok(*got);
}

QWORD BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode) {
  const Kind stream = Kind::Stream;
  const std::shared_ptr<Channel> c = Find(handle, &stream);
  if (!c) return kQwordError;
  const std::optional<uint64_t> size = c->FileBytes();
  if (!size) return Fail(BASS_ERROR_NOTFILE, kQwordError);
  switch (mode) {
    case BASS_FILEPOS_END:
      return Ok(*size);
    case BASS_FILEPOS_START:
      return Ok(QWORD{0});
    case BASS_FILEPOS_CURRENT: {
      if (!c->LengthKnown() || c->LengthBytes() == 0) return Ok(QWORD{0});
      const double share =
          static_cast<double>(c->PositionBytes()) / static_cast<double>(c->LengthBytes());
      return Ok(static_cast<QWORD>(share * static_cast<double>(*size)));
    }
    default:
      return Fail(BASS_ERROR_ILLPARAM, kQwordError);
  }
}

const char* TAGS_Read(DWORD handle, const char* format) {
  thread_local std::string text;
  text.clear();
  const std::shared_ptr<Channel> c = Find(handle);
  if (!c || format == nullptr) return text.c_str();
  if (const std::optional<audioengine::TagFields> fields = c->ReadTags()) {
    text = audioengine::FormatTags(format, *fields);
  }
  return text.c_str();
}

HSOUNDFONT BASS_MIDI_FontInit(const void* file, DWORD flags) {
  if (file == nullptr || (flags & BASS_UNICODE)) return Fail(BASS_ERROR_FILEOPEN, HSOUNDFONT{0});
  const std::string path = static_cast<const char*>(file);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return Fail(BASS_ERROR_FILEOPEN, HSOUNDFONT{0});
  if (!audioengine::IsSoundfontFile(path)) return Fail(BASS_ERROR_FILEFORM, HSOUNDFONT{0});
  EngineState& s = State();
  std::lock_guard lock(s.mutex);
  HSOUNDFONT handle = s.nextFont++;
  while (handle == 0 || s.fonts.count(handle)) handle = s.nextFont++;
  s.fonts[handle] = path;
  return Ok(handle);
}

BOOL BASS_MIDI_FontFree(HSOUNDFONT handle) {
  EngineState& s = State();
  std::lock_guard lock(s.mutex);
  if (s.fonts.erase(handle) == 0) return Fail(BASS_ERROR_HANDLE, 0);
  return Ok(1);
}

BOOL BASS_MIDI_StreamSetFonts(HSTREAM handle, const void* fonts, DWORD count) {
  if (fonts == nullptr && count > 0) return Fail(BASS_ERROR_ILLPARAM, 0);
  const auto* entries = static_cast<const BASS_MIDI_FONT*>(fonts);
  std::vector<std::string> paths;
  {
    EngineState& s = State();
    std::lock_guard lock(s.mutex);
    for (DWORD i = 0; i < count; ++i) {
      const auto it = s.fonts.find(entries[i].font);
      if (it == s.fonts.end()) return Fail(BASS_ERROR_HANDLE, 0);
      paths.push_back(it->second);
    }
    if (handle == 0) {
      s.defaultFonts = paths;
      return Ok(1);
    }
  }
  const Kind stream = Kind::Stream;
  const std::shared_ptr<Channel> c = Find(handle, &stream);
  if (!c) return 0;
  if (!audioengine::SetMidiChannelFonts(*c, paths)) return Fail(BASS_ERROR_HANDLE, 0);
  return Ok(1);
}

HSTREAM BASS_MIDI_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                                   DWORD flags, DWORD freq) {
  std::string path;
  if (!FileArguments(mem, file, offset, length, flags, path)) return 0;
  std::vector<std::string> fonts;
  DWORD rate = 0;
  {
    EngineState& s = State();
    std::lock_guard lock(s.mutex);
    fonts = s.defaultFonts;
    rate = freq != 0 ? freq : s.rate.load();
  }
  int error = BASS_ERROR_FILEFORM;
  std::unique_ptr<Channel> channel = audioengine::OpenMidiChannel(path, rate, fonts, error);
  if (!channel) return Fail(error, HSTREAM{0});
  return Register(std::move(channel), Kind::Stream);
}

}  // namespace sondrel
