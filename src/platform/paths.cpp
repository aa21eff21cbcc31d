#include "platform/paths.h"
#include "platform/text.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <vector>

namespace burnmark {

std::string ResolvePath(std::string_view stored) { return PathResolver().Resolve(stored); }

namespace {

// The first entry of the folder whose name matches without regard to case,
// read no further than that entry; empty if none.
std::string FindNoCase(const std::string& dir, std::string_view name) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return {};
    std::string found;
    while (dirent* e = ::readdir(d)) {
        if (EqualNoCase(e->d_name, name)) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

}  // namespace

const PathResolver::Folder& PathResolver::Listing(const std::string& dir) {
    Folder& folder = listings_[dir];
    if (folder.listed) return folder;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return folder;
    folder.listed = true;
    while (dirent* e = ::readdir(d)) {
        folder.names.insert(e->d_name);
        folder.noCase.try_emplace(AsciiLower(e->d_name), e->d_name);
    }
    ::closedir(d);
    return folder;
}

bool PathResolver::Exists(const std::string& dir, const std::string& name,
                          const std::string& path) {
    // A folder listed already answers from its names; any other is asked
    // once, without reading it whole (a path's leading folders may be large).
    const auto folder = listings_.find(dir);
    if (folder != listings_.end() && folder->second.listed) return folder->second.names.count(name);
    const auto known = exists_.find(path);
    if (known != exists_.end()) return known->second;
    struct stat st {};
    const bool exists = ::lstat(path.c_str(), &st) == 0;
    exists_.emplace(path, exists);
    return exists;
}

std::string PathResolver::MatchNoCase(const std::string& dir, const std::string& part) {
    // The first search of a folder reads it only up to the match, as a single
    // lookup would; a folder searched again is worth its index.
    Folder& folder = listings_[dir];
    if (!folder.listed && folder.searches++ == 0) return FindNoCase(dir, part);
    const Folder& listed = Listing(dir);
    const auto match = listed.noCase.find(AsciiLower(part));
    return match == listed.noCase.end() ? std::string() : match->second;
}

void PathResolver::Step(std::string& result, const std::string& part, bool& searching) {
    std::string next = result + part;
    if (searching && part != "." && part != "..") {
        const std::string dir = result.empty() ? "." : result;
        if (!Exists(dir, part, next)) {
            const std::string match = MatchNoCase(dir, part);
            if (!match.empty())
                next = result + match;
            else
                searching = false;
        }
    }
    result = std::move(next);
}

std::string PathResolver::Walk(const std::string& path, bool& searching) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    const bool absolute = !path.empty() && path[0] == '/';
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.emplace_back(path, start, end - start);
        start = end + 1;
    }

    std::string result = absolute ? "/" : "";
    searching = true;  // once a component is missing, the rest are kept as written
    for (std::size_t i = 0; i < parts.size(); ++i) {
        Step(result, parts[i], searching);
        if (i + 1 < parts.size()) result += '/';
    }
    if (!path.empty() && path.back() == '/' && !result.empty() && result.back() != '/')
        result += '/';
    return result;
}

std::string PathResolver::Resolve(std::string_view stored) {
    std::string path(stored);
    for (char& c : path)
        if (c == '\\') c = '/';
    // The files of a catalogue share their folders: a folder's path is
    // resolved once, then only each file's own name.
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || slash + 1 == path.size()) {
        bool searching;
        return Walk(path, searching);
    }
    const std::string name = path.substr(slash + 1);
    path.resize(slash + 1);
    auto known = folders_.find(path);
    if (known == folders_.end()) {
        bool searching;
        std::string resolved = Walk(path, searching);
        known = folders_.emplace(path, ResolvedFolder{std::move(resolved), searching}).first;
    }
    ResolvedFolder& folder = known->second;
    std::string result = folder.path;
    if (folder.found && name != "." && name != "..") {
        // A folder whose names were read answers from them.
        if (!folder.listing) {
            const auto listing = listings_.find(result);
            if (listing != listings_.end() && listing->second.listed)
                folder.listing = &listing->second;
        }
        if (folder.listing) {
            if (folder.listing->names.count(name)) return result + name;
            const auto match = folder.listing->noCase.find(AsciiLower(name));
            return result + (match == folder.listing->noCase.end() ? name : match->second);
        }
    }
    bool searching = folder.found;
    Step(result, name, searching);
    return result;
}

bool StoredFileExists(std::string_view stored) {
    if (stored.empty()) return false;
    struct stat st {};
    return ::stat(ResolvePath(stored).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ProgramDirectory() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    std::string exe(buf, static_cast<std::size_t>(n));
    const auto slash = exe.rfind('/');
    if (slash == std::string::npos) return {};
    return exe.substr(0, slash + 1);
}

bool StaysInFolder(std::string_view name) {
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = name.size();
        if (name.substr(start, end - start) == "..") return false;
        start = end + 1;
    }
    return true;
}

std::string JoinAppPath(std::string_view appDir, std::string_view relative) {
    std::string out(appDir);
    if (!out.empty() && out.back() != '/' && out.back() != '\\') out += '/';
    out += relative;
    return ResolvePath(out);
}

}  // namespace burnmark
