// The writers built into this program, by family; one line per writer.
#include "encode/writer_factories.h"

#include "encode/wma_encoder.h"

namespace sondrel {

WriterFactories DefaultWriterFactories() {
  WriterFactories f;
  f.wma = [] { return std::make_unique<WmaEncoder>(); };
  return f;
}

}  // namespace sondrel
