// A private temporary file that fuzz targets rewrite with each input, so that
// readers which open a path see the bytes through their real file code.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/file.h"

namespace sondrel::fuzz {

class TempFile {
 public:
  explicit TempFile(const char* suffix) {
    const char* dir = std::getenv("TMPDIR");
    m_path = std::string(dir && *dir ? dir : "/tmp") + "/sondrel-fuzz-XXXXXX" + suffix;
    const int fd = mkstemps(m_path.data(), static_cast<int>(std::string(suffix).size()));
    if (fd < 0) std::abort();
    close(fd);
  }
  ~TempFile() { unlink(m_path.c_str()); }

  // Replaces the file's contents with `data`.
  const std::string& Write(const uint8_t* data, size_t size) {
    File file;
    if (!file.Create(m_path) || (size && !file.Write(data, size))) std::abort();
    return m_path;
  }

 private:
  std::string m_path;
};

}  // namespace sondrel::fuzz
