// Internal to the buffer: long passes done in pieces, so that the bulk work
// runs at memory speed and the progress bar is stepped once per piece
// (about 100 times a pass) instead of once per byte.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/ports.h"

namespace burnmark::detail {

// A pass over total bytes steps the bar every total / 100 bytes, at least 1.
inline uint64_t StepWidth(uint64_t total) { return std::max<uint64_t>(1, total / 100); }

// Calls work(offset, count) for [begin, end) in ascending pieces of at most
// width bytes, stepping the bar after each.
template <class Work>
void ForwardPieces(Progress& progress, uint64_t width, uint64_t begin, uint64_t end, Work&& work) {
    for (uint64_t at = begin; at < end;) {
        const uint64_t n = std::min(width, end - at);
        work(static_cast<std::size_t>(at), static_cast<std::size_t>(n));
        at += n;
        progress.ProgressStep();
    }
}

// The inner loops below work in blocks of a fixed length: the compiler
// vectorises a loop of known trip count at -O2, a loop of unknown count only
// at -O3.
inline constexpr std::size_t kBlock = 256;

// The 32-bit byte sum with wrap-around.
inline uint32_t SumBytes(const uint8_t* bytes, std::size_t count) {
    uint32_t sum = 0;
    std::size_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        uint32_t part = 0;
        for (std::size_t j = 0; j < kBlock; ++j) part += bytes[i + j];
        sum += part;
    }
    for (; i < count; ++i) sum += bytes[i];
    return sum;
}

// out[i] = in[2 * i] for i < count. out may be in itself, below it (the
// in-place packing of the data-set modes): every eight bytes are read before
// their four are written. The compiler does not vectorise strided loads at
// -O2, so eight bytes are packed at a time in a register.
inline void PackEveryOther(uint8_t* out, const uint8_t* in, std::size_t count) {
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 4 <= count; i += 4) {
            uint64_t x;
            std::memcpy(&x, in + 2 * i, sizeof x);
            x &= 0x00FF00FF00FF00FFull;
            x = (x | (x >> 8)) & 0x0000FFFF0000FFFFull;
            x = (x | (x >> 16)) & 0x00000000FFFFFFFFull;
            const auto packed = static_cast<uint32_t>(x);
            std::memcpy(out + i, &packed, sizeof packed);
        }
    }
    for (; i < count; ++i) out[i] = in[2 * i];
}

// Exchanges the bytes of each of count pairs starting at p.
inline void SwapPairs(uint8_t* p, std::size_t count) {
    std::size_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        uint8_t* q = p + 2 * i;
        for (std::size_t j = 0; j < kBlock; ++j) {
            const uint8_t low = q[2 * j];
            q[2 * j] = q[2 * j + 1];
            q[2 * j + 1] = low;
        }
    }
    for (; i < count; ++i) {
        const uint8_t low = p[2 * i];
        p[2 * i] = p[2 * i + 1];
        p[2 * i + 1] = low;
    }
}

// count pairs of (first, second) from p.
inline void FillPairs(uint8_t* p, std::size_t count, uint8_t first, uint8_t second) {
    std::size_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        uint8_t* q = p + 2 * i;
        for (std::size_t j = 0; j < kBlock; ++j) {
            q[2 * j] = first;
            q[2 * j + 1] = second;
        }
    }
    for (; i < count; ++i) {
        p[2 * i] = first;
        p[2 * i + 1] = second;
    }
}

// p[i] = the low byte of (address + i).
inline void FillAddressBytes(uint8_t* p, std::size_t address, std::size_t count) {
    std::size_t i = 0;
    for (; i + kBlock <= count; i += kBlock)
        for (std::size_t j = 0; j < kBlock; ++j) p[i + j] = static_cast<uint8_t>(address + i + j);
    for (; i < count; ++i) p[i] = static_cast<uint8_t>(address + i);
}

// From p, the 16-bit address of each pair, high byte first: p[2i] and
// p[2i + 1] take bits 15..8 and 7..0 of address + 2i.
inline void FillAddressWords(uint8_t* p, std::size_t address, std::size_t count) {
    std::size_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        uint8_t* q = p + 2 * i;
        const std::size_t a = address + 2 * i;
        for (std::size_t j = 0; j < kBlock; ++j) {
            q[2 * j] = static_cast<uint8_t>((a + 2 * j) >> 8);
            q[2 * j + 1] = static_cast<uint8_t>(a + 2 * j);
        }
    }
    for (; i < count; ++i) {
        p[2 * i] = static_cast<uint8_t>((address + 2 * i) >> 8);
        p[2 * i + 1] = static_cast<uint8_t>(address + 2 * i);
    }
}

// Exchanges a[0, count) with b[0, count) (the ranges do not overlap).
inline void SwapRanges(uint8_t* a, uint8_t* b, std::size_t count) {
    std::size_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        uint8_t part[kBlock];
        std::memcpy(part, a + i, kBlock);
        std::memcpy(a + i, b + i, kBlock);
        std::memcpy(b + i, part, kBlock);
    }
    for (; i < count; ++i) std::swap(a[i], b[i]);
}

}  // namespace burnmark::detail
