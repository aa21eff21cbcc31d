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
    // the folder lists wins); listed = false until the folder was read whole.
    struct Folder {
        bool listed = false;
        int searches = 0;
        std::unordered_set<std::string> names;
        std::unordered_map<std::string, std::string> noCase;
    };
    const Folder& Listing(const std::string& dir);
    // The folder's entry for the name without regard to case; empty if none.
    std::string MatchNoCase(const std::string& dir, const std::string& part);
    bool Exists(const std::string& dir, const std::string& name, const std::string& path);
    // The path with '/' resolved component by component; searching tells
    // whether every component was found.
    std::string Walk(const std::string& path, bool& searching);
    // One component after the resolved path so far.
    void Step(std::string& result, const std::string& part, bool& searching);

    std::unordered_map<std::string, Folder> listings_;
    // Paths looked up directly, in folders the run has not listed.
    std::unordered_map<std::string, bool> exists_;
    // Each folder path resolved so far: its real path, whether all of it was
    // found, and its names once they were read.
    struct ResolvedFolder {
        std::string path;
        bool found = false;
        const Folder* listing = nullptr;
    };
    std::unordered_map<std::string, ResolvedFolder> folders_;
};

// Whether the stored path names an existing regular file (after resolving).
bool StoredFileExists(std::string_view stored);

// The directory of the running program, ending in '/'; empty when unknown.
std::string ProgramDirectory();

// Whether a stored name below a folder stays in it: no component is "..".
bool StaysInFolder(std::string_view name);

// Joins a directory that ends in a separator with a stored relative path.
std::string JoinAppPath(std::string_view appDir, std::string_view relative);

}  // namespace burnmark
