// The writers built into this program, by family; one line per writer.
#include "encode/writer_factories.h"

#include "encode/amr_encoder.h"
#include "encode/ffmpeg_encoder.h"
#include "encode/wma_encoder.h"

namespace sondrel {

WriterFactories DefaultWriterFactories() {
  WriterFactories f;
  f.ffmpeg = [] { return std::make_unique<FfmpegEncoder>(); };
  f.amr = [] { return std::make_unique<AmrEncoder>(); };
  f.wma = [] { return std::make_unique<WmaEncoder>(); };
  return f;
}

}  // namespace sondrel
