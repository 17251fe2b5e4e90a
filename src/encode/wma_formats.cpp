#include "encode/wma_formats.h"

#include "encode/wma_format_list.h"
#include "platform/mediaruntime/wm_codec_formats.h"

namespace sondrel {

namespace {

class ListedWmaFormats : public WmaFormats {
 public:
  explicit ListedWmaFormats(std::function<std::unique_ptr<WmCodecInfo>()> enumeration)
      : m_enumeration(std::move(enumeration)) {}

  void Build() override {
    // Built once: writers keep pointers to the entries.
    if (m_built) return;
    std::unique_ptr<WmCodecInfo> info = m_enumeration ? m_enumeration() : nullptr;
    if (!info) return;
    BuildWmaFormatList(m_list, info.get());
    m_built = true;
  }

  const WmaFormatEntry* Choose(int sampleRate, int bitRate, int channels) override {
    const WmaFormatEntry* entry = nullptr;
    int entryBitRate = 0;
    return ChooseWmaFormat(m_list, sampleRate, bitRate, channels, entry, entryBitRate) ? entry
                                                                                       : nullptr;
  }

  int BitRateOf(const WmaFormatEntry* entry) const override { return entry ? entry->bitRate : 0; }

  const WmaFormatList* List() const override { return m_built ? &m_list : nullptr; }

 private:
  std::function<std::unique_ptr<WmCodecInfo>()> m_enumeration;
  WmaFormatList m_list;
  bool m_built = false;
};

}  // namespace

std::unique_ptr<WmaFormats> MakeWmaFormats() { return MakeWmaFormats(CreateWmCodecInfo); }

std::unique_ptr<WmaFormats> MakeWmaFormats(
    std::function<std::unique_ptr<WmCodecInfo>()> enumeration) {
  return std::make_unique<ListedWmaFormats>(std::move(enumeration));
}

}  // namespace sondrel
