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

AtomicFileWriter::~AtomicFileWriter() { Abandon(); }

void AtomicFileWriter::Abandon() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
    fd_ = -1;
    temp_.clear();
}

FileWriteResult AtomicFileWriter::Fail(int error) {
    Abandon();
    failure_ = Failed(FileWriteStatus::WriteFailed, error);
    return failure_;
}

FileWriteResult AtomicFileWriter::Open(const std::string& path) {
    // A file-size limit must fail the write, not end the program.
    static const bool sizeSignalIgnored = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)sizeSignalIgnored;

    Abandon();
    failure_ = {};
    auto refuse = [this](int error) {
        failure_ = Failed(FileWriteStatus::CannotCreate, error);
        return failure_;
    };
    if (path.empty()) return refuse(ENOENT);
    target_ = path;
    int error = 0;
    if (!FollowLinks(target_, error)) return refuse(error);

    std::optional<struct stat> old;
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return refuse(EISDIR);
        // Pipes and devices are no place for a data file.
        if (!S_ISREG(st.st_mode)) return refuse(EINVAL);
        // A file without any write permission is read-only for everybody,
        // the administrator included.
        if ((st.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0) return refuse(EACCES);
        old = st;
    } else if (errno != ENOENT) {
        return refuse(errno);
    }

    fd_ = CreateTemp(target_, temp_, error);
    if (fd_ < 0) {
        temp_.clear();
        return refuse(error);
    }
    if (old) {
        // Owner first: a change of owner clears the set-id bits. Another
        // user's file cannot be handed back to them and becomes ours.
        const bool sameOwner = ::fchown(fd_, old->st_uid, old->st_gid) == 0;
        (void)sameOwner;
        if (::fchmod(fd_, old->st_mode & 07777) != 0) return Fail(errno);
    }
    return {};
}

FileWriteResult AtomicFileWriter::Write(std::span<const char> bytes) {
    // Not open: the failure that closed it, or never opened.
    if (fd_ < 0) return failure_ ? Failed(FileWriteStatus::WriteFailed, EBADF) : failure_;
    int error = 0;
    if (!WriteAll(fd_, bytes.data(), bytes.size(), error)) return Fail(error);
    return {};
}

FileWriteResult AtomicFileWriter::Commit() {
    if (fd_ < 0) return failure_ ? Failed(FileWriteStatus::WriteFailed, EBADF) : failure_;
    if (::fsync(fd_) != 0) return Fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return Fail(errno);
    if (::rename(temp_.c_str(), target_.c_str()) != 0) return Fail(errno);
    temp_.clear();
    return {};
}

FileWriteResult WriteFileAtomically(const std::string& path, std::span<const char> bytes) {
    AtomicFileWriter writer;
    if (FileWriteResult r = writer.Open(path); !r) return r;
    if (FileWriteResult r = writer.Write(bytes); !r) return r;
    return writer.Commit();
}

FileWriteResult WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes) {
    return WriteFileAtomically(
        path, std::span<const char>(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace burnmark
