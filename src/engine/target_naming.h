// Where the output of a conversion goes: the output folder options, the
// source's folder tree rebuilt below it, the policy for a target that exists,
// a probe that the target can be created, and the documents-folder fallback.
#pragma once

#include <string>

namespace sondrel {

// True when `path` is an existing folder. Otherwise, with `create`, makes it
// with every missing parent and returns whether that worked (a component that
// exists but is not a folder fails); without `create`, false.
bool EnsureFolder(const std::string& path, bool create);

// True when something exists at `path`: a file, a folder, or a link (even
// one that points nowhere).
bool FileExists(const std::string& path);

// True when the two paths name the same file: equal texts, or the same file
// reached through different names (links, "..", doubled separators).
bool IsSameFile(const std::string& a, const std::string& b);

}  // namespace sondrel
