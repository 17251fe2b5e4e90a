// The Windows Media audio formats a run may write, as the run asks for them.
//
// The run builds the list once the Windows Media runtime has loaded, then
// asks for the entry that fits a wanted sample rate, bit rate and channel
// count. The list owns its entries; they outlive every writer given one.
#pragma once

#include <functional>
#include <memory>

namespace sondrel {

struct WmaFormatEntry;
class WmaFormatList;
class WmCodecInfo;

class WmaFormats {
 public:
  virtual ~WmaFormats() = default;
  // Builds the list; later calls keep the list already built.
  virtual void Build() = 0;
  // The entry that fits, or null when none does.
  virtual const WmaFormatEntry* Choose(int sampleRate, int bitRate, int channels) = 0;
  // The bit rate (bit/s) of an entry returned by Choose.
  virtual int BitRateOf(const WmaFormatEntry* entry) const = 0;
  // Every format, for a person to choose from; null until built.
  virtual const WmaFormatList* List() const { return nullptr; }
};

// The WmaFormatList of this program, filled from the runtime's codec-format
// enumeration. Build does nothing while the runtime is not loaded (the list
// stays empty and nothing fits), so a later Build after the load fills it.
std::unique_ptr<WmaFormats> MakeWmaFormats();

// The same over another enumeration (tests); a null enumeration counts as a
// runtime that is not loaded.
std::unique_ptr<WmaFormats> MakeWmaFormats(
    std::function<std::unique_ptr<WmCodecInfo>()> enumeration);

}  // namespace sondrel
