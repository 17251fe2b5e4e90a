// Seed corpora of the fuzz targets, made by the tests from their fixtures.
#pragma once

#include <map>
#include <string>

namespace sondrel::test {

// Seed file name -> bytes.
using FuzzSeeds = std::map<std::string, std::string>;

// With SONDREL_UPDATE_CORPUS=1 (and SONDREL_SOURCE_DIR set, as ctest does)
// writes every seed to fuzz/corpus/<target>/; otherwise does nothing.
void UpdateFuzzCorpus(const std::string& target, const FuzzSeeds& seeds);

}  // namespace sondrel::test
