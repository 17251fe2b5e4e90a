// What the benches of windows share: the wx start on the display they run
// on (a virtual one under scripts/run-bench.sh) and a wall-clock timer.
#pragma once

#include <wx/app.h>
#include <wx/init.h>

#include <chrono>
#include <cstdio>
#include <functional>

namespace sondrel::bench {

// Starts wx for a bench without a main loop of its own; false (with a line
// on stderr naming `bench`) when there is no display. wxEntryCleanup ends it.
inline bool StartWindowBench(int& argc, char** argv, const char* bench) {
  struct BenchApp : wxApp {
    bool OnInit() override { return true; }
  };
  wxApp::SetInstance(new BenchApp);
  if (!wxEntryStart(argc, argv)) {
    std::fprintf(stderr, "%s: no display: run under xvfb-run\n", bench);
    return false;
  }
  wxTheApp->CallOnInit();
  return true;
}

// The wall-clock time `work` takes, in seconds.
inline double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return took.count();
}

}  // namespace sondrel::bench
