#include "platform/audioengine/midi_file.h"

#include <algorithm>

#include "platform/bytes.h"

namespace sondrel::audioengine {

namespace {

constexpr uint32_t kDefaultTempo = 500000;  // microseconds per quarter note: 120 BPM
constexpr size_t kMaxTracks = 65535;

enum class EventType : uint8_t { Channel, Sysex, Tempo, End };

// One event of a track before the tracks are merged.
struct TrackEvent {
  uint64_t tick = 0;
  const uint8_t* sysex = nullptr;  // for Sysex: the bytes in the file
  uint32_t sysexLength = 0;
  uint32_t tempo = 0;  // for Tempo
  EventType type = EventType::Channel;
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;
};

class TrackReader {
 public:
  explicit TrackReader(ByteCursor track) : m_c(track) {}

  // Appends the track's events; a malformed event ends the track there.
  void Read(std::vector<TrackEvent>& out) {
    uint64_t tick = 0;
    uint8_t running = 0;
    while (m_c.Left() > 0) {
      uint32_t delta = 0;
      if (!VarLen(delta)) break;
      tick += delta;
      uint8_t status = m_c.U8();
      if (!m_c.Ok()) break;
      if (!(status & 0x80)) {
        if (!running) break;
        status = running;  // running status: that byte was the first data byte
        m_c.Seek(m_c.Pos() - 1);
      }
      TrackEvent e;
      e.tick = tick;
      if (status < 0xF0) {
        running = status;
        const int count = (status & 0xE0) == 0xC0 ? 1 : 2;
        const uint8_t* data = m_c.Bytes(static_cast<size_t>(count));
        if (!data) break;
        e.status = status;
        e.data1 = data[0] & 0x7F;
        if (count == 2) e.data2 = data[1] & 0x7F;
        out.push_back(e);
        continue;
      }
      // System exclusive and meta events cancel running status.
      running = 0;
      if (status == 0xFF) {
        const uint8_t type = m_c.U8();
        uint32_t length = 0;
        const uint8_t* data = VarLen(length) ? m_c.Bytes(length) : nullptr;
        if (!data) break;
        if (type == 0x51 && length >= 3) {
          e.type = EventType::Tempo;
          e.tempo = ByteCursor(data, length).Be24();
          out.push_back(e);
        } else if (type == 0x2F) {
          break;
        }
      } else if (status == 0xF0 || status == 0xF7) {
        uint32_t length = 0;
        const uint8_t* data = VarLen(length) ? m_c.Bytes(length) : nullptr;
        if (!data) break;
        if (status == 0xF0) {
          e.type = EventType::Sysex;
          e.sysex = data;
          e.sysexLength = length;
          // The closing F7 is not passed on.
          if (length > 0 && data[length - 1] == 0xF7) --e.sysexLength;
          out.push_back(e);
        }
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
      const uint8_t b = m_c.U8();
      if (!m_c.Ok()) return false;
      value = (value << 7) | (b & 0x7F);
      if (!(b & 0x80)) return true;
    }
    return false;
  }

  ByteCursor m_c;
};

// The standard MIDI file inside a RIFF "RMID" file: its "data" chunk.
bool UnwrapRmid(ByteCursor c, ByteCursor& smf) {
  if (!c.Match("RIFF") || !c.Skip(4) || !c.Match("RMID")) return false;
  while (c.Left() >= 8) {
    const bool isData = c.Match("data");
    const ByteCursor body = c.Take(c.Le32());
    if (isData) {
      smf = body;
      return true;
    }
    c.Skip(body.Size() % 2);  // the pad byte; a missing one ends the walk
  }
  return false;
}

}  // namespace

std::optional<MidiSong> ParseMidiFile(const uint8_t* data, size_t size, double maxSeconds) {
  if (data == nullptr) return std::nullopt;
  ByteCursor smf(data, size);
  UnwrapRmid(ByteCursor(data, size), smf);
  if (smf.Size() < 14 || !smf.Match("MThd")) return std::nullopt;
  const uint32_t headerLength = smf.Be32();
  if (headerLength < 6) return std::nullopt;
  ByteCursor header = smf.Take(headerLength);
  MidiSong song;
  song.format = header.Be16();
  header.Skip(2);  // track count: the chunks are counted instead
  song.division = header.Be16();
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
  while (smf.Left() >= 8 && static_cast<size_t>(song.tracks) < kMaxTracks) {
    const bool isTrack = smf.Match("MTrk");
    const ByteCursor body = smf.Take(smf.Be32());
    if (isTrack) {
      TrackReader(body).Read(events);
      ++song.tracks;
    }
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
        m.sysex.assign(reinterpret_cast<const char*>(e.sysex), e.sysexLength);
        song.messages.push_back(std::move(m));
        break;
      }
    }
  }
  song.length = time;
  return song;
}

}  // namespace sondrel::audioengine
