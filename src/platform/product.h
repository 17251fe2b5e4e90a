// Names and addresses that the program shows to its user, kept in one place.
#pragma once

namespace sondrel {

inline constexpr const char* kProductName = "Sondrel";
// The version the About box shows after the product name ("%s v%s").
inline constexpr const char* kProductVersion = "3.2 build 969";
// Where the user is sent when a file cannot be read by any reader.
inline constexpr const char* kSupportAddress = "support@sondrel.org";
// Download pages offered by the two Yes/No questions of a run.
inline constexpr const char* kMediaRuntimeDownloadUrl = "https://ffmpeg.org/download.html";
inline constexpr const char* kSoundfontDownloadUrl = "https://sondrel.org/download/ct4mgm.sf2";

// The help menu's web pages and the link label.
inline constexpr const char* kHomepageUrl = "https://sondrel.org/";
inline constexpr const char* kHomepageLabel = "sondrel.org";
inline constexpr const char* kFeedbackUrl = "https://sondrel.org/support";
inline constexpr const char* kLatestVersionUrl = "https://sondrel.org/download";
// Tell A Friend: a prepared message to whoever the user chooses.
inline constexpr const char* kTellAFriendMailto =
    "mailto:?subject=Sondrel%20audio%20converter"
    "&body=Sondrel%20converts%20audio%20files%20between%2030%20formats%3A%20"
    "https%3A%2F%2Fsondrel.org%2F";

}  // namespace sondrel
