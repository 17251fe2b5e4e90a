// Byte-built fixtures for the synthesised sources: a tiny ProTracker module,
// standard MIDI files and a SoundFont 2 bank with one sine sample.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sondrel::test {

// A four-channel "M.K." module: one looped 32-byte square-wave sample, one
// pattern whose first row plays it and whose row `rows - 1` breaks to the
// end, at speed 6 / 125 BPM (0.12 s a row). `sampleWords` is the length the
// sample header claims (16 for the real sample).
std::string TinyMod(const std::string& title, int rows = 16, uint16_t sampleWords = 16);

// One MIDI event of a track: the delta time in ticks and the bytes after it
// (no bytes: an empty text event, to end a track later than its last note).
struct MidiEvent {
  uint32_t delta;
  std::string bytes;
};
// A variable-length quantity.
std::string MidiVarLen(uint32_t value);
// "MThd" with format, track count and division, then one "MTrk" per track
// (an end-of-track event is appended to each).
std::string MidiFile(int format, int division, const std::vector<std::vector<MidiEvent>>& tracks);
// The same wrapped in a RIFF "RMID" file.
std::string RmidFile(const std::string& smf);
// A set-tempo meta event (microseconds per quarter note).
std::string MidiTempo(uint32_t microsecondsPerQuarter);

// A SoundFont 2 bank: preset 0 of bank 0 plays a looped sine over every key.
std::string SineSoundfont();

}  // namespace sondrel::test
