// The text of a file fed to a scan in windows: one block of a few MB, reused
// for every window, so that a scan over a file of any size keeps its memory
// flat and reads what stays in the cache.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "buffer/formats/record_scan.h"
#include "platform/byte_block.h"

namespace burnmark {

inline constexpr std::size_t kTextWindowBytes = 4u << 20;

// Reads into.size() bytes of the text at offset: 0 when every byte arrived,
// else a code the caller knows (ReadFileAt's).
using TextRead = std::function<int(uint64_t offset, std::span<uint8_t> into)>;

class TextWindows {
public:
    // windowBytes: the new bytes each window brings (at least 1); a window
    // also holds the record the one before left cut.
    explicit TextWindows(std::size_t windowBytes = kTextWindowBytes);

    // Takes the block for the windows; false when there is no memory for it.
    bool Reserve();

    // Runs scan over the length bytes of the text that read gives, from the
    // start, until the scan is done or the text ends. 0, or the code of the
    // first read that failed (the scan then stops there).
    int Feed(TextScan& scan, uint64_t length, const TextRead& read);

private:
    std::size_t windowBytes_;
    ByteBlock block_;
};

}  // namespace burnmark
