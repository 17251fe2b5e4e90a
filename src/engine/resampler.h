// Sample-rate and channel-count conversion of 16-bit planar blocks on
// libresample, one filter per channel that needs one.
//
// Use: set the input and output configuration, call ResamplerSetup once, then
// ResamplerProcess per block. The scratch buffers grow on the first blocks and
// are only freed by the destructor, so nothing is allocated per block after
// that. Two channels mixed into one become (L+R)>>1, which rounds toward minus
// infinity; one channel made into two is copied to both. Samples still inside
// the filter when the file ends are not flushed.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace sondrel {

class Resampler {
 public:
  Resampler() = default;
  virtual ~Resampler();
  Resampler(const Resampler&) = delete;
  Resampler& operator=(const Resampler&) = delete;

  // Configuration, each -1 until set. Only 16 bits per sample are handled.
  void SetOutput(int channels, int sampleRate, int bits);
  void SetInput(int channels, int sampleRate, int bits);

  // Opens the filters when the rates differ. False when the configuration is
  // incomplete or unsupported (channels other than 1 or 2, a rate of 0 or
  // less, a width other than 16 bits) or libresample refuses the factor;
  // ResamplerProcess then delivers nothing.
  bool ResamplerSetup();

  // Converts n frames. `inRight` is read only with two input channels;
  // `outRight` is written only with two output channels. The output planes
  // must hold OutputCapacity(n) samples; `outCount` receives the frames
  // written (0 for n <= 0).
  void ResamplerProcess(const int16_t* inLeft, const int16_t* inRight, int n, int16_t* outLeft,
                        int16_t* outRight, int& outCount);

  // Output frames one call may give for n input frames:
  // (output rate / input rate, integer division, + 1) × n.
  static int OutputCapacity(int inputRate, int outputRate, int n);
  int OutputCapacity(int n) const { return OutputCapacity(m_inputRate, m_outputRate, n); }

  double Factor() const { return m_factor; }

 private:
  struct HandleCloser {
    void operator()(void* handle) const;
  };
  using Handle = std::unique_ptr<void, HandleCloser>;

  // Resamples one channel into `out`; returns the frames produced.
  int RunChannel(void* handle, const int16_t* in, int n, int16_t* out, int capacity);
  template <typename T>
  static void Grow(std::vector<T>& buffer, size_t count);

  int m_outputChannels = -1;
  int m_outputRate = -1;
  int m_outputBits = -1;
  int m_inputChannels = -1;
  int m_inputRate = -1;
  int m_inputBits = -1;

  bool m_ready = false;
  double m_factor = 1.0;
  Handle m_left;
  Handle m_right;
  std::vector<int16_t> m_mixed;
  std::vector<float> m_floatIn;
  std::vector<float> m_floatOut;
};

}  // namespace sondrel
