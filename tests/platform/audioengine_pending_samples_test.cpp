// Delivering blocks of decoded samples over Decode calls of any size.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/audioengine/pending_samples.h"

namespace sondrel::audioengine {
namespace {

TEST(PendingSamples, DeliversBlocksAcrossCallsAndDropsPartialFrames) {
  struct Case {
    const char* name;
    std::vector<std::vector<int16_t>> blocks;  // what each refill appends (stereo)
    std::vector<size_t> requests;              // frames asked for by each call
    std::vector<std::vector<int16_t>> expected;
  };
  const Case cases[] = {
      {"call smaller than a block", {{1, 2, 3, 4, 5, 6}}, {2, 2, 2}, {{1, 2, 3, 4}, {5, 6}, {}}},
      {"call spans blocks", {{1, 2}, {3, 4, 5, 6}, {7, 8}}, {4}, {{1, 2, 3, 4, 5, 6, 7, 8}}},
      {"empty block does not end", {{1, 2}, {}, {3, 4}}, {3}, {{1, 2, 3, 4}}},
      {"half a frame is dropped", {{1, 2, 3}, {4, 5}}, {1, 1, 1}, {{1, 2}, {4, 5}, {}}},
      {"no blocks", {}, {5}, {{}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PendingSamples pending;
    size_t next = 0;
    auto refill = [&] {
      if (next == c.blocks.size()) return false;
      const std::vector<int16_t>& block = c.blocks[next++];
      pending.samples.insert(pending.samples.end(), block.begin(), block.end());
      return true;
    };
    std::vector<std::vector<int16_t>> got;
    for (size_t frames : c.requests) {
      std::vector<int16_t> out(frames * 2);
      out.resize(pending.Deliver(out.data(), frames, 2, refill) * 2);
      got.push_back(out);
    }
    EXPECT_EQ(got, c.expected);
  }
}

}  // namespace
}  // namespace sondrel::audioengine
