#include "buffer/formats/text_windows.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace burnmark {

namespace {

// Room for a record left cut besides the new bytes: no record of the three
// formats is longer.
constexpr std::size_t kCarryRoom = 1024;

}  // namespace

TextWindows::TextWindows(std::size_t windowBytes)
    : windowBytes_(std::max<std::size_t>(windowBytes, 1)) {}

bool TextWindows::Reserve() {
    return block_.size() >= windowBytes_ + kCarryRoom || block_.Resize(windowBytes_ + kCarryRoom);
}

int TextWindows::Feed(TextScan& scan, uint64_t length, const TextRead& read) {
    uint64_t offset = 0;    // where the block's first byte lies in the text
    std::size_t kept = 0;   // bytes at the block's start that the scan left
    for (;;) {
        const uint64_t next = offset + kept;
        const std::size_t fresh =
            static_cast<std::size_t>(std::min<uint64_t>(windowBytes_, length - next));
        // A scan leaves less than a record; should it ever leave more, the
        // block grows rather than the scan going round without new bytes.
        if (block_.size() < kept + fresh && !block_.Resize(kept + fresh + kCarryRoom))
            return ENOMEM;
        if (fresh > 0) {
            const int error = read(next, block_.Bytes().subspan(kept, fresh));
            if (error != 0) return error;
        }
        const bool last = next + fresh == length;
        const std::size_t used =
            std::min(scan.Scan({block_.Bytes().first(kept + fresh), offset, last}), kept + fresh);
        if (last || scan.Done()) return 0;
        kept = kept + fresh - used;
        std::memmove(block_.data(), block_.data() + used, kept);
        offset += used;
    }
}

}  // namespace burnmark
