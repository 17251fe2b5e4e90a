#include "decode/downmix.h"

namespace sondrel {

int32_t DownmixCentre(int32_t x) {
  return static_cast<int32_t>(static_cast<float>(x) * 0.707f);
}

int16_t ClampToInt16(int32_t x) {
  if (x > 32767) return 32767;
  if (x < -32768) return -32768;
  return static_cast<int16_t>(x);
}

void DownmixToStereo(int channels, const int16_t* s, int16_t& left, int16_t& right) {
  int32_t l;
  int32_t r;
  switch (channels > 8 ? 8 : channels) {
    case 3: {
      const int32_t c = DownmixCentre(s[2]);
      l = s[0] + c;
      r = s[1] + c;
      break;
    }
    case 4:
      l = s[0] + s[2];
      r = s[1] + s[3];
      break;
    case 5: {
      const int32_t c = DownmixCentre(s[2]);
      l = s[0] + c + s[3];
      r = s[1] + c + s[4];
      break;
    }
    case 6: {
      const int32_t c = DownmixCentre(s[2] + s[3]);
      l = s[0] + c + s[4];
      r = s[1] + c + s[5];
      break;
    }
    case 7: {
      const int32_t c = DownmixCentre(s[2] + s[3] + s[6]);
      l = s[0] + c + s[4];
      r = s[1] + c + s[5];
      break;
    }
    case 8: {
      const int32_t c = DownmixCentre(s[2] + s[3]);
      l = s[0] + c + s[4] + s[6];
      r = s[1] + c + s[5] + s[7];
      break;
    }
    default:
      l = s[0];
      r = channels >= 2 ? s[1] : s[0];
      break;
  }
  left = ClampToInt16(l);
  right = ClampToInt16(r);
}

}  // namespace sondrel
