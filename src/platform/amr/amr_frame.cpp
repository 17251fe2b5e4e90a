#include "platform/amr/amr_frame.h"

namespace sondrel {

int AmrFramePayloadBytes(AmrBand band, int frameType) {
  // Narrow band: the eight modes, AMR SID, the SIDs of GSM-EFR, TDMA-EFR and
  // PDC-EFR, three reserved types, NO_DATA.
  static const int kNarrow[16] = {12, 13, 15, 17, 19, 20, 26, 31, 5, 6, 5, 5, -1, -1, -1, 0};
  // Wide band: the nine modes, SID, four reserved types, SPEECH_LOST, NO_DATA.
  static const int kWide[16] = {17, 23, 32, 36, 40, 46, 50, 58, 60, 5, -1, -1, -1, -1, 0, 0};
  if (frameType < 0 || frameType > 15) return -1;
  return band == AmrBand::kNarrow ? kNarrow[frameType] : kWide[frameType];
}

}  // namespace sondrel
