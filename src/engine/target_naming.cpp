#include "engine/target_naming.h"

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

// Makes one folder; one that appeared meanwhile counts when it is a folder
// (and is not recorded as made here).
bool MakeFolder(const std::string& path, std::vector<std::string>* created) {
  if (mkdir(path.c_str(), 0777) == 0) {
    if (created) created->push_back(path);
    return true;
  }
  return errno == EEXIST && IsFolder(path);
}

// How an item's first-choice name is used.
enum class NameUse { Free, Replace, Number, Skip, IsOwnSource };

NameUse ClassifyName(const std::string& target, const std::string& source, int policy,
                     const RunTargets& run) {
  if (!FileExists(target))
    return run.IsReserved(target) || run.IsSource(target) ? NameUse::Number : NameUse::Free;
  if (IsSameFile(target, source)) {
    if (policy == kTargetOverwrite) return NameUse::IsOwnSource;
    return policy == kTargetSkip ? NameUse::Skip : NameUse::Number;
  }
  // Outputs of this run are never replaced nor a reason to skip.
  if (run.IsReserved(target)) return NameUse::Number;
  if (policy == kTargetOverwrite) return run.IsSource(target) ? NameUse::Number : NameUse::Replace;
  return policy == kTargetSkip ? NameUse::Skip : NameUse::Number;
}

// The rename policy's name: base_1.ext, base_2.ext ... the first that
// neither exists nor is reserved in the run.
std::string NumberedName(const std::string& base, const std::string& ext, const RunTargets& run) {
  for (long long n = 1;; ++n) {
    std::string target = base + "_" + std::to_string(n) + ext;
    if (!FileExists(target) && !run.IsReserved(target) && !run.IsSource(target)) return target;
  }
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
                   const ConvertSettings& settings, RunTargets& run,
                   std::unique_ptr<ReservedTarget>& reserved, std::string& status) {
  const std::string source = item.sourcePath;
  const std::string name = FileNameOf(source);
  const size_t dot = name.find_last_of('.');
  const size_t extLength = dot == std::string::npos ? 0 : name.size() - dot;
  const std::string stem = name.substr(0, name.size() - extLength);
  const std::string ext = "." + format.extension;

  std::lock_guard lock(run.Mutex());
  // The tree's folders made for this item go again when it gets no target.
  std::vector<std::string> created;
  struct FolderCleanup {
    std::vector<std::string>& created;
    ~FolderCleanup() { RemoveEmptyFolders(created); }
  } cleanup{created};

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
          if (!EnsureFolder(base, true, &created)) {
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
      AtomicOutput::Replace replace = AtomicOutput::Replace::Never;
      switch (ClassifyName(target, source, settings.TargetExistsOpt, run)) {
        case NameUse::IsOwnSource:
          status = kTargetIsSourceText;
          return false;
        case NameUse::Skip:
          status = kTargetSkippedText;
          return false;
        case NameUse::Number:
          target = NumberedName(base, ext, run);
          break;
        case NameUse::Replace:
          replace = AtomicOutput::Replace::Allowed;
          break;
        case NameUse::Free:
          break;
      }
      // A pipe or a device under the target's name is neither waited on nor
      // removed: no temporary is made for it.
      std::unique_ptr<AtomicOutput> output = AtomicOutput::Create(target, replace);
      if (output) {
        run.Reserve(target);
        item.targetPath = target;
        reserved = std::make_unique<ReservedTarget>(run, std::move(output), std::move(created));
        created.clear();
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

bool EnsureFolder(const std::string& path, bool create, std::vector<std::string>* created) {
  if (IsFolder(path)) return true;
  if (!create || path.empty()) return false;
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (part.empty() || part.back() == '/') continue;  // doubled separator
    if (FileExists(part)) {
      if (!IsFolder(part)) return false;
    } else if (!MakeFolder(part, created)) {
      return false;
    }
  }
  if (path.back() == '/') return true;
  if (!FileExists(path)) return MakeFolder(path, created);
  return IsFolder(path);
}

}  // namespace sondrel
