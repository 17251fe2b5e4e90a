#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace sondrel {

namespace {

// Opens a regular file for reading: its descriptor, or -1 with the reason in
// `problem` when given.
int OpenRegularFile(const std::string& path, std::string* problem) {
  // Non-blocking, so that a named pipe without a writer cannot hold the open.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (problem) *problem = std::error_code(errno, std::generic_category()).message();
    return -1;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    if (problem) *problem = kNotRegularFile;
    return -1;
  }
  return fd;
}

}  // namespace

std::string SourceFileProblem(const std::string& path) {
  std::string problem;
  const int fd = OpenRegularFile(path, &problem);
  if (fd >= 0) ::close(fd);
  return problem;
}

bool File::Open(const std::string& path) {
  m_file.reset();
  m_offset = 0;
  const int fd = OpenRegularFile(path, nullptr);
  if (fd < 0) return false;
  m_file.reset(fdopen(fd, "rb"));
  if (!m_file) ::close(fd);
  return m_file != nullptr;
}

bool File::Create(const std::string& path) {
  m_file.reset(std::fopen(path.c_str(), "wb"));
  m_offset = 0;
  return m_file != nullptr;
}

bool File::Close() {
  if (!m_file) return true;
  std::FILE* f = m_file.release();
  const bool flushed = std::fflush(f) == 0 && !std::ferror(f);
  return std::fclose(f) == 0 && flushed;
}

void File::SetUnbuffered() {
  if (m_file) std::setvbuf(m_file.get(), nullptr, _IONBF, 0);
}

uint64_t File::Size() {
  struct stat info;
  if (!m_file || fstat(fileno(m_file.get()), &info) != 0) return 0;
  return static_cast<uint64_t>(info.st_size);
}

bool File::Seek(uint64_t offset) {
  if (!m_file || offset > static_cast<uint64_t>(INT64_MAX) ||
      fseeko(m_file.get(), static_cast<off_t>(offset), SEEK_SET) != 0) {
    m_offset = kUnknown;
    return false;
  }
  m_offset = offset;
  return true;
}

size_t File::Read(void* data, size_t size) {
  if (!m_file || size == 0) return 0;
  const size_t got = std::fread(data, 1, size, m_file.get());
  // After an error the stream's offset is not known; the next ReadAt seeks.
  if (got < size && std::ferror(m_file.get())) {
    std::clearerr(m_file.get());
    m_offset = kUnknown;
  } else if (m_offset != kUnknown) {
    m_offset += got;
  }
  return got;
}

size_t File::ReadAt(uint64_t offset, void* data, size_t size) {
  if (offset != m_offset && !Seek(offset)) return 0;
  return Read(data, size);
}

bool File::Write(const void* data, size_t size) {
  if (!m_file) return false;
  const size_t put = std::fwrite(data, 1, size, m_file.get());
  if (m_offset != kUnknown) m_offset += put;
  return put == size;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, uint64_t maxBytes) {
  File file;
  if (!file.Open(path)) return std::nullopt;
  const uint64_t size = file.Size();
  if (size == 0 || size > maxBytes) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!file.ReadExact(bytes.data(), bytes.size())) return std::nullopt;
  return bytes;
}

std::optional<std::vector<uint8_t>> ReadFileHead(const std::string& path, size_t size) {
  File file;
  if (!file.Open(path)) return std::nullopt;
  std::vector<uint8_t> bytes(size);
  bytes.resize(file.Read(bytes.data(), bytes.size()));
  return bytes;
}

}  // namespace sondrel
