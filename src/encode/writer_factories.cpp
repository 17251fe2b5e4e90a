// The writers built into this program, by family; one line per writer.
#include "encode/writer_factories.h"

namespace sondrel {

WriterFactories DefaultWriterFactories() {
  WriterFactories f;
  return f;
}

}  // namespace sondrel
