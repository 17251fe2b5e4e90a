#include "engine/run_fixture.h"

#include <filesystem>

#include "engine/conversion_run.h"
#include "engine/add_files.h"

namespace sondrel::test {

int PathDecoder::Open(const std::string& path, int renderRate) {
  Close();
  auto it = m_scripts.find(path);
  FakeDecoderScript script;
  script.openSucceeds = false;
  if (it != m_scripts.end() && std::filesystem::exists(path)) script = it->second;
  m_hasAudio = script.hasAudio;
  m_inner = std::make_unique<FakeDecoder>(script, m_role, m_log);
  if (!m_inner->Open(path, renderRate)) {
    m_inner.reset();
    return 0;
  }
  return 1;
}

RunFixture::RunFixture() {
  out = dir.Path() / "out";
  ReaderFactories readers;
  readers.bass = [this] { return std::make_unique<PathDecoder>(bassScripts, "bass", &readerLog); };
  readers.ffmpeg = [this] {
    return std::make_unique<PathDecoder>(ffmpegScripts, "ffmpeg", &readerLog);
  };
  readers.ffmpegProbe = readers.ffmpeg;
  state = std::make_unique<EngineState>(frontend, readers);
  auto make = [this]() -> std::unique_ptr<Encoder> {
    logs.push_back(std::make_unique<EncoderLog>());
    return std::make_unique<RecordingEncoder>(*logs.back(), encoderScript);
  };
  state->writers.ffmpeg = make;
  state->writers.amr = make;
  state->writers.wma = make;
  state->documentsFolder = [this] { return (dir.Path() / "docs").string(); };
  state->openerSetup->loadMediaRuntime = [] { return 0; };
  state->openerSetup->isMediaRuntimeLoaded = [] { return 0; };
  // The Windows Media list follows the scripted runtime, not the real one.
  state->wmaFormats = MakeWmaFormats(nullptr);

  settings.DestOutputFolderOpt = kOutputSpecificFolder;
  settings.DestSpecifiedFolder = out.string();
  settings.OutputFiles2MyDocuments = 0;
  // The scripted readers and writers keep one shared log: one file at a time.
  settings.Jobs = 1;
  BuildCatalogue(rows);
}

std::string RunFixture::AddSource(const std::string& name, FakeDecoderScript script,
                                  const FakeDecoderScript* ffmpegScript) {
  const std::string path = dir.File(name);
  WriteFileBytes(path, "source bytes that the scripted readers never look at");
  bassScripts[path] = script;
  ffmpegScripts[path] = ffmpegScript ? *ffmpegScript : script;
  return path;
}

int RunFixture::List(const std::string& path, int sourceType) {
  FileItem item;
  EXPECT_TRUE(ProbeFile(state->opener, path, item)) << path;
  item.sourceType = sourceType;
  return list.Add(item);
}

void RunFixture::ConvertAll(int formatId, bool merge) {
  StartConversion(*state, settings, FindFormatRow(rows, formatId), list, ItemSelection::All,
                  merge ? RunOutput::OneFile : RunOutput::FilePerItem);
}

}  // namespace sondrel::test
