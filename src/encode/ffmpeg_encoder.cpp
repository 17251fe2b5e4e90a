#include "encode/ffmpeg_encoder.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "encode/amr_nb_frame_codec.h"
#include "encode/codec_ids.h"
#include "encode/lavc_codec.h"
#include "platform/file_tags.h"
#include "platform/text.h"

namespace sondrel {

namespace {

// Frames of one 16-bit block in the direct path's chunk arithmetic.
constexpr int kBlockFrames = 1152;
constexpr int kChunkSlack = 16384;  // bytes beyond one block in the chunk buffer

// Codecs that take blocks of any size. `width` is the bytes per sample of
// the chunk buffer, `staged` the bytes per sample a chunk is counted in.
struct DirectKind {
  AVCodecID id;
  int width;
  int staged;
};
constexpr DirectKind kDirectKinds[] = {
    {AV_CODEC_ID_PCM_S16LE, 2, 2},  {AV_CODEC_ID_PCM_S16BE, 2, 2}, {AV_CODEC_ID_PCM_S8, 2, 1},
    {AV_CODEC_ID_PCM_U8, 2, 1},     {AV_CODEC_ID_PCM_MULAW, 2, 2}, {AV_CODEC_ID_PCM_ALAW, 2, 2},
    {AV_CODEC_ID_ADPCM_G726, 2, 2}, {AV_CODEC_ID_PCM_S32LE, 4, 4}, {AV_CODEC_ID_PCM_S32BE, 4, 4},
    {AV_CODEC_ID_PCM_S24LE, 4, 4},  {AV_CODEC_ID_PCM_S24BE, 4, 4}, {AV_CODEC_ID_PCM_F32BE, 4, 4},
    {AV_CODEC_ID_PCM_F32LE, 4, 4},  {AV_CODEC_ID_PCM_F64BE, 8, 8}, {AV_CODEC_ID_PCM_F64LE, 8, 8},
};

// Frames per direct-path chunk; 0 when the codec is not of the direct kind.
// Stereo 16-bit PCM gives 5248 frames.
int DirectChunkFrames(AVCodecID id, int channels) {
  for (const DirectKind& k : kDirectKinds) {
    if (k.id == id)
      return (channels * k.width * kBlockFrames + kChunkSlack) / (channels * k.staged);
  }
  return 0;
}

bool IsSampleCountBitRate(AVCodecID id) {
  switch (id) {
    case AV_CODEC_ID_PCM_S16LE:
    case AV_CODEC_ID_PCM_S16BE:
    case AV_CODEC_ID_PCM_S8:
    case AV_CODEC_ID_PCM_U8:
    case AV_CODEC_ID_PCM_MULAW:
    case AV_CODEC_ID_PCM_ALAW:
    case AV_CODEC_ID_PCM_S32LE:
    case AV_CODEC_ID_PCM_S32BE:
    case AV_CODEC_ID_PCM_S24LE:
    case AV_CODEC_ID_PCM_S24BE:
    case AV_CODEC_ID_PCM_F32BE:
    case AV_CODEC_ID_PCM_F32LE:
    case AV_CODEC_ID_PCM_F64BE:
    case AV_CODEC_ID_PCM_F64LE:
    case AV_CODEC_ID_ADPCM_IMA_QT:
    case AV_CODEC_ID_ADPCM_IMA_WAV:
    case AV_CODEC_ID_ADPCM_MS:
    case AV_CODEC_ID_ADPCM_YAMAHA:
      return true;
    default:
      return false;
  }
}

// The bit rate the codec is given. G.726 takes bits per code word (2 to 5;
// anything else becomes 4, which `bitRate` then keeps).
int64_t CodecBitRate(AVCodecID id, int& bitRate, int channels, int sampleRate) {
  if (IsSampleCountBitRate(id)) {
    return static_cast<int64_t>(av_get_bits_per_sample(id)) * channels * sampleRate;
  }
  switch (id) {
    case AV_CODEC_ID_ADPCM_G726:
      if (bitRate < 2 || bitRate > 5) bitRate = 4;
      return static_cast<int64_t>(bitRate) * sampleRate;
    case AV_CODEC_ID_FLAC:
      return 0;  // the codec's default
    case AV_CODEC_ID_GSM:
    case AV_CODEC_ID_GSM_MS:
      return 13000;
    default:
      return bitRate;
  }
}

const AVCodec* FindEncoder(int storedId, AVCodecID id) {
  if (const char* name = PreferredEncoderName(storedId)) {
    if (const AVCodec* c = avcodec_find_encoder_by_name(name)) return c;
  }
  return avcodec_find_encoder(id);
}

// A frame source for a codec this FFmpeg build has no encoder for: AMR-NB
// (for 3gp/3g2) comes from platform/amr. Any other: none, and Open fails.
std::unique_ptr<FrameCodec> MakeExternalFrameCodec(AVCodecID id, int sampleRate, int channels,
                                                   int bitRate) {
  if (id == AV_CODEC_ID_AMR_NB) return AmrNbFrameCodec::Create(sampleRate, channels, bitRate);
  return nullptr;
}

}  // namespace

FfmpegEncoder::~FfmpegEncoder() { Reset(false); }

void FfmpegEncoder::SetTags(const std::string& title, const std::string& artist,
                            const std::string& album, const std::string& genre,
                            const std::string& year, const std::string& comment,
                            const std::string& composer, const std::string& copyright, int track) {
  // A text that does not convert to UTF-8 is left out.
  auto utf8 = [](const std::string& text) { return AnsiToUtf8(text).value_or(std::string()); };
  SharedCover cover = std::move(m_tags.cover);
  m_tags = FileTagFields{utf8(title),           utf8(artist),    utf8(album),    utf8(year),
                         utf8(genre),           utf8(comment),   utf8(composer), utf8(copyright),
                         track > 0 ? track : 0, std::move(cover)};
}

void FfmpegEncoder::SetFormat(const FormatParams& params) {
  if (const auto* p = std::get_if<FfmpegFormatParams>(&params)) {
    m_muxerName = p->muxerName;
    m_codecId = p->codecId;
  } else {
    m_muxerName.clear();
    m_codecId = 0;
  }
}

void FfmpegEncoder::Reset(bool removeFile) {
  m_frameCodec.reset();
  m_directCodec.reset();
  m_stream = nullptr;
  m_output.reset();  // closes the file
  // Only a regular file is removed: never a device or a pipe named as the target.
  std::error_code ec;
  if (removeFile && m_fileCreated && std::filesystem::is_regular_file(m_path, ec)) {
    std::filesystem::remove(m_path, ec);
  }
  m_fileCreated = false;
  m_open = false;
  m_sink = nullptr;
  m_staging.clear();
  m_staging.shrink_to_fit();
  m_held = 0;
  m_frameSize = 0;
  m_chunkFrames = 0;
  m_muxerName.clear();
  m_codecId = 0;
  m_path.clear();
  m_sampleRate = 0;
  m_bitRate = 0;
  m_channels = 0;
  m_tags = FileTagFields{};
}

int FfmpegEncoder::Open() {
  if (m_open) return 0;
  auto fail = [this] {
    Reset(true);
    return 0;
  };
  if (m_path.empty() || m_sampleRate <= 0 || (m_channels != 1 && m_channels != 2)) return fail();
  m_output = ffmpeg::MakeOutput(m_muxerName.c_str());
  if (!m_output) return fail();
  const auto id = static_cast<AVCodecID>(AvCodecIdFromStored(m_codecId));
  if (id == AV_CODEC_ID_NONE) return fail();
  const int64_t codecBitRate = CodecBitRate(id, m_bitRate, m_channels, m_sampleRate);

  std::unique_ptr<FrameCodec> codec;
  if (const AVCodec* encoder = FindEncoder(m_codecId, id)) {
    ffmpeg::EncoderSetup setup;
    setup.codec = encoder;
    setup.sampleRate = m_sampleRate;
    setup.channels = m_channels;
    setup.bitRate = codecBitRate;
    setup.globalHeader = (m_output->oformat->flags & AVFMT_GLOBALHEADER) != 0;
    // The catalogue offers G.726 at every PCM rate, beyond the standard's 8000 Hz.
    setup.lenientRates = id == AV_CODEC_ID_ADPCM_G726;
    std::unique_ptr<LavcCodec> lavc = LavcCodec::Open(setup, DirectChunkFrames(id, m_channels));
    if (!lavc) return fail();
    if (lavc->CodecFrameSize() < 2) {
      m_chunkFrames = DirectChunkFrames(id, m_channels);
      if (m_chunkFrames <= 0) return fail();
      m_directCodec = std::move(lavc);
    } else {
      codec = std::move(lavc);
    }
  } else {
    codec = MakeExternalFrameCodec(id, m_sampleRate, m_channels, m_bitRate);
    if (!codec) return fail();
  }
  if (codec) {
    m_frameSize = codec->FrameSize();
    if (m_frameSize < 2) return fail();
    m_staging.assign(static_cast<size_t>(m_frameSize) * m_channels, 0);
    m_frameCodec = std::move(codec);
  }

  m_stream = avformat_new_stream(m_output.get(), nullptr);
  if (!m_stream) return fail();
  const FrameCodec* describer = m_frameCodec ? m_frameCodec.get() : m_directCodec.get();
  if (describer->DescribeStream(m_stream) < 0) return fail();
  // A WAV header stores whole bytes per second, from which readers work out
  // the G.726 code size; rounding that down (44100 Hz at 5 bits is 27562.5
  // bytes) would make them read one bit less per sample.
  if (id == AV_CODEC_ID_ADPCM_G726) {
    m_stream->codecpar->bit_rate = (codecBitRate + 7) / 8 * 8;
  }
  // AIFF-C records the sample size of the decoded audio, which FFmpeg does
  // not know for GSM 06.10; it decodes to 16 bits.
  if (id == AV_CODEC_ID_GSM && m_stream->codecpar->bits_per_coded_sample == 0) {
    m_stream->codecpar->bits_per_coded_sample = 16;
  }

  if (TagContainerForMuxer(m_muxerName) == TagContainer::None && SetMuxerMetadata() < 0) {
    return fail();
  }

  if (ffmpeg::OpenOutputFile(m_output.get(), m_path) < 0) return fail();
  m_fileCreated = m_output->pb != nullptr;
  if (avformat_write_header(m_output.get(), nullptr) < 0) return fail();
  m_sink = [this](AVPacket* packet) { return WritePacket(packet); };
  m_open = true;
  return 1;
}

int FfmpegEncoder::SetMuxerMetadata() {
  // FFmpeg's generic keys, which the muxer maps to its container's own.
  const std::pair<const char*, std::string> keys[] = {
      {"title", m_tags.title},
      {"artist", m_tags.artist},
      {"album", m_tags.album},
      {"genre", m_tags.genre},
      {"date", m_tags.year},
      {"comment", m_tags.comment},
      {"track", m_tags.track > 0 ? std::to_string(m_tags.track) : std::string()},
      {"composer", m_tags.composer},
      {"copyright", m_tags.copyright},
  };
  for (const auto& [key, text] : keys) {
    if (!text.empty() && av_dict_set(&m_output->metadata, key, text.c_str(), 0) < 0) return -1;
  }
  return 0;
}

int FfmpegEncoder::WritePacket(AVPacket* packet) {
  packet->stream_index = m_stream->index;
  av_packet_rescale_ts(packet, AVRational{1, m_sampleRate}, m_stream->time_base);
  return av_interleaved_write_frame(m_output.get(), packet);
}

int FfmpegEncoder::Write(const int16_t* left, const int16_t* right, int frames) {
  if (frames <= 0) return 1;
  if (!m_open || !left) return 0;
  if (m_channels == 2 && !right) right = left;
  return m_frameCodec ? WriteFramed(left, right, frames) : WriteDirect(left, right, frames);
}

int FfmpegEncoder::WriteFramed(const int16_t* left, const int16_t* right, int frames) {
  const int k = m_channels;
  const int valuesPerFrame = m_frameSize * k;
  for (int done = 0; done < frames;) {
    const int take = std::min(m_frameSize - m_held / k, frames - done);
    int16_t* dst = m_staging.data() + m_held;
    if (k == 2) {
      for (int i = 0; i < take; ++i) {
        dst[2 * i] = left[done + i];
        dst[2 * i + 1] = right[done + i];
      }
    } else {
      std::memcpy(dst, left + done, sizeof(int16_t) * static_cast<size_t>(take));
    }
    m_held += take * k;
    done += take;
    if (m_held < valuesPerFrame) break;  // the partial frame waits
    if (m_observer) m_observer(m_frameSize);
    const int rc = m_frameCodec->Encode(m_staging.data(), m_frameSize, m_sink);
    m_held = 0;
    if (rc < 0) return 0;
  }
  return 1;
}

int FfmpegEncoder::WriteDirect(const int16_t* left, const int16_t* right, int frames) {
  for (int done = 0; done < frames;) {
    const int n = std::min(m_chunkFrames, frames - done);
    if (m_observer) m_observer(n);
    if (m_directCodec->EncodeBlock(left + done, m_channels == 2 ? right + done : nullptr, n,
                                   m_sink) < 0) {
      return 0;
    }
    done += n;
  }
  return 1;
}

int FfmpegEncoder::Close() {
  bool ok = true;
  if (m_open) {
    if (m_frameCodec) {
      if (m_held > 0) {
        const int frames = m_held / m_channels;
        if (m_observer) m_observer(frames);
        ok = m_frameCodec->Encode(m_staging.data(), frames, m_sink) >= 0;
        m_held = 0;
      }
      if (ok) ok = m_frameCodec->Drain(m_sink) >= 0;
    } else if (m_directCodec) {
      ok = m_directCodec->Drain(m_sink) >= 0;
    }
    // The trailer also releases the muxer's state, so it is written in any case.
    ok = av_write_trailer(m_output.get()) >= 0 && ok;
    AVFormatContext* output = m_output.get();
    if (output->pb && !(output->oformat->flags & AVFMT_NOFILE)) {
      // A full disk may only show when the last buffer goes out.
      avio_flush(output->pb);
      if (output->pb->error < 0) ok = false;
      if (avio_closep(&output->pb) < 0) ok = false;
    }
    // Fields the muxer cannot place go in now, into the complete file.
    const TagContainer container = TagContainerForMuxer(m_muxerName);
    if (ok && container != TagContainer::None) ok = WriteFileTags(m_path, container, m_tags);
  }
  Reset(false);
  return ok ? 1 : 0;
}

}  // namespace sondrel
