#include "platform/audioengine/midi_file.h"

#include <algorithm>
#include <cstring>

namespace sondrel::audioengine {

namespace {

constexpr uint32_t kDefaultTempo = 500000;  // microseconds per quarter note: 120 BPM
constexpr size_t kMaxTracks = 65535;

uint32_t Be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint32_t Le32(const uint8_t* p) {
  return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

enum class EventType : uint8_t { Channel, Sysex, Tempo, End };

// One event of a track before the tracks are merged.
struct TrackEvent {
  uint64_t tick = 0;
  uint32_t sysexOffset = 0;  // into the file, for Sysex
  uint32_t sysexLength = 0;
  uint32_t tempo = 0;  // for Tempo
  EventType type = EventType::Channel;
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;
};

class TrackReader {
 public:
  TrackReader(const uint8_t* file, size_t begin, size_t end)
      : m_file(file), m_pos(begin), m_end(end) {}

  // Appends the track's events; a malformed event ends the track there.
  void Read(std::vector<TrackEvent>& out) {
    uint64_t tick = 0;
    uint8_t running = 0;
    while (m_pos < m_end) {
      uint32_t delta = 0;
      if (!VarLen(delta)) break;
      tick += delta;
      if (m_pos >= m_end) break;
      uint8_t status = m_file[m_pos];
      if (status & 0x80) {
        ++m_pos;
      } else if (running) {
        status = running;  // running status: this byte is the first data byte
      } else {
        break;
      }
      TrackEvent e;
      e.tick = tick;
      if (status < 0xF0) {
        running = status;
        const int count = (status & 0xE0) == 0xC0 ? 1 : 2;
        if (m_end - m_pos < static_cast<size_t>(count)) break;
        e.status = status;
        e.data1 = m_file[m_pos++] & 0x7F;
        if (count == 2) e.data2 = m_file[m_pos++] & 0x7F;
        out.push_back(e);
        continue;
      }
      // System exclusive and meta events cancel running status.
      running = 0;
      if (status == 0xFF) {
        if (m_pos >= m_end) break;
        const uint8_t type = m_file[m_pos++];
        uint32_t length = 0;
        if (!VarLen(length) || length > m_end - m_pos) break;
        const uint8_t* data = m_file + m_pos;
        m_pos += length;
        if (type == 0x51 && length >= 3) {
          e.type = EventType::Tempo;
          e.tempo = (uint32_t{data[0]} << 16) | (uint32_t{data[1]} << 8) | data[2];
          out.push_back(e);
        } else if (type == 0x2F) {
          break;
        }
      } else if (status == 0xF0 || status == 0xF7) {
        uint32_t length = 0;
        if (!VarLen(length) || length > m_end - m_pos) break;
        if (status == 0xF0) {
          e.type = EventType::Sysex;
          e.sysexOffset = static_cast<uint32_t>(m_pos);
          e.sysexLength = length;
          // The closing F7 is not passed on.
          if (length > 0 && m_file[m_pos + length - 1] == 0xF7) --e.sysexLength;
          out.push_back(e);
        }
        m_pos += length;
      } else {
        break;  // no other system message belongs in a file
      }
    }
    TrackEvent end;
    end.tick = tick;
    end.type = EventType::End;
    out.push_back(end);
  }

 private:
  // A variable-length quantity of at most four bytes.
  bool VarLen(uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
      if (m_pos >= m_end) return false;
      const uint8_t b = m_file[m_pos++];
      value = (value << 7) | (b & 0x7F);
      if (!(b & 0x80)) return true;
    }
    return false;
  }

  const uint8_t* m_file;
  size_t m_pos;
  size_t m_end;
};

// The bytes of the standard MIDI file inside a RIFF "RMID" file.
bool UnwrapRmid(const uint8_t* data, size_t size, size_t& begin, size_t& end) {
  if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "RMID", 4) != 0) {
    return false;
  }
  size_t pos = 12;
  while (size - pos >= 8) {
    const size_t length = Le32(data + pos + 4);
    const size_t body = pos + 8;
    const size_t available = std::min(length, size - body);
    if (std::memcmp(data + pos, "data", 4) == 0) {
      begin = body;
      end = body + available;
      return true;
    }
    pos = body + available + (available % 2);
    if (pos > size) break;
  }
  return false;
}

}  // namespace

std::optional<MidiSong> ParseMidiFile(const uint8_t* data, size_t size, double maxSeconds) {
  if (data == nullptr) return std::nullopt;
  size_t begin = 0;
  size_t end = size;
  if (!UnwrapRmid(data, size, begin, end)) {
    begin = 0;
    end = size;
  }
  if (end - begin < 14 || std::memcmp(data + begin, "MThd", 4) != 0) return std::nullopt;
  const uint32_t headerLength = Be32(data + begin + 4);
  if (headerLength < 6) return std::nullopt;
  const uint8_t* header = data + begin + 8;
  MidiSong song;
  song.format = (header[0] << 8) | header[1];
  song.division = (header[4] << 8) | header[5];
  if (song.format > 2 || song.division == 0) return std::nullopt;

  // Microseconds per tick: by tempo for quarter-note divisions, fixed for
  // SMPTE time code.
  double smpteTick = 0;
  if (song.division & 0x8000) {
    const int fps = -static_cast<int8_t>(song.division >> 8);
    const int perFrame = song.division & 0xFF;
    if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || perFrame == 0) return std::nullopt;
    smpteTick = 1e6 / ((fps == 29 ? 29.97 : fps) * perFrame);
  }

  std::vector<TrackEvent> events;
  size_t pos = begin + 8 + std::min<size_t>(headerLength, end - begin - 8);
  while (end - pos >= 8 && static_cast<size_t>(song.tracks) < kMaxTracks) {
    const size_t body = pos + 8;
    const size_t available = std::min<size_t>(Be32(data + pos + 4), end - body);
    if (std::memcmp(data + pos, "MTrk", 4) == 0) {
      TrackReader(data, body, body + available).Read(events);
      ++song.tracks;
    }
    pos = body + available;
  }
  if (song.tracks == 0) return std::nullopt;
  // Tracks are merged by tick; within a tick the earlier track comes first.
  std::stable_sort(events.begin(), events.end(),
                   [](const TrackEvent& a, const TrackEvent& b) { return a.tick < b.tick; });

  const double limit = maxSeconds * 1e6;
  double time = 0;
  uint64_t tick = 0;
  uint32_t tempo = kDefaultTempo;
  for (const TrackEvent& e : events) {
    const double ticks = static_cast<double>(e.tick - tick);
    time += smpteTick > 0 ? ticks * smpteTick : ticks * tempo / song.division;
    tick = e.tick;
    if (time > limit) return std::nullopt;
    switch (e.type) {
      case EventType::Tempo:
        tempo = e.tempo;
        break;
      case EventType::End:
        break;
      case EventType::Channel: {
        MidiMessage m;
        m.time = time;
        m.status = e.status;
        m.data1 = e.data1;
        m.data2 = e.data2;
        song.messages.push_back(std::move(m));
        break;
      }
      case EventType::Sysex: {
        MidiMessage m;
        m.time = time;
        m.status = 0xF0;
        m.sysex.assign(reinterpret_cast<const char*>(data + e.sysexOffset), e.sysexLength);
        song.messages.push_back(std::move(m));
        break;
      }
    }
  }
  song.length = time;
  return song;
}

}  // namespace sondrel::audioengine
