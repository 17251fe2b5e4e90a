// The rules that fit a file's encoding parameters to what a codec accepts:
// the automatic bit-rate tables and the nearest-value pick from a codec
// entry's lists.
#pragma once

namespace sondrel {

// Bit rate in bit/s for a sample rate; one channel uses the mono column,
// every other count the stereo one.
int DefaultBitRate(int sampleRate, int channels);

struct WmaParameters {
  int sampleRate = 0;
  int bitRate = 0;
};

// The automatic Windows Media sample rate and bit rate for a source.
WmaParameters ChooseWmaParameters(int sampleRate, int channels);

// Picks from an ascending list that ends in -1 the entry nearest to `value`
// (the lower one on a tie; the first or last one outside the range). A null
// list, or one holding only -1, returns `value` unchanged.
int NearestValue(int value, const int* list);

}  // namespace sondrel
