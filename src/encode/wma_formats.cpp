#include "encode/wma_formats.h"

namespace sondrel {

namespace {

class EmptyWmaFormats : public WmaFormats {
 public:
  void Build() override {}
  const WmaFormatEntry* Choose(int, int, int) override { return nullptr; }
  int BitRateOf(const WmaFormatEntry*) const override { return 0; }
};

}  // namespace

std::unique_ptr<WmaFormats> MakeWmaFormats() { return std::make_unique<EmptyWmaFormats>(); }

}  // namespace sondrel
