// The audio engine's decoding calls, by the names, arguments, constants and
// results of the BASS 2.4 interface that the readers were written against.
//
// Only decoding exists: there is no output device, so every stream must be
// created with BASS_STREAM_DECODE and is pulled with BASS_ChannelGetData.
// Streams are opened from files only (mem FALSE, offset 0, length 0 for the
// whole file); paths are UTF-8. A stream's backend is chosen by the file's
// content, not its name. Lengths and positions in BASS_POS_BYTE are exact
// counts of decoded bytes (all channels, delivered sample width), and the
// position reaches the length at the end of the data.
//
// Every call returns 0 (or -1 for counts) on failure and leaves the reason in
// BASS_ErrorGetCode. Calls are made from one thread at a time.
#pragma once

#include <cstdint>

namespace sondrel {

using BOOL = int;
using DWORD = uint32_t;
using QWORD = uint64_t;
using HSTREAM = DWORD;
using HMUSIC = DWORD;
using HPLUGIN = DWORD;

// Error codes (BASS_ErrorGetCode).
inline constexpr int BASS_OK = 0;
inline constexpr int BASS_ERROR_MEM = 1;
inline constexpr int BASS_ERROR_FILEOPEN = 2;
inline constexpr int BASS_ERROR_DRIVER = 3;
inline constexpr int BASS_ERROR_HANDLE = 5;
inline constexpr int BASS_ERROR_FORMAT = 6;
inline constexpr int BASS_ERROR_POSITION = 7;
inline constexpr int BASS_ERROR_INIT = 8;
inline constexpr int BASS_ERROR_NOCD = 12;
inline constexpr int BASS_ERROR_CDTRACK = 13;
inline constexpr int BASS_ERROR_ALREADY = 14;
inline constexpr int BASS_ERROR_ILLPARAM = 20;
inline constexpr int BASS_ERROR_ILLTYPE = 19;
inline constexpr int BASS_ERROR_DEVICE = 23;
inline constexpr int BASS_ERROR_NOTFILE = 27;
inline constexpr int BASS_ERROR_NOTAVAIL = 37;
inline constexpr int BASS_ERROR_DECODE = 38;
inline constexpr int BASS_ERROR_FILEFORM = 41;
inline constexpr int BASS_ERROR_CODEC = 44;
inline constexpr int BASS_ERROR_ENDED = 45;
inline constexpr int BASS_ERROR_UNKNOWN = -1;

// BASS_SetConfig options.
inline constexpr DWORD BASS_CONFIG_UPDATEPERIOD = 1;

// Sample and stream flags.
inline constexpr DWORD BASS_SAMPLE_8BITS = 1;
inline constexpr DWORD BASS_SAMPLE_MONO = 2;
inline constexpr DWORD BASS_SAMPLE_FLOAT = 256;
inline constexpr DWORD BASS_STREAM_PRESCAN = 0x20000;
inline constexpr DWORD BASS_STREAM_DECODE = 0x200000;
inline constexpr DWORD BASS_UNICODE = 0x80000000;

// Music flags.
inline constexpr DWORD BASS_MUSIC_RAMP = 0x200;
inline constexpr DWORD BASS_MUSIC_PRESCAN = BASS_STREAM_PRESCAN;
inline constexpr DWORD BASS_MUSIC_DECODE = BASS_STREAM_DECODE;

// Position modes.
inline constexpr DWORD BASS_POS_BYTE = 0;

// BASS_StreamGetFilePosition modes.
inline constexpr DWORD BASS_FILEPOS_CURRENT = 0;
inline constexpr DWORD BASS_FILEPOS_END = 2;
inline constexpr DWORD BASS_FILEPOS_START = 3;

// Channel types (BASS_CHANNELINFO.ctype).
inline constexpr DWORD BASS_CTYPE_STREAM = 0x10000;
inline constexpr DWORD BASS_CTYPE_STREAM_OGG = 0x10002;
inline constexpr DWORD BASS_CTYPE_STREAM_MP1 = 0x10003;
inline constexpr DWORD BASS_CTYPE_STREAM_MP2 = 0x10004;
inline constexpr DWORD BASS_CTYPE_STREAM_MP3 = 0x10005;
inline constexpr DWORD BASS_CTYPE_STREAM_AIFF = 0x10006;
inline constexpr DWORD BASS_CTYPE_STREAM_CD = 0x10200;
inline constexpr DWORD BASS_CTYPE_STREAM_WV = 0x10500;
inline constexpr DWORD BASS_CTYPE_STREAM_FLAC = 0x10900;
inline constexpr DWORD BASS_CTYPE_STREAM_AAC = 0x10b00;
inline constexpr DWORD BASS_CTYPE_STREAM_MP4 = 0x10b01;
inline constexpr DWORD BASS_CTYPE_STREAM_MIDI = 0x10d00;
inline constexpr DWORD BASS_CTYPE_STREAM_ALAC = 0x10e00;
inline constexpr DWORD BASS_CTYPE_STREAM_ADX = 0x1f000;
inline constexpr DWORD BASS_CTYPE_STREAM_WAV = 0x40000;
inline constexpr DWORD BASS_CTYPE_STREAM_WAV_PCM = 0x50001;
inline constexpr DWORD BASS_CTYPE_STREAM_WAV_FLOAT = 0x50003;
inline constexpr DWORD BASS_CTYPE_MUSIC_MOD = 0x20000;
inline constexpr DWORD BASS_CTYPE_MUSIC_MTM = 0x20001;
inline constexpr DWORD BASS_CTYPE_MUSIC_S3M = 0x20002;
inline constexpr DWORD BASS_CTYPE_MUSIC_XM = 0x20003;
inline constexpr DWORD BASS_CTYPE_MUSIC_IT = 0x20004;
inline constexpr DWORD BASS_CTYPE_MUSIC_MO3 = 0x00100;

struct BASS_CHANNELINFO {
  DWORD freq;      // sample rate of the delivered data
  DWORD chans;     // channel count
  DWORD flags;     // BASS_SAMPLE_8BITS when the data is 8-bit unsigned
  DWORD ctype;     // BASS_CTYPE_*
  DWORD origres;   // bits per sample of the source, 0 when not meaningful
  HPLUGIN plugin;  // the add-on that decodes it, 0 for built-in formats
  DWORD sample;    // always 0 here
  const char* filename;
};

// 0x0204xxxx: the interface version in the high word.
DWORD BASS_GetVersion();
int BASS_ErrorGetCode();

// Stores an option; only BASS_CONFIG_UPDATEPERIOD is known (no update thread
// runs either way).
BOOL BASS_SetConfig(DWORD option, DWORD value);
DWORD BASS_GetConfig(DWORD option);

// device 0 is the only device ("no sound"); freq is the rate at which tracker
// modules and MIDI are rendered when a call passes 0. Fails with
// BASS_ERROR_ALREADY when already initialised.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* win, const void* dsguid);
// Frees every channel and ends the initialisation.
BOOL BASS_Free();

// Enables the built-in decoder that stands for the named add-on
// ("bassflac.dll", "basscd.dll", "basswv.dll", "bass_aac.dll", "bass_adx.dll",
// "bass_alac.dll"; the folder and a "lib" prefix or ".so" suffix are ignored).
// No file is loaded. Returns the add-on's handle, 0 for an unknown name.
HPLUGIN BASS_PluginLoad(const char* file, DWORD flags);
// Disables one add-on, or all of them with handle 0.
BOOL BASS_PluginFree(HPLUGIN handle);

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags);
BOOL BASS_StreamFree(HSTREAM handle);
// Tracker modules (.mod .xm .it .s3m .mtm .umx .mo3). Without
// BASS_MUSIC_PRESCAN the length in bytes is not available.
HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags,
                      DWORD freq);
BOOL BASS_MusicFree(HMUSIC handle);

// -1 (all bits) on failure.
QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode);
QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode);
double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);
BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info);
// Writes up to `length` bytes (whole frames) of interleaved samples; returns
// the bytes written, or -1 (all bits) at the end of the data or on an error.
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);
// File positions in bytes; -1 (all bits) when the channel has no file.
QWORD BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode);

}  // namespace sondrel
