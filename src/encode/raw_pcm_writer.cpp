#include "encode/raw_pcm_writer.h"

#include <algorithm>

namespace sondrel {

namespace {
constexpr int kChunkFrames = 1152;
}

RawPcmWriter::~RawPcmWriter() { Close(); }

int RawPcmWriter::Open() {
  m_file.Close();
  if (m_path.empty() || !m_file.Create(m_path)) return 0;
  // Unbuffered: every chunk is one write, and a failed write is seen at once.
  m_file.SetUnbuffered();
  return 1;
}

int RawPcmWriter::Write(const int16_t* left, const int16_t* right, int frames) {
  if (frames <= 0) return 1;
  if (!m_file.IsOpen() || !left) return 0;
  if (m_channels != 2)
    return m_file.Write(left, sizeof(int16_t) * static_cast<size_t>(frames)) ? 1 : 0;
  if (!right) right = left;
  m_interleaved.resize(static_cast<size_t>(kChunkFrames) * 2);
  int ok = 1;
  for (int done = 0; done < frames;) {
    const int n = std::min(kChunkFrames, frames - done);
    for (int i = 0; i < n; ++i) {
      m_interleaved[2 * i] = left[done + i];
      m_interleaved[2 * i + 1] = right[done + i];
    }
    if (!m_file.Write(m_interleaved.data(), sizeof(int16_t) * 2 * static_cast<size_t>(n))) ok = 0;
    done += n;
  }
  return ok;
}

int RawPcmWriter::Close() {
  const bool ok = !m_file.IsOpen() || m_file.Close();
  m_path.clear();
  m_channels = 1;
  return ok ? 1 : 0;
}

}  // namespace sondrel
