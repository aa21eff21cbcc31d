// Stored paths use backslashes and were written on a file system that ignores
// case. ResolvePath turns one into a real path: '\' becomes '/', and each
// component is matched exactly first, then without regard to case.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace burnmark {

// The real path of a stored path. Components that exist nowhere are kept as
// written (with '/'), so the result names where the file would be.
std::string ResolvePath(std::string_view stored);

// ResolvePath for many paths in one run (the device files of a catalogue):
// what the run learned of a folder is kept, so that a folder's names are read
// once rather than once per file whose case differs. Files made or removed
// during the run may go unnoticed; a new run sees them.
class PathResolver {
public:
    std::string Resolve(std::string_view stored);

private:
    // The names of a folder, and each name without regard to case (the first
    // the folder lists wins); listed = false when the folder cannot be read.
    struct Folder {
        bool listed = false;
        std::unordered_set<std::string> names;
        std::unordered_map<std::string, std::string> noCase;
    };
    const Folder& Listing(const std::string& dir);
    bool Exists(const std::string& dir, const std::string& name, const std::string& path);

    std::unordered_map<std::string, Folder> folders_;
    // Paths looked up directly, in folders the run has not listed.
    std::unordered_map<std::string, bool> exists_;
};

// Whether the stored path names an existing regular file (after resolving).
bool StoredFileExists(std::string_view stored);

// The directory of the running program, ending in '/'; empty when unknown.
std::string ProgramDirectory();

// Joins a directory that ends in a separator with a stored relative path.
std::string JoinAppPath(std::string_view appDir, std::string_view relative);

}  // namespace burnmark
