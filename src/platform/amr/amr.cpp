#include "platform/amr/amr.h"

#include <filesystem>

#include "platform/amr/amr_codec.h"
#include "platform/file.h"

namespace sondrel {

struct AmrDecodeHandle {
  std::unique_ptr<AmrStorageReader> reader;
  std::unique_ptr<AmrFrameDecoder> decoder;
  int16_t samples[320] = {};
  bool failed = false;
};

struct AmrEncodeHandle {
  File file;
  std::unique_ptr<AmrFrameEncoder> encoder;
  // A failed write may have left part of a frame: nothing more is appended,
  // so that the frames before it stay readable.
  bool failed = false;
};

namespace {

AmrDecodeHandle* DecodeInit(const std::string& path, AmrBand band) {
  auto file = std::make_unique<File>();
  if (!file->Open(path)) return nullptr;
  return AmrDecodeOpenSource(std::move(file), band);
}

int Decode(AmrDecodeHandle* handle, const int16_t** samples, int64_t* offset) {
  if (!handle || handle->failed) return -1;
  uint8_t frame[kAmrMaxFrameBytes];
  switch (handle->reader->ReadFrame(frame)) {
    case AmrStorageReader::Next::kFrame:
      break;
    case AmrStorageReader::Next::kEnd:
      return 0;
    default:
      handle->failed = true;
      return -1;
  }
  handle->decoder->Decode(frame, handle->samples);
  if (samples) *samples = handle->samples;
  if (offset) *offset = handle->reader->Offset();
  return AmrSamplesPerFrame(handle->reader->Band());
}

AmrEncodeHandle* EncodeInit(const std::string& path, int dtx, int mode, AmrBand band) {
  auto encoder = AmrFrameEncoder::Create(band, mode, dtx != 0);
  if (!encoder) return nullptr;
  File file;
  if (!file.Create(path)) return nullptr;
  const std::string_view magic = AmrMagic(band);
  if (!file.Write(magic.data(), magic.size())) {
    file.Close();
    std::error_code ec;
    std::filesystem::remove(path, ec);
    return nullptr;
  }
  auto* handle = new AmrEncodeHandle;
  handle->file = std::move(file);
  handle->encoder = std::move(encoder);
  return handle;
}

int Encode(AmrEncodeHandle* handle, const int16_t* frame) {
  if (!handle || !frame || handle->failed) return -1;
  uint8_t bytes[kAmrMaxFrameBytes];
  const int n = handle->encoder->Encode(frame, bytes);
  if (n < 1) return -1;
  if (!handle->file.Write(bytes, static_cast<size_t>(n))) {
    handle->failed = true;
    return -1;
  }
  return n;
}

}  // namespace

AmrDecodeHandle* AmrDecodeOpenSource(std::unique_ptr<ByteSource> source, AmrBand band) {
  auto reader = AmrStorageReader::Open(std::move(source), band);
  if (!reader) return nullptr;
  auto decoder = AmrFrameDecoder::Create(band);
  if (!decoder) return nullptr;
  auto* handle = new AmrDecodeHandle;
  handle->reader = std::move(reader);
  handle->decoder = std::move(decoder);
  return handle;
}

AmrDecodeHandle* amrnbdec_init(const std::string& path) {
  return DecodeInit(path, AmrBand::kNarrow);
}
int amrnbdec_decode(AmrDecodeHandle* handle, const int16_t** samples, int64_t* offset) {
  return Decode(handle, samples, offset);
}
void amrnbdec_quit(AmrDecodeHandle* handle) { delete handle; }

AmrDecodeHandle* amrwbdec_init(const std::string& path) { return DecodeInit(path, AmrBand::kWide); }
int amrwbdec_decode(AmrDecodeHandle* handle, const int16_t** samples, int64_t* offset) {
  return Decode(handle, samples, offset);
}
void amrwbdec_quit(AmrDecodeHandle* handle) { delete handle; }

AmrEncodeHandle* amrnbenc_init(const std::string& path, int dtx, int mode) {
  return EncodeInit(path, dtx, mode, AmrBand::kNarrow);
}
int amrnbenc_encode(AmrEncodeHandle* handle, const int16_t* frame) { return Encode(handle, frame); }
void amrnbenc_quit(AmrEncodeHandle* handle) { delete handle; }

AmrEncodeHandle* amrwbenc_init(const std::string& path, int dtx, int mode) {
  return EncodeInit(path, dtx, mode, AmrBand::kWide);
}
int amrwbenc_encode(AmrEncodeHandle* handle, const int16_t* frame) { return Encode(handle, frame); }
void amrwbenc_quit(AmrEncodeHandle* handle) { delete handle; }

bool AmrEncodeFinish(AmrEncodeHandle* handle) {
  if (!handle) return false;
  const bool closed = handle->file.Close();
  return closed && !handle->failed;
}

}  // namespace sondrel
