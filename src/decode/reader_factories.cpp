// The readers built into this program, by the opener's roles. A role whose
// reader is not built has no factory, which the opener treats as a reader
// that fails to open.
#include "decode/source_opener.h"

#include "decode/aiff_decoder.h"
#include "decode/amr_decoder.h"
#include "decode/au_decoder.h"
#include "decode/bass_decoder.h"
#include "decode/ffmpeg_decoder.h"
#include "decode/ffmpeg_probe.h"
#include "decode/vorbis_decoder.h"
#include "decode/wma_decoder.h"
#include "platform/file.h"

namespace sondrel {

ReaderFactories DefaultReaderFactories() {
  ReaderFactories f;
  f.bass = [] { return std::make_unique<BassDecoder>(); };
  f.aiff = [] { return std::make_unique<AiffDecoder>(); };
  f.amr = [] { return std::make_unique<AmrDecoder>(); };
  f.au = [] { return std::make_unique<AuDecoder>(); };
  f.vorbis = [] { return std::make_unique<VorbisDecoder>(); };
  f.wma = [] { return std::make_unique<WmaDecoder>(); };
  f.ffmpeg = [] { return std::make_unique<FfmpegDecoder>(); };
  f.ffmpegDts = [] { return std::make_unique<FfmpegDecoder>("dts"); };
  f.ffmpegProbe = [] { return std::make_unique<FfmpegProbe>(); };
  f.sourceProblem = SourceFileProblem;
  return f;
}

}  // namespace sondrel
