// The readers built into this program, by the opener's roles. A role whose
// reader is not built yet has no factory, which the opener treats as a
// reader that fails to open.
#include "decode/source_opener.h"

namespace sondrel {

ReaderFactories DefaultReaderFactories() {
  ReaderFactories f;
  return f;
}

}  // namespace sondrel
