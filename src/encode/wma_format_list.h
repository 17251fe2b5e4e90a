// The Windows Media audio codec formats the runtime offers, and the choice of
// one for wanted parameters.
//
// The list is built once per process, right after the runtime is first
// loaded, and lives until the program ends: writers keep pointers to its
// entries, which stay valid because entries never move and the list is not
// rebuilt while a writer exists.
#pragma once

#include <cstddef>
#include <list>

#include "platform/mediaruntime/wm_profile.h"
#include "platform/mediaruntime/wm_types.h"

namespace sondrel {

// One usable codec format: its media type (wave format: rate, channels) and
// its bit rate in bits per second as the enumeration reports it.
struct WmaFormatEntry {
  WmMediaType mediaType;
  int bitRate = 0;

  int SampleRate() const { return static_cast<int>(mediaType.wave.samplesPerSec); }
  int Channels() const { return mediaType.wave.channels; }
};

// Entries sorted ascending by sample rate, then by bit rate.
class WmaFormatList {
 public:
  using const_iterator = std::list<WmaFormatEntry>::const_iterator;

  // Inserts in order. An entry with the same sample rate, bit rate and
  // channel count as one already listed is a duplicate and is dropped
  // (returns false); with the same rate and bit rate but other channels the
  // new entry goes before the listed one.
  bool Insert(WmaFormatEntry entry);
  void Clear() { m_entries.clear(); }

  bool Empty() const { return m_entries.empty(); }
  size_t Size() const { return m_entries.size(); }
  const_iterator begin() const { return m_entries.begin(); }
  const_iterator end() const { return m_entries.end(); }

 private:
  std::list<WmaFormatEntry> m_entries;
};

// Empties `list` and fills it from the codec-format enumeration (`codecInfo`,
// or the runtime's own when null): every WMA V8/V9 format of at most two
// channels whose description is not an "(A/V)" one. Returns whether the
// enumeration ran without error; a partial list is kept either way.
bool BuildWmaFormatList(WmaFormatList& list, WmCodecInfo* codecInfo = nullptr);

// The entry for a wanted sample rate, bit rate and channel count: the exact
// one; else, at the wanted rate, the nearer of the formats around the bit
// rate (a tie takes the higher); else the lowest bit rate of the next higher
// rate; else the highest format below the rate. Only entries with exactly
// `channels` channels count. False when none fits (`entry` is then null).
bool ChooseWmaFormat(const WmaFormatList& list, int sampleRate, int bitRate, int channels,
                     const WmaFormatEntry*& entry, int& entryBitRate);

}  // namespace sondrel
