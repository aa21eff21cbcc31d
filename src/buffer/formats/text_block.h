// Helpers of the text writers: the range rounding, the source bytes of a
// record, the progress steps of a save and the pieces its text is made in.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <span>
#include <string>

#include "platform/byte_block.h"
#include "platform/ports.h"

namespace burnmark {

// Takes the text of a save piece by piece; false stops the save.
using TextSink = std::function<bool(std::span<const char>)>;

// A save's text is formatted into one block of a few megabytes, handed on
// whenever it fills: a save of any size keeps its memory flat, and the block
// is written while it is still in the cache.
inline constexpr std::size_t kTextPieceBytes = 4u << 20;

class TextPieces {
public:
    // pieceBytes: the block, at least one record long.
    explicit TextPieces(const TextSink& sink, std::size_t pieceBytes = kTextPieceBytes)
        : sink_(sink), failed_(!block_.Resize(pieceBytes)) {}

    // False when there was no memory for the block or the sink refused a piece.
    bool Ok() const { return !failed_; }
    char* Begin() { return reinterpret_cast<char*>(block_.data()); }

    // Where a record of at most n characters goes, from at: the block is
    // handed on first when fewer than n characters are left in it.
    char* Room(char* at, std::size_t n) {
        if (static_cast<std::size_t>(Begin() + block_.size() - at) >= n) return at;
        Flush(at);
        return Begin();
    }
    // Hands on the text up to at; false when any piece was refused.
    bool Finish(char* at) {
        Flush(at);
        return Ok();
    }

private:
    void Flush(char* at) {
        if (!failed_ && at > Begin())
            failed_ = !sink_({Begin(), static_cast<std::size_t>(at - Begin())});
    }

    const TextSink& sink_;
    ByteBlock block_;
    bool failed_;
};

// The whole text of a writer that works piece by piece, in one string.
template <class Writer>
std::string WholeText(Writer&& write) {
    std::string text;
    const TextSink sink = [&text](std::span<const char> piece) {
        text.append(piece.data(), piece.size());
        return true;
    };
    write(sink);
    return text;
}

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
