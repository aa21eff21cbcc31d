#include "flow/load_source.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/file_range.h"

namespace burnmark {

namespace {

// The file pieces of a whole read: below 64 KB each, as the progress counts them.
constexpr uint64_t kReadPiece = 0xFFFF;

}  // namespace

LoadSource::LoadSource(LoadSource&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      start_(other.start_),
      length_(other.length_),
      windows_(std::move(other.windows_)) {}

LoadSource& LoadSource::operator=(LoadSource&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
        start_ = other.start_;
        length_ = other.length_;
        windows_ = std::move(other.windows_);
    }
    return *this;
}

LoadSource::~LoadSource() {
    if (fd_ >= 0) ::close(fd_);
}

bool LoadSource::Open(int fd, std::string path, uint64_t start, uint64_t length,
                      std::size_t windowBytes) {
    *this = LoadSource();
    fd_ = fd;
    path_ = std::move(path);
    start_ = start;
    length_ = length;
    windows_ = TextWindows(windowBytes);
    return windows_.Reserve();
}

int LoadSource::Feed(TextScan& scan) {
    return windows_.Feed(scan, length_, [this](uint64_t offset, std::span<uint8_t> into) {
        return ReadFileAt(fd_, start_ + offset, into);
    });
}

int LoadSource::ReadAll(std::span<uint8_t> into, Progress& progress) {
    progress.ProgressSetPosition(0);
    progress.Show();
    const uint64_t length = std::min<uint64_t>(length_, into.size());
    const uint64_t pieces = (length + kReadPiece - 1) / kReadPiece;
    const uint64_t width = std::max<uint64_t>(pieces / 100, 1);
    int error = 0;
    for (uint64_t piece = 0, got = 0; got < length && error == 0; ++piece) {
        const std::size_t want = static_cast<std::size_t>(std::min(kReadPiece, length - got));
        error = ReadFileAt(fd_, start_ + got, into.subspan(static_cast<std::size_t>(got), want));
        got += want;
        if (piece % width == 0) progress.ProgressStep();
    }
    progress.ProgressFinish();
    progress.Close();
    return error;
}

void ShowReadFailure(Messages& messages, const std::string& path, int error) {
    // Another program rewrote the file, or the disk failed: a part of the
    // file is no file to program.
    const std::string reason =
        error == kFileEndedEarly
            ? "The file changed while it was read: it is shorter than when the load began."
            : std::strerror(error);
    messages.MessageBox("Can't read \"" + path + "\". " + reason, kLoadReadFailTitle,
                        MsgButtons::Ok, MsgIcon::Error);
}

}  // namespace burnmark
