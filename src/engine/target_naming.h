// Where the output of a conversion goes: the output folder options, the
// source's folder tree rebuilt below it, the policy for a target that exists,
// the reservation of the chosen name in its run (with the hidden temporary
// the writer fills), and the documents-folder fallback.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/target_reservation.h"

namespace sondrel {

struct ConvertSettings;
struct EngineState;
struct FileItem;
struct FormatRow;

// Works out the output path of `item` for `format` under the folder and
// overwrite options and reserves it in `run`, creating the hidden temporary
// beside it (which proves the folder takes the file). True: `item.targetPath`
// is set and `reserved` holds the target. False: `status` holds the reason.
//
// A target that exists is handled by the policy only when it existed before
// the run: a name this run reserved or wrote, and under "Overwrite" another
// source of the run, takes the rename policy's numbered name instead, so no
// output of the run and no source is ever replaced. A target that is the
// item's own source is never touched. "Overwrite" leaves the old file as it
// is until the new one is complete. When a folder or the file cannot be
// created and OutputFiles2MyDocuments is set, the user's documents folder
// (`state.documentsFolder`) is tried once; a second failure gives that
// attempt's reason. May be called from several threads at once.
bool PrepareTarget(EngineState& state, FileItem& item, const FormatRow& format,
                   const ConvertSettings& settings, RunTargets& run,
                   std::unique_ptr<ReservedTarget>& reserved, std::string& status);

// The source's folders as rebuilt below an output folder: without the leading
// separator, with doubled separators collapsed and without "." and ".."
// (so nothing lands outside the output folder), ending in '/'; empty for a
// source without folders. "/home/u/Music/pop/track01.mp3" gives
// "home/u/Music/pop/".
std::string SourceTree(const std::string& sourcePath);

// True when `path` is an existing folder. Otherwise, with `create`, makes it
// with every missing parent and returns whether that worked (a component that
// exists but is not a folder fails); without `create`, false. The folders it
// made are added to `created` (when given), parents first.
bool EnsureFolder(const std::string& path, bool create,
                  std::vector<std::string>* created = nullptr);

}  // namespace sondrel
