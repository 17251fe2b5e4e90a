// Where the output of a conversion goes: the output folder options, the
// source's folder tree rebuilt below it, the policy for a target that exists,
// a probe that the target can be created, and the documents-folder fallback.
#pragma once

#include <string>

namespace sondrel {

struct ConvertSettings;
struct EngineState;
struct FileItem;
struct FormatRow;

// Works out the output path of `item` for `format` under the folder and
// overwrite options and proves it can be created (the probe creates and
// deletes it, so under the overwrite policy an existing target is gone from
// here on). True: `item.targetPath` is set. False: `status` holds the reason.
// A target that is the source itself is never touched. When a folder or the
// file cannot be created and OutputFiles2MyDocuments is set, the user's
// documents folder (`state.documentsFolder`) is tried once; a second failure
// gives that attempt's reason.
bool PrepareTarget(EngineState& state, FileItem& item, const FormatRow& format,
                   const ConvertSettings& settings, std::string& status);

// The source's folders as rebuilt below an output folder: without the leading
// separator, with doubled separators collapsed and without "." and ".."
// (so nothing lands outside the output folder), ending in '/'; empty for a
// source without folders. "/home/u/Music/pop/track01.mp3" gives
// "home/u/Music/pop/".
std::string SourceTree(const std::string& sourcePath);

// True when `path` is an existing folder. Otherwise, with `create`, makes it
// with every missing parent and returns whether that worked (a component that
// exists but is not a folder fails); without `create`, false.
bool EnsureFolder(const std::string& path, bool create);

}  // namespace sondrel
