// Owners of C library handles: a std::unique_ptr whose deleter is the
// library's release function, so that each handle type needs one line
// (`using SynthPtr = CHandle<fluid_synth_t, delete_fluid_synth>;`) instead
// of a deleter struct of its own.
#pragma once

#include <memory>

namespace sondrel {

// Calls `Release` on a non-null handle.
template <auto Release>
struct ReleaseWith {
  template <typename T>
  void operator()(T* handle) const {
    Release(handle);
  }
};

template <typename T, auto Release>
using CHandle = std::unique_ptr<T, ReleaseWith<Release>>;

}  // namespace sondrel
