// Audio fixtures made at test time: test signals, files written through
// libsndfile, libwavpack and the program's own FFmpeg writer, CD images.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sondrel::test {

// Initialises the audio engine at 44100 Hz and enables every add-on decoder,
// once per test program (later calls re-enable add-ons a test disabled).
void EnsureAudioEngine();

// Interleaved 16-bit samples: channel c carries a sine of 220 * (c + 1) Hz
// at `amplitude` (0..1) of full scale.
std::vector<int16_t> Tone16(int channels, int64_t frames, int rate, double amplitude = 0.5);
// The same signal as 32-bit integers using the full 32-bit range.
std::vector<int32_t> Tone32(int channels, int64_t frames, int rate, double amplitude = 0.5);

// Writes interleaved samples through libsndfile in `format` (SF_FORMAT_*).
// The int variant takes full-scale 32-bit values (libsndfile narrows them).
bool WriteSndfile16(const std::string& path, int format, int rate, int channels,
                    const std::vector<int16_t>& samples);
bool WriteSndfile32(const std::string& path, int format, int rate, int channels,
                    const std::vector<int32_t>& samples);
bool WriteSndfileFloat(const std::string& path, int format, int rate, int channels,
                       const std::vector<float>& samples);
// 8-bit WAV with the stored bytes given as they are (unsigned).
bool WriteWav8(const std::string& path, int rate, int channels, const std::vector<uint8_t>& bytes);

// A WavPack file of right-justified samples `bytesPerSample` wide; with
// `unknownLength` the header does not carry the frame count.
bool WriteWavPack(const std::string& path, int rate, int channels, int bytesPerSample,
                  const std::vector<int32_t>& samples, bool unknownLength = false);

// A CD image of audio tracks: "<name>.bin" holding each track's interleaved
// 16-bit stereo samples (padded with silence to whole 2352-byte sectors) and
// "<name>.cue" describing them. Returns the cue sheet's path.
std::string WriteCdImage(const std::string& folder, const std::string& name,
                         const std::vector<std::vector<int16_t>>& tracks);
// The 44-byte ".cda" file of a track.
std::string CdaFile(int track, uint32_t firstSector, uint32_t sectors, uint32_t serial = 0x1234);

// Encodes interleaved 16-bit samples through the program's own FFmpeg writer
// into `muxer` ("mp3", "adts", "ipod", ...) with the catalogue's codec id
// (kCodecMp3, kCodecAac, kCodecAlac, ...); false when the writer refuses.
bool WriteWithFfmpegWriter(const std::string& path, const std::string& muxer, int codecId, int rate,
                           int channels, int bitRate, const std::vector<int16_t>& interleaved);

// Sets title, artist, album, year, genre, comment, track through TagLib.
struct FixtureTags {
  std::string title, artist, album, genre, comment, composer, copyright;
  unsigned year = 0, track = 0;
};
bool WriteFixtureTags(const std::string& path, const FixtureTags& tags);

// Root mean square difference between two 16-bit signals, over the shorter.
double RmsDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b);
// The shift in frames (-maxShift..maxShift) of `b` against `a` with the least
// difference: 0 when the two are aligned.
int BestAlignment(const std::vector<int16_t>& a, const std::vector<int16_t>& b, int channels,
                  int maxShift);
// Peak absolute sample.
int Peak(const std::vector<int16_t>& samples);

}  // namespace sondrel::test
