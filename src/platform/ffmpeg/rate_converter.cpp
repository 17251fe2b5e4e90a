#include "platform/ffmpeg/rate_converter.h"

namespace sondrel::ffmpeg {

bool RateConverter::Start(int channels, int inRate, int outRate) {
  Stop();
  if (channels < 1 || channels > 2 || inRate < 1 || outRate < 1) return false;
  ChannelLayout layout = ChannelLayout::Default(channels);
  SwrContext* raw = nullptr;
  const int rc = swr_alloc_set_opts2(&raw, layout.Pointer(), AV_SAMPLE_FMT_S16, outRate,
                                     layout.Pointer(), AV_SAMPLE_FMT_S16, inRate, 0, nullptr);
  Resampler swr(raw);
  if (rc < 0 || !swr || swr_init(swr.get()) < 0) return false;
  m_swr = std::move(swr);
  m_channels = channels;
  m_inRate = inRate;
  return true;
}

void RateConverter::Stop() {
  m_swr.reset();
  m_channels = 0;
  m_inRate = 0;
}

bool RateConverter::Convert(const int16_t* in, int frames, std::vector<int16_t>& out) {
  if (!m_swr || in == nullptr || frames < 0) return false;
  return Run(in, frames, out);
}

void RateConverter::Finish(std::vector<int16_t>& out) {
  if (m_swr) Run(nullptr, 0, out);
  Stop();
}

bool RateConverter::Run(const int16_t* in, int frames, std::vector<int16_t>& out) {
  const int capacity = swr_get_out_samples(m_swr.get(), frames);
  if (capacity < 0) return false;
  const size_t base = out.size();
  out.resize(base + static_cast<size_t>(capacity) * m_channels);
  uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(out.data() + base)};
  const uint8_t* inPlanes[1] = {reinterpret_cast<const uint8_t*>(in)};
  const int got = swr_convert(m_swr.get(), outPlanes, capacity, in ? inPlanes : nullptr, frames);
  out.resize(base + static_cast<size_t>(got > 0 ? got : 0) * m_channels);
  return got >= 0;
}

}  // namespace sondrel::ffmpeg
