#include "encode/lavc_codec.h"

#include "platform/ffmpeg/frame_samples.h"

namespace sondrel {

std::unique_ptr<LavcCodec> LavcCodec::Open(const ffmpeg::EncoderSetup& setup, int maxBlockFrames) {
  if (setup.channels > 2) return nullptr;
  // One frame buffer for the life of the codec: a whole codec frame, or the
  // largest block of the direct path.
  ffmpeg::FrameEncoder encoder(ffmpeg::OpenEncoder(setup), maxBlockFrames);
  if (!encoder) return nullptr;
  return std::unique_ptr<LavcCodec>(new LavcCodec(std::move(encoder)));
}

bool LavcCodec::TakesAnyBlockSize() const {
  return Codec()->frame_size <= 1 ||
         (Codec()->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
}

int LavcCodec::DescribeStream(AVStream* stream) const {
  const int rc = avcodec_parameters_from_context(stream->codecpar, Codec());
  if (rc < 0) return rc;
  stream->time_base = Codec()->time_base;
  return 0;
}

int LavcCodec::EncodeSamples(int frames, int valid, const int16_t* const* samples, int step,
                             const PacketSink& sink) {
  AVFrame* frame = m_encoder.NextFrame(frames);
  if (!frame) return frames > m_encoder.Capacity() ? AVERROR(EINVAL) : AVERROR(ENOMEM);
  if (!ffmpeg::Int16ToFrame(*frame, valid, samples, step)) return AVERROR(EINVAL);
  return m_encoder.Send(sink);
}

int LavcCodec::Encode(const int16_t* interleaved, int frames, const PacketSink& sink) {
  if (frames <= 0) return AVERROR(EINVAL);
  // A short last frame is completed with silence unless the codec takes it
  // as it is.
  const int size = Codec()->frame_size;
  const bool takesShort =
      TakesAnyBlockSize() || (Codec()->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
  const int16_t* channels[2] = {interleaved, interleaved + 1};
  const int k = Codec()->ch_layout.nb_channels;
  return EncodeSamples(frames < size && !takesShort ? size : frames, frames, channels, k, sink);
}

int LavcCodec::EncodeBlock(const int16_t* left, const int16_t* right, int frames,
                           const PacketSink& sink) {
  if (frames <= 0) return AVERROR(EINVAL);
  const int16_t* planes[2] = {left, right ? right : left};
  return EncodeSamples(frames, frames, planes, 1, sink);
}

int LavcCodec::Drain(const PacketSink& sink) { return m_encoder.Flush(sink); }

}  // namespace sondrel
