// MIDI streams of the audio engine, by the BASSMIDI names: standard MIDI files
// (type 0, 1 and 2, and RIFF "RMID" wrapping) rendered through a SoundFont 2
// synthesiser at the requested rate. The length of a MIDI stream comes from
// the file's tempo map: the time of its last event.
#pragma once

#include "platform/audioengine/bass.h"

namespace sondrel {

using HSOUNDFONT = DWORD;

struct BASS_MIDI_FONT {
  HSOUNDFONT font;  // soundfont handle
  int preset;       // -1: every preset of the font
  int bank;         // bank offset, 0 here
};

// Registers a SoundFont 2 file; 0 when it is missing or not a SoundFont.
HSOUNDFONT BASS_MIDI_FontInit(const void* file, DWORD flags);
BOOL BASS_MIDI_FontFree(HSOUNDFONT handle);
// With handle 0, sets the default fonts of every MIDI stream created later.
// Only whole fonts (preset -1) are supported.
BOOL BASS_MIDI_StreamSetFonts(HSTREAM handle, const void* fonts, DWORD count);
// freq 0 renders at the rate given to BASS_Init. A stream without any font
// renders silence, as the real library does.
HSTREAM BASS_MIDI_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                                   DWORD flags, DWORD freq);

}  // namespace sondrel
