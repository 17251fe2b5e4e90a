// Letting the display server and the event loop catch up in window tests.
#pragma once

#include <wx/utils.h>

#include <functional>

#include "ui/progress_dialogs.h"

namespace sondrel::test {

// Pumps for a while so that the display server answers (map, moves, input).
inline void Settle(int rounds = 20) {
  for (int i = 0; i < rounds; ++i) {
    PumpMessages();
    wxMilliSleep(10);
  }
}

// Pumps until `done` holds, for at most about `rounds` * 10 ms; returns
// whether it came to hold.
inline bool SettleUntil(const std::function<bool()>& done, int rounds = 300) {
  for (int i = 0; i < rounds; ++i) {
    if (done()) return true;
    PumpMessages();
    wxMilliSleep(10);
  }
  return done();
}

}  // namespace sondrel::test
