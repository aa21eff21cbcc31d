#include "platform/paths.h"
#include "platform/text.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <vector>

namespace burnmark {

std::string ResolvePath(std::string_view stored) { return PathResolver().Resolve(stored); }

const PathResolver::Folder& PathResolver::Listing(const std::string& dir) {
    const auto found = folders_.find(dir);
    if (found != folders_.end()) return found->second;
    Folder& folder = folders_[dir];
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
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
    const auto folder = folders_.find(dir);
    if (folder != folders_.end() && folder->second.listed) return folder->second.names.count(name);
    const auto known = exists_.find(path);
    if (known != exists_.end()) return known->second;
    struct stat st {};
    const bool exists = ::lstat(path.c_str(), &st) == 0;
    exists_.emplace(path, exists);
    return exists;
}

std::string PathResolver::Resolve(std::string_view stored) {
    std::string path(stored);
    for (char& c : path)
        if (c == '\\') c = '/';

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
    bool searching = true;  // once a component is missing, the rest are kept as written
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        std::string next = result + part;
        if (searching && part != "." && part != "..") {
            const std::string dir = result.empty() ? "." : result;
            if (!Exists(dir, part, next)) {
                const Folder& folder = Listing(dir);
                const auto match = folder.noCase.find(AsciiLower(part));
                if (match != folder.noCase.end())
                    next = result + match->second;
                else
                    searching = false;
            }
        }
        result = next;
        if (i + 1 < parts.size()) result += '/';
    }
    if (!path.empty() && path.back() == '/' && !result.empty() && result.back() != '/') result += '/';
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

std::string JoinAppPath(std::string_view appDir, std::string_view relative) {
    std::string out(appDir);
    if (!out.empty() && out.back() != '/' && out.back() != '\\') out += '/';
    out += relative;
    return ResolvePath(out);
}

}  // namespace burnmark
