#include "decode/binary_file.h"

#include <sys/stat.h>

namespace sondrel {

bool BinaryFile::Open(const std::string& path) {
  m_file.reset(std::fopen(path.c_str(), "rb"));
  if (!m_file) return false;
  // Only regular files: a folder or a device would open but not read sensibly.
  struct stat info;
  if (fstat(fileno(m_file.get()), &info) != 0 || !S_ISREG(info.st_mode)) {
    m_file.reset();
    return false;
  }
  return true;
}

int64_t BinaryFile::Size() {
  if (!m_file) return -1;
  struct stat info;
  if (fstat(fileno(m_file.get()), &info) != 0) return -1;
  return static_cast<int64_t>(info.st_size);
}

bool BinaryFile::Seek(int64_t offset) {
  if (!m_file || offset < 0) return false;
  return fseeko(m_file.get(), static_cast<off_t>(offset), SEEK_SET) == 0;
}

int64_t BinaryFile::Tell() {
  if (!m_file) return -1;
  return static_cast<int64_t>(ftello(m_file.get()));
}

size_t BinaryFile::Read(void* data, size_t size) {
  if (!m_file || size == 0) return 0;
  return std::fread(data, 1, size, m_file.get());
}

}  // namespace sondrel
