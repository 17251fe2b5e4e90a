#include "decode/ffmpeg_input.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/text.h"

namespace sondrel {

ffmpeg::InputContext OpenAnalysedInput(const std::string& path, const char* demuxer) {
  // Devices, pipes and folders are not sources: a pipe or a device could
  // block or never end.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return {};
  return ffmpeg::OpenInput(path, {.format = demuxer, .analyse = true});
}

int FirstAudioStream(const AVFormatContext* input, bool knownCodec) {
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    const AVCodecParameters* par = input->streams[i]->codecpar;
    if (par->codec_type != AVMEDIA_TYPE_AUDIO) continue;
    if (knownCodec && par->codec_id == AV_CODEC_ID_NONE) continue;
    return static_cast<int>(i);
  }
  return -1;
}

int DurationSeconds(const AVFormatContext* input) {
  if (input->duration == AV_NOPTS_VALUE || input->duration < 0) return 0;
  return static_cast<int>(input->duration / AV_TIME_BASE);
}

int64_t InputSize(AVFormatContext* input) {
  if (!input->pb) return 0;
  const int64_t size = avio_size(input->pb);
  return size > 0 ? size : 0;
}

int64_t InputPosition(AVFormatContext* input) {
  if (!input->pb) return 0;
  const int64_t pos = avio_tell(input->pb);
  return pos > 0 ? pos : 0;
}

namespace {

// The first of the keys present in the container's, then the stream's
// metadata.
const char* Lookup(const AVFormatContext* input, int streamIndex,
                   std::initializer_list<const char*> keys) {
  const AVDictionary* dicts[2] = {input->metadata, nullptr};
  if (streamIndex >= 0 && static_cast<unsigned>(streamIndex) < input->nb_streams) {
    dicts[1] = input->streams[streamIndex]->metadata;
  }
  for (const AVDictionary* dict : dicts) {
    if (!dict) continue;
    for (const char* key : keys) {
      const AVDictionaryEntry* e = av_dict_get(dict, key, nullptr, 0);
      if (e && e->value && *e->value) return e->value;
    }
  }
  return nullptr;
}

std::string Text(const char* value) {
  if (!value) return {};
  return Utf8ToAnsi(value).value_or(std::string());
}

// The leading whole number of a text ("2009-05-01" gives 2009, "3/12"
// gives 3); 0 when there is none.
int LeadingNumber(const char* value) {
  if (!value) return 0;
  char* end = nullptr;
  const long n = std::strtol(value, &end, 10);
  if (end == value || n < 1 || n > 0x7fffffff) return 0;
  return static_cast<int>(n);
}

std::string Number(int n) { return n >= 1 ? std::to_string(n) : std::string(); }

}  // namespace

int ReadFfmpegTags(const AVFormatContext* input, int streamIndex, TagInfo& tags) {
  const char* title = Lookup(input, streamIndex, {"title"});
  const char* artist = Lookup(input, streamIndex, {"artist", "author"});
  const char* album = Lookup(input, streamIndex, {"album"});
  const char* genre = Lookup(input, streamIndex, {"genre"});
  const char* comment = Lookup(input, streamIndex, {"comment"});
  const char* composer = Lookup(input, streamIndex, {"composer"});
  const char* copyright = Lookup(input, streamIndex, {"copyright"});
  const int year = LeadingNumber(Lookup(input, streamIndex, {"date", "year"}));
  const int track = LeadingNumber(Lookup(input, streamIndex, {"track"}));
  if (!title && !artist && !album && !genre && !comment && !composer && !copyright && year < 1 &&
      track < 1) {
    return 0;
  }
  tags.title = Text(title);
  tags.artist = Text(artist);
  tags.album = Text(album);
  tags.year = Number(year);
  tags.genre = Text(genre);
  tags.comment = Text(comment);
  tags.track = Number(track);
  tags.composer = Text(composer);
  tags.copyright = Text(copyright);
  return 1;
}

}  // namespace sondrel
