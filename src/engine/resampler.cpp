#include "engine/resampler.h"

#include <libresample.h>

#include <algorithm>
#include <cstring>

namespace sondrel {

namespace {

constexpr float kToFloat = 1.0f / 32768.0f;

}  // namespace

void Resampler::HandleCloser::operator()(void* handle) const { resample_close(handle); }

Resampler::~Resampler() = default;

void Resampler::SetOutput(int channels, int sampleRate, int bits) {
  m_outputChannels = channels;
  m_outputRate = sampleRate;
  m_outputBits = bits;
}

void Resampler::SetInput(int channels, int sampleRate, int bits) {
  m_inputChannels = channels;
  m_inputRate = sampleRate;
  m_inputBits = bits;
}

int Resampler::OutputCapacity(int inputRate, int outputRate, int n) {
  if (inputRate <= 0 || outputRate <= 0 || n <= 0) return 0;
  return (outputRate / inputRate + 1) * n;
}

template <typename T>
void Resampler::Grow(std::vector<T>& buffer, size_t count) {
  if (buffer.size() < count) buffer.resize(count);
}

bool Resampler::ResamplerSetup() {
  m_ready = false;
  m_left.reset();
  m_right.reset();
  const auto channelsOk = [](int c) { return c == 1 || c == 2; };
  if (!channelsOk(m_inputChannels) || !channelsOk(m_outputChannels) || m_inputRate <= 0 ||
      m_outputRate <= 0 || m_inputBits != 16 || m_outputBits != 16) {
    return false;
  }
  m_factor = static_cast<double>(m_outputRate) / m_inputRate;
  if (m_inputRate != m_outputRate) {
    m_left.reset(resample_open(1, m_factor, m_factor));
    if (!m_left) return false;
    // A right filter only when a right channel is resampled; one input
    // channel made into two is copied after resampling.
    if (m_outputChannels == 2 && m_inputChannels == 2) {
      m_right.reset(resample_open(1, m_factor, m_factor));
      if (!m_right) {
        m_left.reset();
        return false;
      }
    }
  }
  m_ready = true;
  return true;
}

int Resampler::RunChannel(void* handle, const int16_t* in, int n, int16_t* out, int capacity) {
  float* fin = m_floatIn.data();
  float* fout = m_floatOut.data();
  for (int i = 0; i < n; ++i) fin[i] = in[i] * kToFloat;
  // libresample takes the whole block in one call unless its output fills;
  // the loop hands it the rest rather than lose input.
  int used = 0, produced = 0;
  while (produced < capacity) {
    int took = 0;
    const int got = resample_process(handle, m_factor, fin + used, n - used, 0, &took,
                                     fout + produced, capacity - produced);
    if (got < 0) break;
    used += took;
    produced += got;
    if (used >= n || (got == 0 && took == 0)) break;
  }
  for (int i = 0; i < produced; ++i) {
    const float v = std::clamp(fout[i], -1.0f, 1.0f) * 32767.0f;
    out[i] = static_cast<int16_t>(v);
  }
  return produced;
}

void Resampler::ResamplerProcess(const int16_t* inLeft, const int16_t* inRight, int n,
                                 int16_t* outLeft, int16_t* outRight, int& outCount) {
  outCount = 0;
  if (!m_ready || n <= 0 || !inLeft || !outLeft) return;
  const size_t count = static_cast<size_t>(n);
  const int16_t* left = inLeft;
  const int16_t* right = m_inputChannels == 2 ? (inRight ? inRight : inLeft) : nullptr;
  if (m_outputChannels == 1 && right) {
    Grow(m_mixed, count);
    int16_t* mixed = m_mixed.data();
    for (int i = 0; i < n; ++i) mixed[i] = static_cast<int16_t>((left[i] + right[i]) >> 1);
    left = mixed;
    right = nullptr;
  }
  const bool twoOut = m_outputChannels == 2 && outRight;

  if (!m_left) {  // equal rates: channels only
    std::memcpy(outLeft, left, count * sizeof(int16_t));
    if (twoOut) std::memcpy(outRight, right ? right : left, count * sizeof(int16_t));
    outCount = n;
    return;
  }

  const int capacity = OutputCapacity(n);
  Grow(m_floatIn, count);
  Grow(m_floatOut, static_cast<size_t>(capacity));
  int produced = RunChannel(m_left.get(), left, n, outLeft, capacity);
  if (twoOut) {
    if (right && m_right) {
      // Both filters see the same block lengths, so they stay in step.
      produced = std::min(produced, RunChannel(m_right.get(), right, n, outRight, capacity));
    } else {
      std::memcpy(outRight, outLeft, static_cast<size_t>(produced) * sizeof(int16_t));
    }
  }
  outCount = produced;
}

}  // namespace sondrel
