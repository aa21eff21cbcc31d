#include "shell/picture_restore.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

namespace burnmark {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::optional<std::vector<uint8_t>> RestoreBitmapFile(const std::string& source,
                                                      Messages& messages) {
    // Only a regular file: a folder or a pipe would open and read nothing sensible.
    struct stat info {};
    File file(::stat(source.c_str(), &info) == 0 && S_ISREG(info.st_mode)
                  ? std::fopen(source.c_str(), "rb")
                  : nullptr);
    if (!file) {
        messages.ShowMessage(kErrPictureOpen);
        return std::nullopt;
    }
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    if (size > kMaxPictureFileBytes) {
        messages.ShowMessage(kErrPictureMemory);
        return std::nullopt;
    }
    if (size < kBitmapHeaderLength) {
        messages.ShowMessage(kErrPictureShort);
        return std::nullopt;
    }
    std::vector<uint8_t> stored;
    try {
        stored.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        messages.ShowMessage(kErrPictureMemory);
        return std::nullopt;
    }
    // The file may have changed since its size was taken: only what was read counts.
    const std::size_t got = std::fread(stored.data(), 1, stored.size(), file.get());
    if (got != stored.size() || std::fgetc(file.get()) != EOF) {
        messages.ShowMessage(kErrPictureOpen);
        return std::nullopt;
    }
    std::vector<uint8_t> bitmap(stored.size());
    const auto headerAt = stored.end() - static_cast<std::ptrdiff_t>(kBitmapHeaderLength);
    std::copy(headerAt, stored.end(), bitmap.begin());
    std::copy(stored.begin(), headerAt, bitmap.begin() + kBitmapHeaderLength);
    return bitmap;
}

std::optional<std::vector<uint8_t>> StoreBitmapRotated(std::span<const uint8_t> bitmap) {
    if (bitmap.size() < kBitmapHeaderLength) return std::nullopt;
    std::vector<uint8_t> stored(bitmap.begin() + kBitmapHeaderLength, bitmap.end());
    stored.insert(stored.end(), bitmap.begin(), bitmap.begin() + kBitmapHeaderLength);
    return stored;
}

}  // namespace burnmark
