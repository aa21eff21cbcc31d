// Helpers of the text writers: the range rounding, the source bytes of a
// record and the progress steps of a save.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

#include "platform/ports.h"

namespace burnmark {

// The text writers save whole 32-byte groups: the last record may carry up to
// 31 bytes that follow the chosen range in the buffer.
inline uint64_t RoundUpTo32(uint64_t length) { return (length + 31) & ~uint64_t{31}; }

// Bytes of the buffer from a range start; bytes past the buffer's end read as 0.
class SourceBytes {
public:
    SourceBytes(std::span<const uint8_t> buffer, uint64_t start) : buffer_(buffer), start_(start) {}

    void Copy(uint64_t offset, uint8_t* out, std::size_t count) const {
        const uint64_t from = start_ + offset;
        const uint64_t size = buffer_.size();
        const std::size_t have =
            from >= size ? 0 : static_cast<std::size_t>(std::min<uint64_t>(count, size - from));
        if (have) std::memcpy(out, buffer_.data() + from, have);
        if (have < count) std::memset(out + have, 0, count - have);
    }

private:
    std::span<const uint8_t> buffer_;
    uint64_t start_;
};

// Steps the bar whenever the written byte count passes another hundredth.
class ProgressSteps {
public:
    ProgressSteps(Progress* progress, uint64_t length)
        : progress_(progress), width_(std::max<uint64_t>(length / 100, 1)), next_(width_) {}

    void At(uint64_t written) {
        if (!progress_) return;
        while (written >= next_) {
            progress_->ProgressStep();
            next_ += width_;
        }
    }

private:
    Progress* progress_;
    uint64_t width_;
    uint64_t next_;
};

}  // namespace burnmark
