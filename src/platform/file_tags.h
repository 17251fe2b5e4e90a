// Tags written into a finished file, and the cover read from a source, with
// TagLib. Used where a muxer cannot put a field into the container's
// standard place (an ID3v2 COMM frame, a Vorbis COMMENT, an MP4 "trkn") and
// for every picture.
//
// Each call opens, uses and closes its own TagLib file object, so calls on
// different files may run on different threads at once.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/cover_picture.h"

namespace sondrel {

// The tag kind a file gets, after the container.
enum class TagContainer {
  None,       // tags go through the muxer, or nowhere
  Id3v2,      // MPEG audio (MP3, MP2): ID3v2.4, texts in UTF-16
  Mp4,        // the MPEG-4 / QuickTime family: iTunes-style "ilst" atoms
  Flac,       // native FLAC: Vorbis comment block and PICTURE blocks
  OggVorbis,  // Vorbis comments, the picture as METADATA_BLOCK_PICTURE
  Asf,        // ASF attributes (WM/Picture)
};

// The tag kind written with TagLib for an FFmpeg muxer name; None for a
// muxer whose own metadata mapping is used (or that stores no tags).
TagContainer TagContainerForMuxer(std::string_view muxer);

// The fields to write, UTF-8. An empty text, a track below 1 and a null
// cover are left as the file has them.
struct FileTagFields {
  std::string title;
  std::string artist;
  std::string album;
  std::string year;
  std::string genre;
  std::string comment;
  std::string composer;
  std::string copyright;
  int track = 0;
  SharedCover cover;

  bool Empty() const;
};

// Covers above this size are neither read nor written.
inline constexpr size_t kMaxCoverBytes = 32u << 20;

// Writes the present fields into the file's tag of `container`, each in
// the container's standard field, replacing what that field held. False
// when the file cannot be parsed or saved; the file may then be damaged
// and is to be discarded. A cover the container cannot hold (a FLAC block
// is limited to 16 MiB) is left out.
bool WriteFileTags(const std::string& path, TagContainer container, const FileTagFields& fields);

// The front cover of the file's tag (the first picture when none is marked
// as the front cover), found by the file's content: ID3v2 APIC (MP3, AIFF,
// WAV), MP4 "covr", FLAC PICTURE, Vorbis/Opus METADATA_BLOCK_PICTURE, ASF
// WM/Picture. Null when there is none, it is empty or too large, or the
// file cannot be read.
SharedCover ReadCoverPicture(const std::string& path);

}  // namespace sondrel
