// The writers a run can create, by family. A family whose writer is not
// built yet has no factory; the run then treats the file as one whose
// encoder did not open.
#pragma once

#include <functional>
#include <memory>

#include "encode/encoder.h"

namespace sondrel {

struct WriterFactories {
  using Make = std::function<std::unique_ptr<Encoder>()>;
  Make ffmpeg;  // FfmpegEncoder: every catalogue row but AMR and Windows Media
  Make amr;     // AmrEncoder: 5500, 5600
  Make wma;     // WmaEncoder: 7100, 7200, 7300
};

// The factories of every writer built into this program.
WriterFactories DefaultWriterFactories();

}  // namespace sondrel
