// Fills and block operations of the data buffer.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>

#include "buffer/buffer_pass.h"
#include "buffer/data_buffer.h"

namespace burnmark {

namespace {

constexpr const char* kRandomErrorText = "Random Error !!";

// Source [start, end] and destination [dest, dest + end - start] both inside
// the logical length; reversed ranges are refused.
bool BlockRangeFits(uint64_t start, uint64_t end, uint64_t dest, uint64_t length) {
    if (start > end || end >= length) return false;
    return dest + (end - start) < length;
}

}  // namespace

// --- Fills -----------------------------------------------------------------------

bool DataBuffer::FillBuffer(uint32_t start, uint32_t end, uint8_t value) {
    progress_.SetCaption("Fill Buffer");
    progress_.Show();
    progress_.ProgressSetPosition(0);
    if (!hasBlock_ || !(end > start && end <= bufferLength_)) return false;

    uint8_t* bytes = block_.data();
    detail::ForwardPieces(
        progress_, detail::StepWidth(end - start), start, uint64_t{end} + 1,
        [&](std::size_t at, std::size_t n) { std::memset(bytes + at, value, n); });
    progress_.ProgressFinish();
    Notify(BufferChange::Bytes);
    return true;
}

bool DataBuffer::FillBufferWord(uint32_t start, uint32_t end, uint16_t word) {
    progress_.ProgressSetPosition(0);
    if (!hasBlock_ || start >= end || end > bufferLength_) return false;

    const uint8_t low = static_cast<uint8_t>(word & 0xFF);
    const uint8_t high = static_cast<uint8_t>(word >> 8);
    // Words at start, start + 2, ... <= end; the last may end at end + 1,
    // which the margin past BufferLength holds.
    const uint64_t words = (uint64_t{end} - start) / 2 + 1;
    const uint64_t width = detail::StepWidth(end - start) / 2 + 1;
    uint8_t* bytes = block_.data() + start;
    detail::ForwardPieces(progress_, width, 0, words, [&](std::size_t at, std::size_t n) {
        detail::FillPairs(bytes + 2 * at, n, low, high);
    });
    progress_.ProgressFinish();
    Notify(BufferChange::Bytes);
    return true;
}

bool DataBuffer::FillPattern(uint32_t start, uint32_t end, int8_t kind) {
    if (!hasBlock_ || !(start < end && end > 0)) return false;
    progress_.ProgressSetPosition(0);
    const uint64_t width = detail::StepWidth(end - start);
    uint8_t* bytes = block_.data();

    switch (kind) {
        case 0: {
            std::mt19937 generator(
                static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));
            // Bytes up to and including index BufferLength are written; the
            // first address past it stops the fill with the message, and the
            // bytes written so far stay.
            const uint64_t last = std::min<uint64_t>(end, bufferLength_);
            if (start <= last) {
                detail::ForwardPieces(progress_, width, start, last + 1,
                                      [&](std::size_t at, std::size_t n) {
                                          for (std::size_t i = 0; i < n; ++i)
                                              bytes[at + i] = static_cast<uint8_t>(generator());
                                      });
            }
            if (start <= last) Notify(BufferChange::Bytes);
            if (end > bufferLength_) {
                messages_.MessageBox(kRandomErrorText, "", MsgButtons::Ok, MsgIcon::Information);
                return false;
            }
            break;
        }
        case 1:
            if (end > bufferLength_) return false;
            detail::ForwardPieces(progress_, width, start, uint64_t{end} + 1,
                                  [&](std::size_t at, std::size_t n) {
                                      detail::FillAddressBytes(bytes + at, at, n);
                                  });
            Notify(BufferChange::Bytes);
            break;
        case 2: {
            if (end > bufferLength_) return false;
            // The 16-bit address, high byte first; the last word may end at
            // end + 1, inside the margin.
            const uint64_t words = (uint64_t{end} - start) / 2 + 1;
            detail::ForwardPieces(progress_, width / 2 + 1, 0, words,
                                  [&](std::size_t at, std::size_t n) {
                                      const std::size_t a = start + 2 * at;
                                      detail::FillAddressWords(bytes + a, a, n);
                                  });
            Notify(BufferChange::Bytes);
            break;
        }
        default:
            progress_.ProgressFinish();
            return false;
    }
    progress_.ProgressFinish();
    return true;
}

// --- Block operations --------------------------------------------------------------

bool DataBuffer::BlockOperation(const BlockRequest& request) {
    const uint32_t s = request.StartAdd;
    const uint32_t e = request.EndAdd;
    const uint32_t d = request.DistSAdd;
    if (e == 0 || s == d) return false;
    switch (request.Action) {
        case 0:
            return BlockCopy(s, e, d);
        case 1:
            return BlockMove(s, e, d);
        case 2:
            return BlockExchange(s, e, d);
        default:
            return false;
    }
}

bool DataBuffer::BlockCopy(uint32_t start, uint32_t end, uint32_t dest) {
    if (!hasBlock_) return false;
    if (dest == start || start == end) return true;
    if (!BlockRangeFits(start, end, dest, bufferLength_)) return false;

    // memmove copies overlapping ranges as the source was before.
    uint8_t* bytes = block_.data();
    std::memmove(bytes + dest, bytes + start, std::size_t{end} - start + 1);
    Notify(BufferChange::Bytes);
    return true;
}

bool DataBuffer::BlockMove(uint32_t start, uint32_t end, uint32_t dest) {
    if (!hasBlock_) return false;
    if (dest == start) return true;
    if (!BlockRangeFits(start, end, dest, bufferLength_)) return false;

    const std::size_t count = std::size_t{end} - start + 1;
    uint8_t* bytes = block_.data();
    std::memmove(bytes + dest, bytes + start, count);
    // Source bytes outside the destination become 0.
    if (dest > start) {
        const std::size_t cleared = std::min<std::size_t>(count, dest - start);
        std::memset(bytes + start, 0, cleared);
    } else {
        const std::size_t destEnd = std::size_t{dest} + count;  // exclusive
        const std::size_t from = std::max<std::size_t>(start, destEnd);
        if (from <= end) std::memset(bytes + from, 0, std::size_t{end} + 1 - from);
    }
    Notify(BufferChange::Bytes);
    return true;
}

bool DataBuffer::BlockExchange(uint32_t start, uint32_t end, uint32_t dest) {
    if (!hasBlock_) return false;
    if (start == end || dest == start) return true;
    if (!BlockRangeFits(start, end, dest, bufferLength_)) return false;

    const std::size_t count = std::size_t{end} - start + 1;
    uint8_t* bytes = block_.data();
    if (dest >= start + count || start >= std::size_t{dest} + count) {
        detail::SwapRanges(bytes + start, bytes + dest, count);
    } else if (dest > start) {
        // Overlapping: the destination gets the source as it was, and the
        // bytes it displaced fill the part of the source it vacated, in order.
        std::rotate(bytes + start, bytes + end + 1, bytes + dest + count);
    } else {
        std::rotate(bytes + dest, bytes + start, bytes + end + 1);
    }
    Notify(BufferChange::Bytes);
    return true;
}

}  // namespace burnmark
