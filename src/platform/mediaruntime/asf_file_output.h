// The file an ASF writer's muxer writes into, with room in front of the data
// for header objects that FFmpeg's muxer cannot write (typed attributes).
//
// The muxer writes through `Avio()`. Until `HeaderWritten` everything is kept
// in memory; from then on the bytes after the Header Object go to the file,
// shifted by the reserved room, while the Header Object (which the muxer
// rewrites at the end with the final sizes) stays in memory. `Finish` adds the
// extra objects to that header and writes it at the start of the file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avio.h>
}

namespace sondrel {

class AsfFileOutput {
 public:
  AsfFileOutput() = default;
  ~AsfFileOutput();
  AsfFileOutput(const AsfFileOutput&) = delete;
  AsfFileOutput& operator=(const AsfFileOutput&) = delete;

  // Creates (or truncates) the file and reserves `extraHeaderBytes`.
  bool Create(const std::string& path, size_t extraHeaderBytes);
  AVIOContext* Avio() const { return m_avio.get(); }
  // After the muxer wrote its header (and it was flushed).
  bool HeaderWritten();
  // After the muxer's trailer (flushed): `objects` (`count` objects, exactly
  // the reserved size) join the header, which is written; the file is closed.
  bool Finish(const std::vector<uint8_t>& objects, uint32_t count);
  // Closes the file and removes it (a failed or abandoned write).
  void Discard();

 private:
  static int WritePacket(void* opaque, uint8_t* buf, int size);
  static int64_t Seek(void* opaque, int64_t offset, int whence);
  bool WriteAt(const uint8_t* data, size_t size, uint64_t offset);
  void CloseFile();

  struct AvioDeleter {
    void operator()(AVIOContext* c) const;
  };

  std::string m_path;
  int m_fd = -1;
  std::unique_ptr<AVIOContext, AvioDeleter> m_avio;
  std::vector<uint8_t> m_head;  // muxer bytes [0, m_headLimit)
  uint64_t m_headLimit = UINT64_MAX;
  uint64_t m_shift = 0;
  int64_t m_pos = 0;
  int64_t m_size = 0;
};

}  // namespace sondrel
