// The chosen byte range of the file a load reads, open for the whole load.
// The hex passes read it from its start in windows (text_windows.h), so that
// a load of any size holds no copy of the file; binary loads read it whole.
// Every read must deliver every byte the range held when the file was
// opened: a file that another program cuts short, or a disk that fails, ends
// the load with what went wrong.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "buffer/formats/record_scan.h"
#include "buffer/formats/text_windows.h"
#include "platform/ports.h"

namespace burnmark {

inline constexpr const char* kLoadReadFailTitle = "Error";

class LoadSource {
public:
    LoadSource() = default;
    LoadSource(LoadSource&& other) noexcept;
    LoadSource& operator=(LoadSource&& other) noexcept;
    LoadSource(const LoadSource&) = delete;
    LoadSource& operator=(const LoadSource&) = delete;
    ~LoadSource();

    // Takes the open file fd (closed with the source) and its range; the
    // windows bring windowBytes new bytes each. False, the file closed, when
    // there is no memory for the window.
    bool Open(int fd, std::string path, uint64_t start, uint64_t length,
              std::size_t windowBytes = kTextWindowBytes);

    const std::string& Path() const { return path_; }
    uint64_t Length() const { return length_; }

    // Runs scan over the range, window after window: 0, or ReadFileAt's code.
    int Feed(TextScan& scan);
    TextFeed AsFeed() {
        return [this](TextScan& scan) { return Feed(scan); };
    }

    // Reads the whole range into the Length() bytes at into, in pieces below
    // 64 KB, with the progress window shown and stepped once per hundredth of
    // the pieces (at least every piece): 0, or ReadFileAt's code.
    int ReadAll(std::span<uint8_t> into, Progress& progress);

private:
    int fd_ = -1;
    std::string path_;
    uint64_t start_ = 0;
    uint64_t length_ = 0;
    TextWindows windows_;
};

// "Can't read" the file and why (ReadFileAt's code), titled "Error".
void ShowReadFailure(Messages& messages, const std::string& path, int error);

}  // namespace burnmark
