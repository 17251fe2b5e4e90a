#include "support/fuzz_corpus.h"

#include <cstdlib>
#include <filesystem>

#include "support/temp_dir.h"

namespace sondrel::test {

void UpdateFuzzCorpus(const std::string& target, const FuzzSeeds& seeds) {
  const char* update = std::getenv("SONDREL_UPDATE_CORPUS");
  const char* source = std::getenv("SONDREL_SOURCE_DIR");
  if (!update || std::string(update) != "1" || !source) return;
  const std::filesystem::path dir = std::filesystem::path(source) / "fuzz" / "corpus" / target;
  std::filesystem::create_directories(dir);
  for (const auto& [file, bytes] : seeds) WriteFileBytes((dir / file).string(), bytes);
}

}  // namespace sondrel::test
