#include "support/synth_fixtures.h"

#include <cmath>
#include <numbers>

namespace sondrel::test {

namespace {

void Be16(std::string& s, uint32_t v) {
  s += static_cast<char>((v >> 8) & 0xFF);
  s += static_cast<char>(v & 0xFF);
}
void Be32(std::string& s, uint32_t v) {
  Be16(s, v >> 16);
  Be16(s, v & 0xFFFF);
}
void Le16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Le32(std::string& s, uint32_t v) {
  Le16(s, v & 0xFFFF);
  Le16(s, v >> 16);
}

std::string Chunk(const std::string& id, const std::string& body) {
  std::string c = id;
  Le32(c, static_cast<uint32_t>(body.size()));
  c += body;
  if (body.size() % 2) c += '\0';
  return c;
}

std::string Fixed(const std::string& text, size_t size) {
  std::string s = text.substr(0, size);
  s.resize(size, '\0');
  return s;
}

}  // namespace

std::string TinyMod(const std::string& title, int rows, uint16_t sampleWords) {
  std::string m = Fixed(title, 20);
  for (int i = 0; i < 31; ++i) {
    m += Fixed(i == 0 ? "square" : "", 22);
    Be16(m, i == 0 ? sampleWords : 0);  // length in words
    m += '\0';                          // finetune
    m += static_cast<char>(i == 0 ? 64 : 0);
    Be16(m, 0);                // loop start
    Be16(m, i == 0 ? 16 : 1);  // loop length in words
  }
  m += '\x01';  // song length
  m += '\x7F';
  std::string orders(128, '\0');
  m += orders;
  m += "M.K.";
  // One pattern: 64 rows of 4 channels of 4 bytes.
  std::string pattern(64 * 4 * 4, '\0');
  // Row 0, channel 0: sample 1, period 428.
  pattern[0] = 0x01;
  pattern[1] = static_cast<char>(428 & 0xFF);
  pattern[2] = 0x10;
  // Row rows-1, channel 1: pattern break (Dxx): the song ends after it.
  const size_t cell = static_cast<size_t>((rows - 1) * 16 + 4);
  pattern[cell + 2] = 0x0D;
  m += pattern;
  for (int i = 0; i < 32; ++i) m += static_cast<char>(i < 16 ? 100 : -100);
  return m;
}

std::string MidiVarLen(uint32_t value) {
  std::string out(1, static_cast<char>(value & 0x7F));
  while (value >>= 7) out.insert(out.begin(), static_cast<char>(0x80 | (value & 0x7F)));
  return out;
}

std::string MidiFile(int format, int division, const std::vector<std::vector<MidiEvent>>& tracks) {
  std::string f = "MThd";
  Be32(f, 6);
  Be16(f, static_cast<uint32_t>(format));
  Be16(f, static_cast<uint32_t>(tracks.size()));
  Be16(f, static_cast<uint32_t>(division));
  for (const auto& track : tracks) {
    std::string body;
    // An event without bytes stands for a gap: an empty text event.
    for (const MidiEvent& e : track) {
      body += MidiVarLen(e.delta) + (e.bytes.empty() ? std::string("\xFF\x01\x00", 3) : e.bytes);
    }
    body += std::string("\x00\xFF\x2F\x00", 4);
    f += "MTrk";
    Be32(f, static_cast<uint32_t>(body.size()));
    f += body;
  }
  return f;
}

std::string RmidFile(const std::string& smf) { return Chunk("RIFF", "RMID" + Chunk("data", smf)); }

std::string MidiTempo(uint32_t us) {
  std::string e("\xFF\x51\x03", 3);
  e += static_cast<char>((us >> 16) & 0xFF);
  e += static_cast<char>((us >> 8) & 0xFF);
  e += static_cast<char>(us & 0xFF);
  return e;
}

std::string SineSoundfont() {
  // One period of a sine at 44100 Hz / 100 samples = 441 Hz, root key 69
  // (A4, 440 Hz): close enough, and looped seamlessly.
  const int period = 100;
  const int loops = 10;
  std::string samples;
  for (int i = 0; i < period * loops; ++i) {
    Le16(samples, static_cast<uint16_t>(static_cast<int16_t>(
                      std::lround(std::sin(2 * std::numbers::pi * i / period) * 20000))));
  }
  samples += std::string(46 * 2, '\0');  // the 46 zero samples after each sample

  std::string info = "INFO";
  std::string ifil;
  Le16(ifil, 2);
  Le16(ifil, 1);
  info += Chunk("ifil", ifil);
  info += Chunk("isng", Fixed("EMU8000", 8));
  info += Chunk("INAM", Fixed("Sine", 6));

  const std::string sdta = "sdta" + Chunk("smpl", samples);

  auto gen = [](uint16_t op, uint16_t amount) {
    std::string g;
    Le16(g, op);
    Le16(g, amount);
    return g;
  };
  // Presets: "Sine" (bank 0, preset 0) and the terminal EOP.
  std::string phdr = Fixed("Sine", 20);
  Le16(phdr, 0);  // preset
  Le16(phdr, 0);  // bank
  Le16(phdr, 0);  // first bag
  Le32(phdr, 0);
  Le32(phdr, 0);
  Le32(phdr, 0);
  phdr += Fixed("EOP", 20);
  Le16(phdr, 0);
  Le16(phdr, 0);
  Le16(phdr, 1);
  Le32(phdr, 0);
  Le32(phdr, 0);
  Le32(phdr, 0);
  std::string pbag;  // one zone (gens 0..1), then the terminal bag
  Le16(pbag, 0);
  Le16(pbag, 0);
  Le16(pbag, 1);
  Le16(pbag, 0);
  std::string pmod(10, '\0');
  std::string pgen = gen(41, 0) + gen(0, 0);  // instrument 0; terminal
  std::string inst = Fixed("Sine", 20);
  Le16(inst, 0);
  inst += Fixed("EOI", 20);
  Le16(inst, 1);
  std::string ibag;
  Le16(ibag, 0);
  Le16(ibag, 0);
  Le16(ibag, 3);
  Le16(ibag, 0);
  std::string imod(10, '\0');
  // Loop continuously (sampleModes 54 = 1), root key 69, sample 0; terminal.
  std::string igen = gen(54, 1) + gen(58, 69) + gen(53, 0) + gen(0, 0);
  std::string shdr = Fixed("sine", 20);
  Le32(shdr, 0);                     // start
  Le32(shdr, period * loops);        // end
  Le32(shdr, period);                // loop start
  Le32(shdr, period * (loops - 1));  // loop end
  Le32(shdr, 44100);
  shdr += static_cast<char>(69);  // original pitch
  shdr += '\0';                   // correction
  Le16(shdr, 0);                  // link
  Le16(shdr, 1);                  // mono
  shdr += Fixed("EOS", 20);
  shdr += std::string(26, '\0');
  const std::string pdta = "pdta" + Chunk("phdr", phdr) + Chunk("pbag", pbag) +
                           Chunk("pmod", pmod) + Chunk("pgen", pgen) + Chunk("inst", inst) +
                           Chunk("ibag", ibag) + Chunk("imod", imod) + Chunk("igen", igen) +
                           Chunk("shdr", shdr);
  return Chunk("RIFF", "sfbk" + Chunk("LIST", info) + Chunk("LIST", sdta) + Chunk("LIST", pdta));
}

}  // namespace sondrel::test
