#include "platform/mediaruntime/asf_file_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/mediaruntime/asf_header.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace sondrel {

namespace {
constexpr int kAvioBufferSize = 32768;
// A Header Object larger than this is not one FFmpeg's muxer wrote.
constexpr uint64_t kMaxHeader = 16u << 20;
}  // namespace

void AsfFileOutput::AvioDeleter::operator()(AVIOContext* c) const {
  if (!c) return;
  av_freep(&c->buffer);
  avio_context_free(&c);
}

AsfFileOutput::~AsfFileOutput() {
  m_avio.reset();
  CloseFile();
}

void AsfFileOutput::CloseFile() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

bool AsfFileOutput::Create(const std::string& path, size_t extraHeaderBytes) {
  m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (m_fd < 0) return false;
  m_path = path;
  m_shift = extraHeaderBytes;
  auto* buffer = static_cast<unsigned char*>(av_malloc(kAvioBufferSize));
  if (!buffer) return false;
  AVIOContext* avio =
      avio_alloc_context(buffer, kAvioBufferSize, 1, this, nullptr, &WritePacket, &Seek);
  if (!avio) {
    av_free(buffer);
    return false;
  }
  m_avio.reset(avio);
  return true;
}

bool AsfFileOutput::WriteAt(const uint8_t* data, size_t size, uint64_t offset) {
  while (size > 0) {
    const ssize_t n = ::pwrite(m_fd, data, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
    offset += static_cast<uint64_t>(n);
  }
  return true;
}

int AsfFileOutput::WritePacket(void* opaque, uint8_t* buf, int size) {
  auto* self = static_cast<AsfFileOutput*>(opaque);
  if (self->m_fd < 0 || size < 0) return AVERROR(EIO);
  const auto pos = static_cast<uint64_t>(self->m_pos);
  size_t inHead = 0;
  if (pos < self->m_headLimit) {
    inHead = static_cast<size_t>(std::min<uint64_t>(size, self->m_headLimit - pos));
    if (pos + inHead > kMaxHeader) return AVERROR(ENOMEM);
    if (self->m_head.size() < pos + inHead) self->m_head.resize(pos + inHead);
    std::memcpy(self->m_head.data() + pos, buf, inHead);
  }
  if (inHead < static_cast<size_t>(size) &&
      !self->WriteAt(buf + inHead, size - inHead, pos + inHead + self->m_shift)) {
    return AVERROR(EIO);
  }
  self->m_pos += size;
  self->m_size = std::max(self->m_size, self->m_pos);
  return size;
}

int64_t AsfFileOutput::Seek(void* opaque, int64_t offset, int whence) {
  auto* self = static_cast<AsfFileOutput*>(opaque);
  if (whence & AVSEEK_SIZE) return self->m_size;
  int64_t target = 0;
  switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
      target = offset;
      break;
    case SEEK_CUR:
      target = self->m_pos + offset;
      break;
    case SEEK_END:
      target = self->m_size + offset;
      break;
    default:
      return AVERROR(EINVAL);
  }
  if (target < 0) return AVERROR(EINVAL);
  self->m_pos = target;
  return target;
}

bool AsfFileOutput::HeaderWritten() {
  const uint64_t headerSize = AsfHeaderObjectSize(m_head.data(), m_head.size());
  if (headerSize == 0 || headerSize > m_head.size()) return false;
  const size_t h = static_cast<size_t>(headerSize);
  if (!WriteAt(m_head.data() + h, m_head.size() - h, h + m_shift)) return false;
  m_head.resize(h);
  m_headLimit = h;
  return true;
}

bool AsfFileOutput::Finish(const std::vector<uint8_t>& objects, uint32_t count) {
  if (m_fd < 0 || objects.size() != m_shift) return false;
  if (AsfHeaderObjectSize(m_head.data(), m_head.size()) != m_head.size()) return false;
  std::vector<uint8_t> header = m_head;
  if (!InsertHeaderObjects(header, objects, count, m_shift)) return false;
  const bool ok = WriteAt(header.data(), header.size(), 0);
  const bool closed = ::close(m_fd) == 0;
  m_fd = -1;
  if (ok && closed) m_path.clear();  // finished: no longer ours to discard
  return ok && closed;
}

void AsfFileOutput::Discard() {
  CloseFile();
  if (!m_path.empty()) ::unlink(m_path.c_str());
  m_path.clear();
}

}  // namespace sondrel
