#include "platform/audioengine/midi_channel.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <mutex>

#include "platform/audioengine/bass.h"
#include "platform/audioengine/midi_file.h"
#include "platform/c_handle.h"
#include "platform/file.h"

namespace sondrel::audioengine {

namespace {

// Frames rendered per synthesiser call at most.
constexpr size_t kRenderFrames = 4096;
// Larger files are not MIDI files.
constexpr uint64_t kMaxMidiBytes = 16ull << 20;

using SettingsPtr = CHandle<fluid_settings_t, delete_fluid_settings>;
using SynthPtr = CHandle<fluid_synth_t, delete_fluid_synth>;

// Once per process, before any stream: fluidsynth's log goes nowhere (it
// reports to the terminal unless told not to), and one synth is made and
// dropped so that the library's shared tables, which the first synth fills
// without a lock, are complete before streams on several threads make theirs.
void PrepareSynthLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
      fluid_set_log_function(level, nullptr, nullptr);
    }
    SettingsPtr settings(new_fluid_settings());
    if (settings) {
      fluid_settings_setint(settings.get(), "synth.lock-memory", 0);
      SynthPtr first(new_fluid_synth(settings.get()));
    }
  });
}

class MidiChannel : public Channel {
 public:
  bool Start(const std::string& path, uint32_t rate, MidiSong song,
             const std::vector<std::string>& fonts) {
    m_settings.reset(new_fluid_settings());
    if (!m_settings) return false;
    fluid_settings_t* s = m_settings.get();
    fluid_settings_setnum(s, "synth.sample-rate", rate);
    fluid_settings_setnum(s, "synth.gain", 0.5);
    fluid_settings_setint(s, "synth.threadsafe-api", 0);
    fluid_settings_setint(s, "synth.cpu-cores", 1);
    // Sample data need not be locked in memory for offline rendering.
    fluid_settings_setint(s, "synth.lock-memory", 0);
    m_synth.reset(new_fluid_synth(s));
    if (!m_synth) return false;
    LoadFonts(fonts);

    m_song = std::move(song);
    m_rate = rate;
    SetFormat(rate, 2, false, BASS_CTYPE_STREAM_MIDI, 0);
    SetLengthFrames(static_cast<uint64_t>(std::llround(m_song.length * rate / 1e6)));
    SetSourceFile(path, TagSource::None);
    return true;
  }

  void LoadFonts(const std::vector<std::string>& fonts) {
    fluid_synth_t* synth = m_synth.get();
    while (fluid_synth_sfcount(synth) > 0) {
      fluid_sfont_t* font = fluid_synth_get_sfont(synth, 0);
      if (!font || fluid_synth_sfunload(synth, fluid_sfont_get_id(font), 0) != FLUID_OK) break;
    }
    // Fonts loaded later take precedence in fluidsynth: load the first last.
    for (auto it = fonts.rbegin(); it != fonts.rend(); ++it) {
      fluid_synth_sfload(synth, it->c_str(), 0);
    }
    fluid_synth_program_reset(synth);
  }

 protected:
  size_t Decode(void* out, size_t frames) override {
    auto* samples = static_cast<int16_t*>(out);
    size_t done = 0;
    while (done < frames) {
      // Every message due by now goes to the synthesiser first.
      while (m_next < m_song.messages.size() && FrameOf(m_song.messages[m_next]) <= m_frame) {
        Send(m_song.messages[m_next++]);
      }
      uint64_t n = frames - done;
      if (m_next < m_song.messages.size()) {
        n = std::min<uint64_t>(n, FrameOf(m_song.messages[m_next]) - m_frame);
      }
      n = std::min<uint64_t>(n, kRenderFrames);
      // Rendered as float and rounded here: fluidsynth's own 16-bit output
      // adds dither noise, which would make silence not silent.
      fluid_synth_write_float(m_synth.get(), static_cast<int>(n), m_render.data(), 0, 2,
                              m_render.data(), 1, 2);
      for (size_t i = 0; i < n * 2; ++i) samples[done * 2 + i] = FloatToInt16(m_render[i]);
      done += n;
      m_frame += n;
    }
    return done;
  }

