// A run over real files: a temporary folder with an output folder as the
// specific target folder, the real readers and writers, an in-memory window.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "encode/format_catalogue.h"
#include "engine/conversion_run.h"
#include "engine/engine_state.h"
#include "engine/file_list.h"
#include "engine/add_files.h"
#include "engine/settings.h"
#include "support/memory_frontend.h"
#include "support/temp_dir.h"

namespace sondrel::test {

class RealRunFixture : public testing::Test {
 protected:
  RealRunFixture() : state(frontend) {
    BuildCatalogue(rows);
    out = dir.Path() / "out";
    std::filesystem::create_directories(out);
    settings.DestOutputFolderOpt = kOutputSpecificFolder;
    settings.DestSpecifiedFolder = out.string();
    settings.OutputFiles2MyDocuments = 0;
    state.documentsFolder = [] { return std::string(); };
  }

  // Probes a file like Add Files and lists it; returns its row.
  int Add(const std::string& path) {
    FileItem item;
    EXPECT_TRUE(ProbeFile(state.opener, path, item)) << path;
    return list.Add(item);
  }
  // "Convert All" (or "Convert All to One") to the format with this id.
  void Convert(int formatId, bool merge = false) {
    StartConversion(state, settings, FindFormatRow(rows, formatId), list, ItemSelection::All,
                    merge ? RunOutput::OneFile : RunOutput::FilePerItem);
  }
  std::string Output(int row) const { return frontend.Row(row, ListColumn::Output); }

  TempDir dir;
  std::filesystem::path out;
  MemoryFrontend frontend;
  EngineState state;
  ConvertSettings settings;
  std::vector<FormatRow> rows;
  FileList list;
};

}  // namespace sondrel::test
