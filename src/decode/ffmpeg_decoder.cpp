#include "decode/ffmpeg_decoder.h"

#include <algorithm>

#include "decode/ffmpeg_input.h"

namespace sondrel {

FfmpegDecoder::~FfmpegDecoder() { Close(); }

void FfmpegDecoder::Release() {
  m_frame.reset();
  m_packet.reset();
  m_codec.reset();
  m_input.reset();
  m_streamIndex = -1;
  m_inputEnded = false;
  m_decoderEnded = false;
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
  const AVCodecParameters* par = m_input->streams[m_streamIndex]->codecpar;
  const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
  if (!decoder) {
    Release();
    return 0;
  }
  m_codec = ffmpeg::MakeCodecContext(decoder);
  m_packet = ffmpeg::MakePacket();
  m_frame = ffmpeg::MakeFrame();
  if (!m_codec || !m_packet || !m_frame || avcodec_parameters_to_context(m_codec.get(), par) < 0 ||
      avcodec_open2(m_codec.get(), decoder, nullptr) < 0) {
    Release();
    return 0;
  }
  // Only the audio stream's packets are wanted from the demuxer.
  for (unsigned i = 0; i < m_input->nb_streams; ++i) {
    if (static_cast<int>(i) != m_streamIndex) m_input->streams[i]->discard = AVDISCARD_ALL;
  }

  m_length = InputSize(m_input.get());
  m_position = InputPosition(m_input.get());
  m_sampleRate = m_codec->sample_rate > 0 ? m_codec->sample_rate : par->sample_rate;
  m_duration = DurationSeconds(m_input.get());
  m_bitRate = static_cast<int>(par->bit_rate / 1000);
  const int channels = m_codec->ch_layout.nb_channels > 0 ? m_codec->ch_layout.nb_channels
                                                          : par->ch_layout.nb_channels;
  SetChannelProperties(channels);
  if (channels < 1) m_outputChannels = 1;
  return 1;
}

void FfmpegDecoder::FeedDecoder() {
  for (;;) {
    const int rc = av_read_frame(m_input.get(), m_packet.get());
    if (rc < 0) {
      // End of the input (or an unreadable rest): let the decoder drain.
      avcodec_send_packet(m_codec.get(), nullptr);
      m_inputEnded = true;
      return;
    }
    if (m_packet->stream_index != m_streamIndex) {
      av_packet_unref(m_packet.get());
      continue;
    }
    // A packet the codec rejects is dropped; the next one is tried.
    avcodec_send_packet(m_codec.get(), m_packet.get());
    av_packet_unref(m_packet.get());
    return;
  }
}

bool FfmpegDecoder::NextFrame() {
  while (!m_decoderEnded) {
    const int rc = avcodec_receive_frame(m_codec.get(), m_frame.get());
    if (rc >= 0) {
      if (m_frame->nb_samples > 0) {
        m_frameCursor = 0;
        return true;
      }
      av_frame_unref(m_frame.get());
      continue;
    }
    if (rc == AVERROR_EOF || m_inputEnded) {
      // Drained, or an error while draining: nothing more will come.
      m_decoderEnded = true;
      break;
    }
    // EAGAIN wants input; any other error was a bad packet: go on with the
    // next one.
    FeedDecoder();
  }
  return false;
}

int FfmpegDecoder::Read(int16_t* left, int16_t* right) {
  if (!m_codec || !left || (m_outputChannels == 2 && !right)) return 0;
  int n = 0;
  while (n < kBlockFrames) {
    if (m_frameCursor >= m_frame->nb_samples) {
      av_frame_unref(m_frame.get());
      if (!NextFrame()) break;
    }
    const int count = std::min(kBlockFrames - n, m_frame->nb_samples - m_frameCursor);
    const bool sixteenBit =
        av_get_packed_sample_fmt(static_cast<AVSampleFormat>(m_frame->format)) == AV_SAMPLE_FMT_S16;
    const SixChannelOrder order =
        m_frame->ch_layout.nb_channels == 6
            ? ChooseSixChannelOrder(m_frame->ch_layout, m_codec->codec_id, sixteenBit)
            : kStandardOrder;
    if (!ConvertFrames(*m_frame, m_frameCursor, count, m_outputChannels, order, left + n,
                       m_outputChannels == 2 ? right + n : nullptr)) {
      // A sample format this reader cannot convert: the stream ends here.
      av_frame_unref(m_frame.get());
      m_decoderEnded = true;
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
