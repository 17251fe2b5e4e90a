#include "decode/audio_engine.h"

#include <cstdlib>
#include <ctime>

#include "decode/messages.h"
#include "decode/user_prompts.h"
#include "platform/audioengine/bass.h"
#include "platform/audioengine/bass_midi.h"
#include "platform/ffmpeg/ffmpeg_handles.h"
#include "platform/paths.h"

namespace sondrel {

const char* const kSoundfontName = "ct4mgm.sf2";
const char* const kSystemSoundfontPath = "/usr/share/sounds/sf2/default-GM.sf2";

namespace {

constexpr DWORD kEngineVersion = 0x0204;
constexpr const char* kAddons[] = {"bassflac.dll", "basscd.dll",   "basswv.dll",
                                   "bass_aac.dll", "bass_adx.dll", "bass_alac.dll"};

}  // namespace

int StartAudioEngine(UserPrompts& prompts) {
  if ((BASS_GetVersion() >> 16) != kEngineVersion) return 0;
  // Nothing is played, so the engine needs no update thread.
  BASS_SetConfig(BASS_CONFIG_UPDATEPERIOD, 0);
  if (!BASS_Init(0, 44100, 0, nullptr, nullptr)) {
    prompts.ShowMessage(kEngineInitFailedMessage, MessageIcon::Exclamation);
    return 0;
  }
  // FFmpeg's own diagnostics would clutter the terminal; failures are return values.
  ffmpeg::QuietLog();
  LoadPlugins();
  // FFmpeg 5 registers its formats and codecs itself.
  std::srand(static_cast<unsigned>(std::time(nullptr)) * static_cast<unsigned>(std::clock()));
  return 1;
}

void LoadPlugins() {
  const std::string folder = ProgramFolder();
  if (folder.empty()) return;
  for (const char* addon : kAddons) BASS_PluginLoad((folder + addon).c_str(), 0);
}

std::vector<std::string> SoundfontCandidates() {
  std::vector<std::string> candidates;
  const std::string program = ProgramFolder();
  if (!program.empty()) candidates.push_back(program + kSoundfontName);
  const std::string data = DataFolder();
  if (!data.empty()) candidates.push_back(data + kSoundfontName);
  candidates.push_back(kSystemSoundfontPath);
  return candidates;
}

void LoadDefaultSoundfont(int& soundFont, const std::vector<std::string>& candidates) {
  if (soundFont) return;
  for (const std::string& path : candidates) {
    const HSOUNDFONT font = BASS_MIDI_FontInit(path.c_str(), 0);
    if (font == 0) continue;
    const BASS_MIDI_FONT entry{font, -1, 0};
    soundFont = BASS_MIDI_StreamSetFonts(0, &entry, 1);
    return;
  }
}

void LoadDefaultSoundfont(int& soundFont) {
  LoadDefaultSoundfont(soundFont, SoundfontCandidates());
}

void StopAudioEngine() {
  BASS_Free();
  BASS_PluginFree(0);
}

}  // namespace sondrel
