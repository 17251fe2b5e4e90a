#include "decode/vorbis_decoder.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <optional>

#include "decode/downmix.h"
#include "platform/text.h"

namespace sondrel {
namespace {

// Bytes asked of one ov_read: 1152 frames of one channel, else 4096 bytes
// (1024 stereo frames), so that a Read never exceeds a block.
constexpr int kMonoReadBytes = kBlockFrames * 2;
constexpr int kWorkBytes = 4096;

// Where each channel of the shared mix order (front left, front right,
// centre, LFE, back left, back right, side left, side right, as the rows of
// DownmixToStereo use them) sits in a Vorbis frame of that many channels.
// Vorbis puts the centre second (L, C, R, ...) and the LFE last.
const int* VorbisToMixOrder(int channels) {
  static const int k3[] = {0, 2, 1};
  static const int k5[] = {0, 2, 1, 3, 4};
  static const int k6[] = {0, 2, 1, 5, 3, 4};
  static const int k7[] = {0, 2, 1, 6, 3, 4, 5};
  static const int k8[] = {0, 2, 1, 7, 5, 6, 3, 4};
  switch (channels) {
    case 3:
      return k3;
    case 5:
      return k5;
    case 6:
      return k6;
    case 7:
      return k7;
    case 8:
      return k8;
    default:
      return nullptr;  // 4 channels share the order; more than 8 have none
  }
}

// One frame of a stream with three or more channels, mixed to two. For 5.1
// this is left = FL + t(C + LFE) + BL, right = FR + t(C + LFE) + BR.
void MixFrame(int channels, const int16_t* frame, int16_t& left, int16_t& right) {
  const int* order = VorbisToMixOrder(channels);
  if (!order) {
    DownmixToStereo(channels, frame, left, right);
    return;
  }
  int16_t mixOrder[8];
  for (int i = 0; i < channels; ++i) mixOrder[i] = frame[order[i]];
  DownmixToStereo(channels, mixOrder, left, right);
}

bool StartsWithNoCase(const std::string& text, const char* key) {
  const size_t n = std::strlen(key);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    char a = text[i];
    char b = key[i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
    if (a != b) return false;
  }
  return true;
}

}  // namespace

void VorbisDecoder::FileClear::operator()(OggVorbis_File* vf) const {
  ov_clear(vf);
  delete vf;
}

void VorbisDecoder::Close() {
  m_file.reset();
  m_comments.clear();
  m_vendor.clear();
  m_streamVersion = 0;
  m_work.clear();
  m_work.shrink_to_fit();
  m_readBytes = 0;
  ResetProperties();
}

int VorbisDecoder::Open(const std::string& path, int renderRate) {
  (void)renderRate;
  Close();
  auto fresh = std::make_unique<OggVorbis_File>();
  // On failure ov_fopen closes the file and clears the state itself.
  if (ov_fopen(path.c_str(), fresh.get()) < 0) return 0;
  m_file.reset(fresh.release());
  OggVorbis_File* vf = m_file.get();

  if (const vorbis_comment* vc = ov_comment(vf, -1)) {
    for (int i = 0; i < vc->comments; ++i) {
      if (!vc->user_comments[i] || vc->comment_lengths[i] < 0) continue;
      const auto length = static_cast<size_t>(vc->comment_lengths[i]);
      if (length > kMaxCommentBytes) continue;
      std::string comment(vc->user_comments[i], length);
      comment.resize(std::strlen(comment.c_str()));  // kept as a terminated text
      if (std::optional<std::string> text = Utf8ToAnsi(comment)) {
        m_comments.push_back(std::move(*text));
      }
    }
    if (vc->vendor) m_vendor = vc->vendor;
  }

  const vorbis_info* vi = ov_info(vf, -1);
  if (!vi || vi->channels < 1 || vi->rate < 1) {
    Close();
    return 0;
  }
  m_sampleRate = static_cast<int>(std::min<long>(vi->rate, 0x7FFFFFFF));
  SetChannelProperties(vi->channels);
  m_streamVersion = vi->version;
  m_bitRate = vi->bitrate_nominal > 0 ? static_cast<int>(vi->bitrate_nominal / 1000) : 0;

  const double seconds = ov_time_total(vf, -1);
  m_duration = seconds > 0 && seconds < 2147483647.0 ? static_cast<int>(seconds) : 0;
  // Progress is ov_raw_tell, which ends at the file's size; this library's
  // raw total leaves the header pages out, so the larger of the two is the
  // total that the position really reaches.
  const ogg_int64_t raw = ov_raw_total(vf, -1);
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  m_length = std::max<int64_t>(raw > 0 ? raw : 0, ec ? 0 : static_cast<int64_t>(size));
  m_work.assign(kWorkBytes / 2, 0);
  // One ov_read gives samples of a single link, which may be mono in a
  // chained file that starts with more channels: ask for no more than a
  // block of mono samples then, or a mono packet could overfill the caller.
  m_readBytes = kWorkBytes;
  const long links = ov_streams(vf);
  for (long i = 0; i < links; ++i) {
    const vorbis_info* link = ov_info(vf, static_cast<int>(i));
    if (link && link->channels == 1) m_readBytes = kMonoReadBytes;
  }
  if (m_channels == 1) m_readBytes = kMonoReadBytes;
  return 1;
}

int VorbisDecoder::Read(int16_t* left, int16_t* right) {
  if (!m_file) return 0;
  OggVorbis_File* vf = m_file.get();
  const int bytesWanted = m_readBytes;
  constexpr int kBigEndian = std::endian::native == std::endian::big ? 1 : 0;

  long got = 0;
  int section = 0;
  for (int errors = 0;;) {
    got = ov_read(vf, reinterpret_cast<char*>(m_work.data()), bytesWanted, kBigEndian, 2, 1,
                  &section);
    if (got >= 0) break;
    // A hole or a bad link: libvorbisfile resumes after it, but a stream
    // that keeps failing is given up rather than retried for ever.
    if (++errors >= kMaxReadErrors) return 0;
  }
  if (got == 0) return 0;

  // A chained file may change the channel count from one link to the next;
  // the samples are laid out by the link they came from.
  const vorbis_info* vi = ov_info(vf, section);
  const int channels = vi && vi->channels > 0 ? vi->channels : m_channels;
  const int frames = static_cast<int>(got / (2 * channels));
  const int16_t* in = m_work.data();

  for (int f = 0; f < frames; ++f, in += channels) {
    int16_t l;
    int16_t r;
    if (channels == 1) {
      l = r = in[0];
    } else if (channels == 2) {
      l = in[0];
      r = in[1];
    } else {
      MixFrame(channels, in, l, r);
    }
    if (m_outputChannels == 1) {
      left[f] = channels == 1 ? l : static_cast<int16_t>((l + r) / 2);
    } else {
      left[f] = l;
      if (right) right[f] = r;
    }
  }
  return frames;
}

int64_t VorbisDecoder::GetPosition() {
  if (!m_file) return m_position;
  const ogg_int64_t at = ov_raw_tell(m_file.get());
  return at > 0 ? at : 0;
}

std::string VorbisDecoder::Lookup(const char* key) const {
  std::string value;
  const size_t n = std::strlen(key);
  for (const std::string& comment : m_comments) {
    if (StartsWithNoCase(comment, key)) value = comment.substr(n);
  }
  return value;
}

int VorbisDecoder::GetTags(TagInfo& tags) {
  tags.title = Lookup("TITLE=");
  tags.artist = Lookup("ARTIST=");
  tags.album = Lookup("ALBUM=");
  tags.year = Lookup("DATE=");
  tags.genre = Lookup("GENRE=");
  tags.comment = Lookup("COMMENT=");
  tags.track = Lookup("TRACKNUMBER=");
  tags.composer = Lookup("COMPOSER=");
  tags.copyright = Lookup("COPYRIGHT=");
  return 1;
}

}  // namespace sondrel
