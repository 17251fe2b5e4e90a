// The readers built into this program, by the opener's roles. A role whose
// reader is not built yet has no factory, which the opener treats as a
// reader that fails to open.
#include "decode/source_opener.h"

#include "decode/aiff_decoder.h"
#include "decode/au_decoder.h"

namespace sondrel {

ReaderFactories DefaultReaderFactories() {
  ReaderFactories f;
  f.aiff = [] { return std::make_unique<AiffDecoder>(); };
  f.au = [] { return std::make_unique<AuDecoder>(); };
  return f;
}

}  // namespace sondrel
