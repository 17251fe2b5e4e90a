// Arbitrary bytes as a MIDI file: the reader and its tempo-map length must
// never crash, hang or read out of bounds, and what it returns is ordered in
// time and within the song's length.
#include <cstddef>
#include <cstdint>

#include "platform/audioengine/channel.h"
#include "platform/audioengine/midi_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sondrel::audioengine;
  const auto song = ParseMidiFile(data, size, kMaxRenderSeconds);
  if (!song) return 0;
  double last = 0;
  for (const MidiMessage& m : song->messages) {
    if (m.time < last || m.time > song->length) __builtin_trap();
    last = m.time;
  }
  if (song->length > kMaxRenderSeconds * 1e6) __builtin_trap();
  return 0;
}
