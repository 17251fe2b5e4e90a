// A temporary folder for one test, removed with everything in it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace sondrel::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  // A path inside the folder (not created).
  std::string File(const std::string& name) const { return (m_path / name).string(); }

 private:
  std::filesystem::path m_path;
};

// Writes bytes to a file, replacing it.
void WriteFileBytes(const std::string& path, const std::string& bytes);
// Reads a whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// Every name in a folder, sorted.
std::vector<std::string> FolderNames(const std::filesystem::path& folder);

}  // namespace sondrel::test
