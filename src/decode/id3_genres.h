// The 148 genre names of the ID3v1 list with its extensions (0 "Blues" to
// 147 "Synthpop"), in the spelling the program shows.
#pragma once

namespace sondrel {

inline constexpr int kGenreCount = 148;

// The name of genre `number`, or null outside 0..147.
const char* GenreName(int number);

}  // namespace sondrel
