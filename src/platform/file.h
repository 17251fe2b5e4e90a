// The one owner of an open file (a stdio stream with 64-bit offsets), closed
// on every path, and the small whole-file reads built on it.
//
// Reading opens regular files only: a folder, a device or a named pipe is
// refused at once (a pipe would otherwise block the open). Not thread-safe:
// one File belongs to one reader or writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/bytes.h"

namespace sondrel {

class File final : public ByteSource {
 public:
  // Opens a regular file for reading; false when it cannot be opened or is
  // not a regular file.
  bool Open(const std::string& path);
  // Creates `path` for writing, replacing a file that is there.
  bool Create(const std::string& path);
  // True when what was written reached the system (the last buffer and
  // the close succeeded); true when nothing was open.
  bool Close();
  bool IsOpen() const { return m_file != nullptr; }
  // Every write goes to the system at once (a failed write is seen at once).
  void SetUnbuffered();

  uint64_t Size() override;
  size_t ReadAt(uint64_t offset, void* data, size_t size) override;

  bool Seek(uint64_t offset);
  // Reads up to `size` bytes at the current offset; returns the count.
  size_t Read(void* data, size_t size);
  bool ReadExact(void* data, size_t size) { return Read(data, size) == size; }
  // True when all `size` bytes were written.
  bool Write(const void* data, size_t size);

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  static constexpr uint64_t kUnknown = ~uint64_t{0};

  std::unique_ptr<std::FILE, Closer> m_file;
  uint64_t m_offset = kUnknown;  // the stream's offset, so that ReadAt need not seek
};

// Why `path` cannot be read as a source: empty when it is a regular file
// that this process may open for reading, else the system's reason ("Permission
// denied", "No such file or directory") or kNotRegularFile for a folder, a
// device or a named pipe (which could block a reader or never end).
std::string SourceFileProblem(const std::string& path);
inline constexpr const char* kNotRegularFile = "Not a regular file";

// The whole of a regular file of 1 to `maxBytes` bytes; nullopt otherwise or
// when it cannot be read.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, uint64_t maxBytes);

// The first bytes of a regular file (fewer when the file is shorter); nullopt
// when it cannot be opened.
std::optional<std::vector<uint8_t>> ReadFileHead(const std::string& path, size_t size);

}  // namespace sondrel
