#include "decode/ffmpeg_decoder.h"

#include <algorithm>

#include "decode/ffmpeg_input.h"

namespace sondrel {

void FfmpegDecoder::Release() {
  m_frame = nullptr;
  m_decoder = {};
  m_packets = {};
  m_input.reset();
  m_streamIndex = -1;
  m_ended = false;
  m_frameCursor = 0;
  ResetProperties();
}

void FfmpegDecoder::Close() {
  Release();
  m_foundAudio = false;
}

int FfmpegDecoder::Open(const std::string& path, int renderRate) {
  (void)renderRate;
  Close();
  m_input = OpenAnalysedInput(path);
  if (!m_input) return 0;
  m_streamIndex = FirstAudioStream(m_input.get(), true);
  if (m_streamIndex < 0) {
    Release();
    return 0;
  }
  m_foundAudio = true;
  const AVStream& stream = *m_input->streams[m_streamIndex];
  m_decoder = ffmpeg::StreamDecoder(ffmpeg::OpenDecoder(stream), m_streamIndex);
  if (!m_decoder) {
    Release();
    return 0;
  }
  // Only the audio stream's packets are wanted from the demuxer.
  ffmpeg::DiscardOtherStreams(m_input.get(), m_streamIndex);
  m_packets = ffmpeg::PacketReader(m_input.get());

  const AVCodecContext* codec = m_decoder.Codec();
  const AVCodecParameters* par = stream.codecpar;
  m_length = InputSize(m_input.get());
  m_position = InputPosition(m_input.get());
  m_sampleRate = codec->sample_rate > 0 ? codec->sample_rate : par->sample_rate;
  m_duration = DurationSeconds(m_input.get());
  m_bitRate = static_cast<int>(par->bit_rate / 1000);
  const int channels =
      codec->ch_layout.nb_channels > 0 ? codec->ch_layout.nb_channels : par->ch_layout.nb_channels;
  SetChannelProperties(channels);
  if (channels < 1) m_outputChannels = 1;
  return 1;
}

int FfmpegDecoder::Read(int16_t* left, int16_t* right) {
  if (!m_decoder || !left || (m_outputChannels == 2 && !right)) return 0;
  int n = 0;
  while (n < kBlockFrames && !m_ended) {
    if (!m_frame || m_frameCursor >= m_frame->nb_samples) {
      m_frame = m_decoder.NextFrame(m_packets);
      m_frameCursor = 0;
      if (!m_frame) {
        m_ended = true;
        break;
      }
    }
    const int count = std::min(kBlockFrames - n, m_frame->nb_samples - m_frameCursor);
    const bool sixteenBit =
        av_get_packed_sample_fmt(static_cast<AVSampleFormat>(m_frame->format)) == AV_SAMPLE_FMT_S16;
    const SixChannelOrder order =
        m_frame->ch_layout.nb_channels == 6
            ? ChooseSixChannelOrder(m_frame->ch_layout, m_decoder.Codec()->codec_id, sixteenBit)
            : kStandardOrder;
    if (!ConvertFrames(*m_frame, m_frameCursor, count, m_outputChannels, order, left + n,
                       m_outputChannels == 2 ? right + n : nullptr)) {
      // A sample format this reader cannot convert: the stream ends here.
      m_ended = true;
      break;
    }
    m_frameCursor += count;
    n += count;
  }
  m_position = InputPosition(m_input.get());
  return n;
}

int FfmpegDecoder::GetTags(TagInfo& tags) {
  if (!m_input) return 0;
  return ReadFfmpegTags(m_input.get(), m_streamIndex, tags);
}

}  // namespace sondrel
