// Stored paths use backslashes and were written on a file system that ignores
// case. ResolvePath turns one into a real path: '\' becomes '/', and each
// component is matched exactly first, then without regard to case.
#pragma once

#include <string>
#include <string_view>

namespace burnmark {

// The real path of a stored path. Components that exist nowhere are kept as
// written (with '/'), so the result names where the file would be.
std::string ResolvePath(std::string_view stored);

// Whether the stored path names an existing regular file (after resolving).
bool StoredFileExists(std::string_view stored);

// The directory of the running program, ending in '/'; empty when unknown.
std::string ProgramDirectory();

// Whether a stored name below a folder stays in it: no component is "..".
bool StaysInFolder(std::string_view name);

// Joins a directory that ends in a separator with a stored relative path.
std::string JoinAppPath(std::string_view appDir, std::string_view relative);

}  // namespace burnmark
