// The explicit table between stored codec ids and today's AVCodecID.
#include "encode/codec_ids.h"

#ifndef __STDC_CONSTANT_MACROS
#define __STDC_CONSTANT_MACROS
#endif
extern "C" {
#include <libavcodec/codec_id.h>
}

#include "encode/format_catalogue.h"

namespace sondrel {
namespace {

struct CodecIdPair {
  int stored;
  AVCodecID current;
  const char* preferredEncoder;  // null: FFmpeg's default encoder for the id
};

// Every codec id the catalogue stores. The old numbers are not today's
// (stored FLAC 86030 is not AV_CODEC_ID_FLAC), so they are never cast.
constexpr CodecIdPair kCodecIds[] = {
    {kCodecPcmS16le, AV_CODEC_ID_PCM_S16LE, nullptr},
    {kCodecPcmS16be, AV_CODEC_ID_PCM_S16BE, nullptr},
    {kCodecPcmS8, AV_CODEC_ID_PCM_S8, nullptr},
    {kCodecPcmU8, AV_CODEC_ID_PCM_U8, nullptr},
    {kCodecPcmMulaw, AV_CODEC_ID_PCM_MULAW, nullptr},
    {kCodecPcmAlaw, AV_CODEC_ID_PCM_ALAW, nullptr},
    {kCodecPcmS32le, AV_CODEC_ID_PCM_S32LE, nullptr},
    {kCodecPcmS32be, AV_CODEC_ID_PCM_S32BE, nullptr},
    {kCodecPcmS24le, AV_CODEC_ID_PCM_S24LE, nullptr},
    {kCodecPcmS24be, AV_CODEC_ID_PCM_S24BE, nullptr},
    {kCodecPcmF32be, AV_CODEC_ID_PCM_F32BE, nullptr},
    {kCodecPcmF32le, AV_CODEC_ID_PCM_F32LE, nullptr},
    {kCodecPcmF64be, AV_CODEC_ID_PCM_F64BE, nullptr},
    {kCodecPcmF64le, AV_CODEC_ID_PCM_F64LE, nullptr},
    {kCodecAdpcmImaQt, AV_CODEC_ID_ADPCM_IMA_QT, nullptr},
    {kCodecAdpcmImaWav, AV_CODEC_ID_ADPCM_IMA_WAV, nullptr},
    {kCodecAdpcmMs, AV_CODEC_ID_ADPCM_MS, nullptr},
    {kCodecAdpcmG726, AV_CODEC_ID_ADPCM_G726, nullptr},
    {kCodecAdpcmSwf, AV_CODEC_ID_ADPCM_SWF, nullptr},
    {kCodecAdpcmYamaha, AV_CODEC_ID_ADPCM_YAMAHA, nullptr},
    {kCodecAmrNb, AV_CODEC_ID_AMR_NB, nullptr},
    {kCodecMp2, AV_CODEC_ID_MP2, nullptr},
    {kCodecMp3, AV_CODEC_ID_MP3, "libmp3lame"},
    {kCodecAac, AV_CODEC_ID_AAC, "aac"},
    {kCodecAc3, AV_CODEC_ID_AC3, nullptr},
    // The native vorbis encoder is experimental; libvorbis is the real one.
    {kCodecVorbis, AV_CODEC_ID_VORBIS, "libvorbis"},
    {kCodecFlac, AV_CODEC_ID_FLAC, nullptr},
    {kCodecAlac, AV_CODEC_ID_ALAC, nullptr},
    {kCodecGsm, AV_CODEC_ID_GSM, "libgsm"},
    {kCodecGsmMs, AV_CODEC_ID_GSM_MS, "libgsm_ms"},
};

const CodecIdPair* FindStored(int storedId) {
  for (const CodecIdPair& pair : kCodecIds) {
    if (pair.stored == storedId) return &pair;
  }
  return nullptr;
}

}  // namespace

int AvCodecIdFromStored(int storedId) {
  const CodecIdPair* pair = FindStored(storedId);
  return pair ? static_cast<int>(pair->current) : static_cast<int>(AV_CODEC_ID_NONE);
}

int StoredCodecIdFromAv(int avCodecId) {
  if (avCodecId == AV_CODEC_ID_NONE) return 0;
  for (const CodecIdPair& pair : kCodecIds) {
    if (static_cast<int>(pair.current) == avCodecId) return pair.stored;
  }
  return 0;
}

const char* PreferredEncoderName(int storedId) {
  const CodecIdPair* pair = FindStored(storedId);
  return pair ? pair->preferredEncoder : nullptr;
}

}  // namespace sondrel
