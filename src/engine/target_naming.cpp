#include "engine/target_naming.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "encode/format_catalogue.h"
#include "engine/engine_state.h"
#include "engine/file_item.h"
#include "engine/messages.h"
#include "engine/settings.h"
#include "platform/paths.h"

namespace sondrel {

namespace fs = std::filesystem;

namespace {

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes one folder; one that appeared meanwhile counts when it is a folder.
bool MakeFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0777) == 0) return true;
  return errno == EEXIST && IsFolder(path);
}

// Creates the target for writing, replacing what is there, then deletes it.
// A link in the target's place is replaced, never written through, so the
// file it points to is not emptied. Only a regular file passes: a pipe or a
// device under the target's name is neither waited on nor removed.
bool ProbeTarget(const std::string& target) {
  struct stat st;
  if (lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && unlink(target.c_str()) != 0) {
    return false;
  }
  const int fd = open(target.c_str(),
                      O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  close(fd);
  if (regular) unlink(target.c_str());
  return regular;
}

}  // namespace

std::string SourceTree(const std::string& sourcePath) {
  const size_t slash = sourcePath.find_last_of('/');
  if (slash == std::string::npos) return {};
  std::string tree;
  for (const fs::path& part : fs::path(sourcePath.substr(0, slash)).lexically_normal()) {
    const std::string name = part.string();
    if (name.empty() || name == "/" || name == "." || name == "..") continue;
    tree += name + '/';
  }
  return tree;
}

bool PrepareTarget(EngineState& state, FileItem& item, const FormatRow& format,
                   const ConvertSettings& settings, std::string& status) {
  const std::string source = item.sourcePath;
  const std::string name = FileNameOf(source);
  const size_t dot = name.find_last_of('.');
  const size_t extLength = dot == std::string::npos ? 0 : name.size() - dot;
  const std::string stem = name.substr(0, name.size() - extLength);
  const std::string ext = "." + format.extension;

  int folderMode = settings.DestOutputFolderOpt;
  std::string folder = settings.DestSpecifiedFolder;
  bool keepTree = settings.CreateDirs != 0;
  bool usedDocuments = false;
  for (;;) {
    std::string base;
    bool haveBase = true;
    if (folderMode == kOutputSpecificFolder) {
      if (folder.empty() || !EnsureFolder(folder, true)) {
        status = FolderFailureText(folder);
        haveBase = false;
      } else {
        base = folder;
        if (base.back() != '/') base += '/';
        if (keepTree) {
          base += SourceTree(source);
          if (!EnsureFolder(base, true)) {
            status = FolderFailureText(base);
            haveBase = false;
          }
        }
        base += stem;
      }
    } else {
      base = source.substr(0, source.size() - extLength);
    }

    if (haveBase) {
      std::string target = base + ext;
      if (FileExists(target)) {
        if (settings.TargetExistsOpt == kTargetOverwrite) {
          if (IsSameFile(target, source)) {
            status = kTargetIsSourceText;
            return false;
          }
        } else if (settings.TargetExistsOpt == kTargetSkip) {
          status = kTargetSkippedText;
          return false;
        } else {
          for (long long n = 1; FileExists(target); ++n) {
            target = base + "_" + std::to_string(n) + ext;
          }
        }
      }
      if (ProbeTarget(target)) {
        item.targetPath = target;
        return true;
      }
      status = FileFailureText(target);
    }

    // Once per call: the documents folder, with the tree only when the user
    // chose a specific folder with the tree kept.
    if (!settings.OutputFiles2MyDocuments || usedDocuments) return false;
    usedDocuments = true;
    const std::string documents = state.documentsFolder ? state.documentsFolder() : std::string();
    if (documents.empty()) return false;
    folder = documents;
    keepTree = settings.CreateDirs != 0 && settings.DestOutputFolderOpt == kOutputSpecificFolder;
    folderMode = kOutputSpecificFolder;
  }
}

bool EnsureFolder(const std::string& path, bool create) {
  if (IsFolder(path)) return true;
  if (!create || path.empty()) return false;
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (part.empty() || part.back() == '/') continue;  // doubled separator
    if (FileExists(part)) {
      if (!IsFolder(part)) return false;
    } else if (!MakeFolder(part)) {
      return false;
    }
  }
  if (path.back() == '/') return true;
  if (!FileExists(path)) return MakeFolder(path);
  return IsFolder(path);
}

}  // namespace sondrel