 private:
  uint64_t FrameOf(const MidiMessage& m) const {
    return static_cast<uint64_t>(std::llround(m.time * m_rate / 1e6));
  }

  void Send(const MidiMessage& m) {
    fluid_synth_t* synth = m_synth.get();
    const int channel = m.status & 0x0F;
    switch (m.status & 0xF0) {
      case 0x80:
        fluid_synth_noteoff(synth, channel, m.data1);
        break;
      case 0x90:
        if (m.data2 == 0) {
          fluid_synth_noteoff(synth, channel, m.data1);
        } else {
          fluid_synth_noteon(synth, channel, m.data1, m.data2);
        }
        break;
      case 0xA0:
        fluid_synth_key_pressure(synth, channel, m.data1, m.data2);
        break;
      case 0xB0:
        fluid_synth_cc(synth, channel, m.data1, m.data2);
        break;
      case 0xC0:
        fluid_synth_program_change(synth, channel, m.data1);
        break;
      case 0xD0:
        fluid_synth_channel_pressure(synth, channel, m.data1);
        break;
      case 0xE0:
        fluid_synth_pitch_bend(synth, channel, m.data1 | (m.data2 << 7));
        break;
      case 0xF0:
        if (!m.sysex.empty()) {
          fluid_synth_sysex(synth, m.sysex.data(), static_cast<int>(m.sysex.size()), nullptr,
                            nullptr, nullptr, 0);
        }
        break;
      default:
        break;
    }
  }

  SettingsPtr m_settings;
  SynthPtr m_synth;  // declared after the settings it was made from
  MidiSong m_song;
  uint32_t m_rate = 0;
  std::vector<float> m_render = std::vector<float>(kRenderFrames * 2);
  size_t m_next = 0;
  uint64_t m_frame = 0;
};

}  // namespace

std::unique_ptr<Channel> OpenMidiChannel(const std::string& path, uint32_t rate,
                                         const std::vector<std::string>& fonts, int& error) {
  const std::optional<std::vector<uint8_t>> bytes =
      ReadRenderSource(path, rate, kMinMidiRate, kMaxMidiRate, kMaxMidiBytes, error);
  if (!bytes) return nullptr;
  std::optional<MidiSong> song = ParseMidiFile(bytes->data(), bytes->size(), kMaxRenderSeconds);
  if (!song) {
    error = BASS_ERROR_FILEFORM;
    return nullptr;
  }
  PrepareSynthLibrary();
  auto channel = std::make_unique<MidiChannel>();
  if (!channel->Start(path, rate, std::move(*song), fonts)) {
    error = BASS_ERROR_MEM;
    return nullptr;
  }
  return channel;
}

bool SetMidiChannelFonts(Channel& channel, const std::vector<std::string>& fonts) {
  auto* midi = dynamic_cast<MidiChannel*>(&channel);
  if (!midi) return false;
  midi->LoadFonts(fonts);
  return true;
}

bool IsSoundfont(ByteSource& file) {
  uint8_t b[12] = {};
  ByteCursor head(b, sizeof b);
  if (!file.ReadExactAt(0, b, sizeof b) || !head.Match("RIFF") || !head.Skip(4) ||
      !head.Match("sfbk")) {
    return false;
  }
  // The three lists INFO, sdta and pdta, in any order, among the first 16 chunks.
  static constexpr const char* kLists[3] = {"INFO", "sdta", "pdta"};
  bool seen[3] = {};
  uint64_t pos = sizeof b;
  for (int i = 0; i < 16 && file.ReadExactAt(pos, b, sizeof b); ++i) {
    ByteCursor chunk(b, sizeof b);
    const bool isList = chunk.Match("LIST");
    const uint32_t length = chunk.Le32();
    for (int k = 0; k < 3; ++k) seen[k] = seen[k] || (isList && chunk.HasAt(8, kLists[k]));
    if (length < 4) break;
    pos += 8 + uint64_t{length} + (length & 1);
  }
  return seen[0] && seen[1] && seen[2];
}

bool IsSoundfontFile(const std::string& path) {
  File file;
  return file.Open(path) && IsSoundfont(file);
}

}  // namespace sondrel::audioengine
