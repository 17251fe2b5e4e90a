// Process-wide start-up and shut-down of the audio engine that BassDecoder
// reads through, the enabling of its add-on decoders, and the default MIDI
// soundfont. All of it runs on the user-interface thread.
#pragma once

#include <string>
#include <vector>

namespace sondrel {

class UserPrompts;

// The soundfont's file name beside the program and in the data folder.
extern const char* const kSoundfontName;
// The system's General MIDI soundfont, the last place looked in.
extern const char* const kSystemSoundfontPath;

// Application start-up before the main window exists: checks the engine's
// version (a wrong one ends start-up silently), configures it without an
// update thread, initialises it without an output device (on failure shows
// kEngineInitFailedMessage through `prompts`), enables the add-ons and seeds
// the random numbers. Nonzero when start-up may go on; 0 when the
// application must exit.
int StartAudioEngine(UserPrompts& prompts);

// Enables the add-on decoders by their names in the program's folder, in the
// fixed order; nothing when the program's folder is unknown. A missing add-on
// is ignored.
void LoadPlugins();

// Where the soundfont is looked for, in order: the program's folder, the
// installed data folder, the system's General MIDI soundfont.
std::vector<std::string> SoundfontCandidates();

// Unless `soundFont` is already nonzero, installs the first of `candidates`
// that the engine accepts as the default font of all later MIDI streams and
// stores the result of that in `soundFont`. A missing file is silent.
void LoadDefaultSoundfont(int& soundFont, const std::vector<std::string>& candidates);
// The same with SoundfontCandidates().
void LoadDefaultSoundfont(int& soundFont);

// Application exit: releases the engine and its add-ons.
void StopAudioEngine();

}  // namespace sondrel
