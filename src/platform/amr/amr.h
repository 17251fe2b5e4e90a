// The AMR codec calls of the program: narrow-band and wide-band decoding
// and encoding of files in the single-channel storage format ("#!AMR\n",
// "#!AMR-WB\n"). The calls open, read and write the files themselves.
//
// Decoding: *_init(path) checks the file's magic and gives a handle, null
// when the file cannot be read or is not of that band. *_decode gives the
// samples of the next frame (160 narrow band, 320 wide band; they stay valid
// until the next call on the handle) and the file offset read so far; it
// returns 0 at the end of the file and -1 on a damaged frame (cut short, or a
// reserved frame type), after which it keeps returning -1. *_quit ends the
// handle (null is allowed).
//
// Encoding: *_init(path, dtx, mode) creates the file (replacing one that is
// there), writes the magic and gives a handle; null for a mode out of range
// (0..7 narrow band, 0..8 wide band) or a file that cannot be created, in
// which case no file is left behind. *_encode encodes one 20 ms frame (160
// or 320 samples) and appends it; it returns the bytes written, -1 when the
// frame could not be encoded or written. *_quit closes the file and ends the
// handle (null is allowed). AmrEncodeFinish, before *_quit, closes the file
// and tells whether every frame reached it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/amr/amr_storage.h"
#include "platform/c_handle.h"

namespace sondrel {

struct AmrDecodeHandle;
struct AmrEncodeHandle;

AmrDecodeHandle* amrnbdec_init(const std::string& path);
int amrnbdec_decode(AmrDecodeHandle* handle, const int16_t** samples, int64_t* offset);
void amrnbdec_quit(AmrDecodeHandle* handle);

AmrDecodeHandle* amrwbdec_init(const std::string& path);
int amrwbdec_decode(AmrDecodeHandle* handle, const int16_t** samples, int64_t* offset);
void amrwbdec_quit(AmrDecodeHandle* handle);

AmrEncodeHandle* amrnbenc_init(const std::string& path, int dtx, int mode);
int amrnbenc_encode(AmrEncodeHandle* handle, const int16_t* frame);
void amrnbenc_quit(AmrEncodeHandle* handle);

AmrEncodeHandle* amrwbenc_init(const std::string& path, int dtx, int mode);
int amrwbenc_encode(AmrEncodeHandle* handle, const int16_t* frame);
void amrwbenc_quit(AmrEncodeHandle* handle);
bool AmrEncodeFinish(AmrEncodeHandle* handle);

// The decoding calls on bytes that are already open (memory, for example):
// takes the source; null as *_init.
AmrDecodeHandle* AmrDecodeOpenSource(std::unique_ptr<ByteSource> source, AmrBand band);

// Owners that end a handle on every path, with the quit call of its band.
using AmrNbDecodePtr = CHandle<AmrDecodeHandle, amrnbdec_quit>;
using AmrWbDecodePtr = CHandle<AmrDecodeHandle, amrwbdec_quit>;
using AmrNbEncodePtr = CHandle<AmrEncodeHandle, amrnbenc_quit>;
using AmrWbEncodePtr = CHandle<AmrEncodeHandle, amrwbenc_quit>;

}  // namespace sondrel
