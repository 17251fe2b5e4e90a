// A conversion run in memory: scripted readers chosen by source path, a
// recording writer that also writes its samples to the target file, the
// in-memory seam, the catalogue and a temporary output folder.
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "encode/format_catalogue.h"
#include "engine/engine_state.h"
#include "engine/file_list.h"
#include "engine/settings.h"
#include "support/fake_decoder.h"
#include "support/memory_frontend.h"
#include "support/temp_dir.h"

namespace sondrel::test {

// What one writer was told and given.
struct EncoderLog {
  FormatParams params;
  int sampleRate = -1, channels = -1, bitRate = -1;
  bool tagsSet = false;
  std::vector<std::string> tags;  // title, artist, album, genre, year, comment, composer, copyright
  int track = 0;
  std::string path;
  bool opened = false, closed = false;
  std::vector<int16_t> left, right;
};

struct EncoderScript {
  bool openFails = false;
  int64_t failWriteAfterFrames = -1;  // Write returns 0 from here on
  bool closeFails = false;            // Close reports a failed flush
};

class RecordingEncoder : public Encoder {
 public:
  RecordingEncoder(EncoderLog& log, EncoderScript script) : m_log(log), m_script(script) {}
  ~RecordingEncoder() override { Close(); }
  void SetTags(const std::string& title, const std::string& artist, const std::string& album,
               const std::string& genre, const std::string& year, const std::string& comment,
               const std::string& composer, const std::string& copyright, int track) override {
    m_log.tagsSet = true;
    m_log.tags = {title, artist, album, genre, year, comment, composer, copyright};
    m_log.track = track;
  }
  void SetOutputPath(const std::string& path) override { m_log.path = path; }
  void SetSampleRate(int hertz) override { m_log.sampleRate = hertz; }
  void SetChannels(int count) override { m_log.channels = count; }
  void SetBitRate(int value) override { m_log.bitRate = value; }
  void SetFormat(const FormatParams& params) override { m_log.params = params; }
  int Open() override {
    if (m_script.openFails) return 0;
    m_file = std::fopen(m_log.path.c_str(), "wb");
    m_log.opened = m_file != nullptr;
    return m_log.opened;
  }
  int Write(const int16_t* left, const int16_t* right, int frames) override {
    if (m_script.failWriteAfterFrames >= 0 &&
        static_cast<int64_t>(m_log.left.size()) + frames > m_script.failWriteAfterFrames) {
      return 0;
    }
    for (int i = 0; i < frames; ++i) {
      m_log.left.push_back(left[i]);
      if (m_log.channels == 2) m_log.right.push_back(right[i]);
    }
    return std::fwrite(left, 2, static_cast<size_t>(frames), m_file) == static_cast<size_t>(frames);
  }
  int Close() override {
    const bool ok = !m_file || std::fclose(m_file) == 0;
    if (m_file) m_log.closed = true;
    m_file = nullptr;
    return ok && !m_script.closeFails;
  }

 private:
  EncoderLog& m_log;
  EncoderScript m_script;
  std::FILE* m_file = nullptr;
};

// Opens the script registered for a path (a failing one when none is).
class PathDecoder : public Decoder {
 public:
  PathDecoder(const std::map<std::string, FakeDecoderScript>& scripts, std::string role,
              std::vector<std::string>* log)
      : m_scripts(scripts), m_role(std::move(role)), m_log(log) {}
  ~PathDecoder() override { Close(); }
  void Close() override {
    if (m_inner) m_inner->Close();
    m_inner.reset();
    ResetProperties();
  }
  int Open(const std::string& path, int renderRate) override;
  int Read(int16_t* left, int16_t* right) override {
    return m_inner ? m_inner->Read(left, right) : 0;
  }
  int HasAudio() override { return m_hasAudio; }
  int64_t GetLength() override { return m_inner ? m_inner->GetLength() : 0; }
  int64_t GetPosition() override { return m_inner ? m_inner->GetPosition() : 0; }
  int GetDuration() override { return m_inner ? m_inner->GetDuration() : 0; }
  int GetChannels() override { return m_inner ? m_inner->GetChannels() : 0; }
  int GetOutputChannels() override { return m_inner ? m_inner->GetOutputChannels() : 0; }
  int GetSampleRate() override { return m_inner ? m_inner->GetSampleRate() : 0; }
  int GetBitRate() override { return m_inner ? m_inner->GetBitRate() : 0; }
  int GetTags(TagInfo& tags) override { return m_inner ? m_inner->GetTags(tags) : 0; }

 private:
  const std::map<std::string, FakeDecoderScript>& m_scripts;
  std::string m_role;
  std::vector<std::string>* m_log;
  std::unique_ptr<FakeDecoder> m_inner;
  int m_hasAudio = 1;
};

class RunFixture : public testing::Test {
 protected:
  RunFixture();

  // Makes a source file and its reader script; returns its path. The
  // type-specific reader ("bass") and the FFmpeg reader share the script
  // unless `ffmpegScript` is given.
  std::string AddSource(const std::string& name, FakeDecoderScript script,
                        const FakeDecoderScript* ffmpegScript = nullptr);
  // Probes a source into the list; returns its row.
  int List(const std::string& path, int sourceType);
  FormatRow& Row(int id) { return *FindFormatRow(rows, id); }
  // Runs "Convert All" (or the merge) to the format.
  void ConvertAll(int formatId, bool merge = false);
  FileItem& Item(int row) { return *list.ItemAt(row); }
  std::string Output(int row) const { return frontend.Row(row, ListColumn::Output); }
  std::string Volume(int row) const { return frontend.Row(row, ListColumn::Volume); }
  // The writers made so far, in order.
  EncoderLog& Writer(size_t i) { return *logs.at(i); }
  std::string OutPath(const std::string& name) const { return (out / name).string(); }

  TempDir dir;
  std::filesystem::path out;
  MemoryFrontend frontend;
  std::map<std::string, FakeDecoderScript> bassScripts, ffmpegScripts;
  std::vector<std::string> readerLog;
  std::unique_ptr<EngineState> state;
  ConvertSettings settings;
  std::vector<FormatRow> rows;
  FileList list;
  std::vector<std::unique_ptr<EncoderLog>> logs;
  EncoderScript encoderScript;
};

}  // namespace sondrel::test
