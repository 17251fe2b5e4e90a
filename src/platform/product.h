// Names and addresses that the program shows to its user, kept in one place.
#pragma once

namespace sondrel {

inline constexpr const char* kProductName = "Sondrel";
// Where the user is sent when a file cannot be read by any reader.
inline constexpr const char* kSupportAddress = "support@sondrel.org";
// Download pages offered by the two Yes/No questions of a run.
inline constexpr const char* kMediaRuntimeDownloadUrl = "https://ffmpeg.org/download.html";
inline constexpr const char* kSoundfontDownloadUrl = "https://sondrel.org/download/ct4mgm.sf2";

}  // namespace sondrel
