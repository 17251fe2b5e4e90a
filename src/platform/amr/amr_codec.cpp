#include "platform/amr/amr_codec.h"

#include <opencore-amrnb/interf_dec.h>
#include <opencore-amrnb/interf_enc.h>
#include <opencore-amrwb/dec_if.h>
#include <vo-amrwbenc/enc_if.h>

#include <cstring>

namespace sondrel {
namespace {

// Room for whatever a library writes for one frame, well above the largest
// frame, so that a library's own slack never reaches our buffers.
constexpr int kScratchBytes = 256;

}  // namespace

std::unique_ptr<AmrFrameEncoder> AmrFrameEncoder::Create(AmrBand band, int mode, bool dtx) {
  if (mode < 0 || mode > AmrMaxMode(band)) return nullptr;
  AmrLibraryState state(nullptr, nullptr);
  if (band == AmrBand::kNarrow) {
    state = AmrLibraryState(Encoder_Interface_init(dtx ? 1 : 0), Encoder_Interface_exit);
  } else {
    state = AmrLibraryState(E_IF_init(), E_IF_exit);
  }
  if (!state) return nullptr;
  return std::unique_ptr<AmrFrameEncoder>(new AmrFrameEncoder(band, mode, dtx, std::move(state)));
}

int AmrFrameEncoder::Encode(const int16_t* samples, uint8_t* out) {
  // opencore-amrnb filters the speech it is given in place, const or not:
  // the library works on a copy so that the caller's samples stay intact.
  int16_t speech[320];
  std::memcpy(speech, samples, sizeof(int16_t) * static_cast<size_t>(AmrSamplesPerFrame(m_band)));
  uint8_t scratch[kScratchBytes];
  int bytes;
  if (m_band == AmrBand::kNarrow) {
    bytes = Encoder_Interface_Encode(m_state.get(), static_cast<Mode>(m_mode), speech, scratch, 0);
  } else {
    bytes = E_IF_encode(m_state.get(), m_mode, speech, scratch, m_dtx ? 1 : 0);
  }
  if (bytes < 1 || bytes > kAmrMaxFrameBytes) return -1;
  // The libraries write the storage layout: the header byte leads.
  const int payload = AmrFramePayloadBytes(m_band, AmrFrameType(scratch[0]));
  if (payload < 0 || payload + 1 != bytes) return -1;
  std::memcpy(out, scratch, static_cast<size_t>(bytes));
  return bytes;
}

std::unique_ptr<AmrFrameDecoder> AmrFrameDecoder::Create(AmrBand band) {
  AmrLibraryState state(nullptr, nullptr);
  if (band == AmrBand::kNarrow) {
    state = AmrLibraryState(Decoder_Interface_init(), Decoder_Interface_exit);
  } else {
    state = AmrLibraryState(D_IF_init(), D_IF_exit);
  }
  if (!state) return nullptr;
  return std::unique_ptr<AmrFrameDecoder>(new AmrFrameDecoder(band, std::move(state)));
}

void AmrFrameDecoder::Decode(const uint8_t* frame, int16_t* samples) {
  // The libraries may read a little past a short frame; give them a copy
  // with zeros behind it.
  uint8_t bits[kScratchBytes] = {};
  std::memcpy(bits, frame, kAmrMaxFrameBytes);
  // The SIDs of other codecs (narrow-band types 9 to 11) carry nothing this
  // decoder can use, and reserved types have no known layout: both count as
  // frames without data.
  const int type = AmrFrameType(bits[0]);
  if (AmrFramePayloadBytes(m_band, type) < 0 ||
      (m_band == AmrBand::kNarrow && type > kAmrNbSid && type < kAmrNoData)) {
    bits[0] = AmrFrameHeader(kAmrNoData);
  }
  if (m_band == AmrBand::kNarrow) {
    Decoder_Interface_Decode(m_state.get(), bits, samples, 0);
  } else {
    D_IF_decode(m_state.get(), bits, samples, _good_frame);
  }
}

}  // namespace sondrel
