// What the FFmpeg reader and the FFmpeg probe share: opening and analysing a
// container, finding its first audio stream, its duration and its tags.
#pragma once

#include <string>

#include "decode/decoder.h"
#include "platform/ffmpeg/ffmpeg_handles.h"

namespace sondrel {

// Opens `path` and reads its stream parameters; empty when FFmpeg cannot open
// or analyse it, or when the path is not a regular file. `demuxer` names the
// demuxer to use ("dts"); null probes the content.
ffmpeg::InputContext OpenAnalysedInput(const std::string& path, const char* demuxer = nullptr);

// Index of the first audio stream; with `knownCodec` only a stream whose
// codec FFmpeg identified counts. -1 when there is none.
int FirstAudioStream(const AVFormatContext* input, bool knownCodec);

// The container's duration in whole seconds; 0 when it is unknown.
int DurationSeconds(const AVFormatContext* input);

// Progress units of the reader: the input's size and position in bytes
// (0 when the input has no byte stream).
int64_t InputSize(AVFormatContext* input);
int64_t InputPosition(AVFormatContext* input);

// Fills `tags` from the container's metadata, completed by the stream's
// (Ogg keeps its comments on the stream). Texts pass through Utf8ToAnsi;
// year and track become whole numbers ("%d") when at least 1. Returns 0 and
// leaves `tags` untouched when the file carries none of the fields.
int ReadFfmpegTags(const AVFormatContext* input, int streamIndex, TagInfo& tags);

}  // namespace sondrel
