// MIDI files rendered through fluidsynth: 16-bit stereo at the requested
// rate, with the given SoundFont 2 files, for exactly the song's length as
// its tempo map gives it (notes still sounding at the end are cut, as the
// real library does).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/audioengine/channel.h"
#include "platform/bytes.h"

namespace sondrel::audioengine {

// The rates the synthesiser renders at.
inline constexpr uint32_t kMinMidiRate = 8000;
inline constexpr uint32_t kMaxMidiRate = 96000;

std::unique_ptr<Channel> OpenMidiChannel(const std::string& path, uint32_t rate,
                                         const std::vector<std::string>& fonts, int& error);

// Replaces the fonts of a MIDI channel; false when `channel` is not one.
bool SetMidiChannelFonts(Channel& channel, const std::vector<std::string>& fonts);

// Whether `path` is a readable SoundFont 2 file (RIFF "sfbk" with its three
// lists); what a font handle is made from. IsSoundfont reads only chunk
// headers, from a file or from memory.
bool IsSoundfontFile(const std::string& path);
bool IsSoundfont(ByteSource& file);

}  // namespace sondrel::audioengine
