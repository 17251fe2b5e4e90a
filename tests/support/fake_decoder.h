// A scripted reader for opener and engine tests: a sine or square generator
// with failures on demand.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "decode/decoder.h"
#include "decode/source_opener.h"

namespace sondrel::test {

struct FakeDecoderScript {
  bool openSucceeds = true;
  int hasAudio = 1;
  int sampleRate = 44100;
  int channels = 2;
  int64_t frames = 44100;  // total frames delivered
  int bitRate = 1411;
  enum class Wave { Sine, Square, Constant } wave = Wave::Sine;
  double frequency = 440.0;
  int16_t amplitude = 16384;
  int64_t failReadAfterFrames = -1;  // Read returns 0 from here on (-1: never)
  bool hasTags = false;
  TagInfo tags;
};

class FakeDecoder : public Decoder {
 public:
  explicit FakeDecoder(FakeDecoderScript script, std::string name = "fake",
                       std::vector<std::string>* log = nullptr)
      : m_script(std::move(script)), m_name(std::move(name)), m_log(log) {}
  ~FakeDecoder() override { Close(); }

  void Close() override;
  int Open(const std::string& path, int renderRate) override;
  int Read(int16_t* left, int16_t* right) override;
  int HasAudio() override { return m_script.hasAudio; }
  int GetTags(TagInfo& tags) override;

  const std::string& Name() const { return m_name; }
  int LastRenderRate() const { return m_renderRate; }
  // The sample a channel carries at a frame.
  int16_t SampleAt(int64_t frame, int channel) const;

 private:
  FakeDecoderScript m_script;
  std::string m_name;
  std::vector<std::string>* m_log;
  bool m_open = false;
  int64_t m_frame = 0;
  int m_renderRate = 0;
};

// A factory that makes a FakeDecoder named `name` and logs "name:open" and
// "name:fail" into `log`.
ReaderFactories::Make FakeFactory(FakeDecoderScript script, std::string name,
                                  std::vector<std::string>* log);

}  // namespace sondrel::test
