// The Windows Media audio formats a run may write, as the run asks for them.
//
// The run builds the list once the Windows Media runtime has loaded, then
// asks for the entry that fits a wanted sample rate, bit rate and channel
// count. The list owns its entries; they outlive every writer given one.
#pragma once

#include <memory>

namespace sondrel {

struct WmaFormatEntry;

class WmaFormats {
 public:
  virtual ~WmaFormats() = default;
  // Builds the list; later calls keep the list already built.
  virtual void Build() = 0;
  // The entry that fits, or null when none does.
  virtual const WmaFormatEntry* Choose(int sampleRate, int bitRate, int channels) = 0;
  // The bit rate (bit/s) of an entry returned by Choose.
  virtual int BitRateOf(const WmaFormatEntry* entry) const = 0;
};

// The list of this program. Until the Windows Media writer is built it is
// empty: nothing fits, and every WMA, WMV and ASF output fails.
std::unique_ptr<WmaFormats> MakeWmaFormats();

}  // namespace sondrel
