// Translation between the stored codec ids of the catalogue (numbers of the
// old FFmpeg generation, kept in the settings store) and today's AVCodecID.
//
// The numbers are mapped by one explicit table, never by casting. AVCodecID
// values are passed as int so that this header needs no FFmpeg header.
#pragma once

namespace sondrel {

// Today's AVCodecID for a stored id; 0 (AV_CODEC_ID_NONE) when the stored id
// is not one of the catalogue's.
int AvCodecIdFromStored(int storedId);

// The stored id for today's AVCodecID; 0 when the codec has no stored number.
int StoredCodecIdFromAv(int avCodecId);

// Name of the encoder to prefer for a stored id ("libmp3lame", "libvorbis",
// "aac", "libgsm", "libgsm_ms"); null when FFmpeg's default encoder for the
// codec is the right one.
const char* PreferredEncoderName(int storedId);

}  // namespace sondrel
