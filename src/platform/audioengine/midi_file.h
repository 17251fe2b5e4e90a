// A reader for standard MIDI files (format 0, 1 and 2, bare or wrapped in a
// RIFF "RMID" file) that turns every track into one time-ordered list of
// channel messages and system-exclusive messages, timed in microseconds by
// the file's tempo map. The song's length is the time of its last event
// (normally the latest end-of-track).
//
// The reader is lenient in the way players are: a chunk or track that claims
// more bytes than the file holds is cut at the end of the file, running
// status is honoured, a malformed event ends its track, unknown chunks are
// skipped. A file whose events would run past `maxSeconds` is refused, so that
// an absurd tempo or delta time cannot make a song of months.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sondrel::audioengine {

struct MidiMessage {
  double time = 0;     // microseconds from the start
  uint8_t status = 0;  // 0x80..0xEF a channel message, 0xF0 system exclusive
  uint8_t data1 = 0;
  uint8_t data2 = 0;
  std::string sysex;  // for 0xF0: the bytes after F0, without the closing F7
};

struct MidiSong {
  int format = 0;
  int division = 0;                   // the header's division word
  int tracks = 0;                     // track chunks read
  std::vector<MidiMessage> messages;  // in time order (ties in track order)
  double length = 0;                  // microseconds
};

std::optional<MidiSong> ParseMidiFile(const uint8_t* data, size_t size, double maxSeconds);

}  // namespace sondrel::audioengine
