#include "platform/paths.h"
#include "platform/text.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <vector>

namespace burnmark {

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}


// The entry of dir whose name matches without regard to case; empty if none.
std::string FindNoCase(const std::string& dir, std::string_view name) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
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

std::string ResolvePath(std::string_view stored) {
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
        if (searching && part != "." && part != ".." && !Exists(next)) {
            const std::string dir = result.empty() ? "." : result;
            const std::string match = FindNoCase(dir, part);
            if (!match.empty())
                next = result + match;
            else
                searching = false;
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
