#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>
#include <vector>

namespace burnmark {

namespace {

constexpr int kMaxLinkHops = 40;
// Room for the temporary name's prefix and suffix within a file name.
constexpr std::size_t kMaxTempBase = 200;

FileWriteResult Failed(FileWriteStatus status, int error) { return {status, error}; }

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a path finally names: a symbolic link is followed (relative links
// from the link's own folder), so that the link stays and its file is
// replaced. A dangling link names the file it would create.
bool FollowLinks(std::string& target, int& error) {
    for (int hop = 0;; ++hop) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0) {
            if (errno == ENOENT) return true;
            error = errno;
            return false;
        }
        if (!S_ISLNK(st.st_mode)) return true;
        if (hop == kMaxLinkHops) {
            error = ELOOP;
            return false;
        }
        std::vector<char> text(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(target.c_str(), text.data(), text.size());
        if (n < 0) {
            error = errno;
            return false;
        }
        const std::string link(text.data(), static_cast<std::size_t>(n));
        target = (!link.empty() && link[0] == '/') ? link : DirectoryOf(target) + "/" + link;
    }
}

bool WriteAll(int fd, const char* data, std::size_t size, int& error) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A temporary file beside the target, new and only ours.
int CreateTemp(const std::string& target, std::string& temp, int& error) {
    static unsigned counter = 0;
    const std::string stem =
        DirectoryOf(target) + "/." + BaseOf(target).substr(0, kMaxTempBase) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = stem + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".tmp";
        // 0666 less the umask, as any new file of the operator's.
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    error = errno;
    return -1;
}

}  // namespace

std::string FileWriteResult::SystemText() const { return std::strerror(error); }

FileWriteResult WriteFileAtomically(const std::string& path, std::span<const char> bytes) {
    // A file-size limit must fail the write, not end the program.
    static const bool sizeSignalIgnored = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)sizeSignalIgnored;

    if (path.empty()) return Failed(FileWriteStatus::CannotCreate, ENOENT);
    std::string target = path;
    int error = 0;
    if (!FollowLinks(target, error)) return Failed(FileWriteStatus::CannotCreate, error);

    std::optional<struct stat> old;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return Failed(FileWriteStatus::CannotCreate, EISDIR);
        // Pipes and devices are no place for a data file.
        if (!S_ISREG(st.st_mode)) return Failed(FileWriteStatus::CannotCreate, EINVAL);
        // A file without any write permission is read-only for everybody,
        // the administrator included.
        if ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)
            return Failed(FileWriteStatus::CannotCreate, EACCES);
        old = st;
    } else if (errno != ENOENT) {
        return Failed(FileWriteStatus::CannotCreate, errno);
    }

    std::string temp;
    const int fd = CreateTemp(target, temp, error);
    if (fd < 0) return Failed(FileWriteStatus::CannotCreate, error);

    bool ok = true;
    if (old) {
        // Owner first: a change of owner clears the set-id bits. Another
        // user's file cannot be handed back to them and becomes ours.
        const bool sameOwner = ::fchown(fd, old->st_uid, old->st_gid) == 0;
        (void)sameOwner;
        if (::fchmod(fd, old->st_mode & 07777) != 0) {
            error = errno;
            ok = false;
        }
    }
    if (ok) ok = WriteAll(fd, bytes.data(), bytes.size(), error);
    if (ok && ::fsync(fd) != 0) {
        error = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        error = errno;
        ok = false;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        error = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return Failed(FileWriteStatus::WriteFailed, error);
    }
    return {};
}

FileWriteResult WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
    return WriteFileAtomically(
        path, std::span<const char>(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace burnmark
