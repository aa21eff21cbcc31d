// Internal to the buffer: long passes done in pieces, so that the bulk work
// runs at memory speed and the progress bar is stepped once per piece
// (about 100 times a pass) instead of once per byte.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/ports.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The 32-bit byte sum with wrap-around: the low 32 bits of the full sum.
inline uint32_t SumBytes(const uint8_t* bytes, std::size_t count) {
    uint64_t sum = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    // psadbw adds sixteen bytes into two 64-bit lanes in one step; four
    // accumulators keep the loads going at the speed of memory.
    const __m128i zero = _mm_setzero_si128();
    __m128i acc[4] = {zero, zero, zero, zero};
    const auto load = [bytes](std::size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
    };
    for (; i + 64 <= count; i += 64) {
        for (int k = 0; k < 4; ++k)
            acc[k] = _mm_add_epi64(acc[k], _mm_sad_epu8(load(i + 16 * k), zero));
    }
    for (; i + 16 <= count; i += 16) acc[0] = _mm_add_epi64(acc[0], _mm_sad_epu8(load(i), zero));
    const __m128i all = _mm_add_epi64(_mm_add_epi64(acc[0], acc[1]), _mm_add_epi64(acc[2], acc[3]));
    uint64_t lanes[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), all);
    sum = lanes[0] + lanes[1];
#endif
    for (; i < count; ++i) sum += bytes[i];
    return static_cast<uint32_t>(sum);
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

// The counting bytes 0 .. 255 over and over: any run of it from k on counts
// up from k. Long enough that a fill copies it in a few large pieces.
inline constexpr std::size_t kCountingRun = 8192;
inline constexpr std::array<uint8_t, kCountingRun + 256> kCountingBytes = [] {
    std::array<uint8_t, kCountingRun + 256> t{};
    for (std::size_t i = 0; i < t.size(); ++i) t[i] = static_cast<uint8_t>(i);
    return t;
}();

// p[i] = the low byte of (address + i): copies of the counting run.
inline void FillAddressBytes(uint8_t* p, std::size_t address, std::size_t count) {
    for (std::size_t i = 0; i < count; i += kCountingRun) {
        const std::size_t n = std::min(kCountingRun, count - i);
        std::memcpy(p + i, kCountingBytes.data() + ((address + i) & 0xFF), n);
    }
}

// From p, the 16-bit address of each pair, high byte first: p[2i] and
// p[2i + 1] take bits 15..8 and 7..0 of address + 2i.
inline void FillAddressWords(uint8_t* p, std::size_t address, std::size_t count) {
    std::size_t i = 0;
#if defined(__SSE2__)
    // Eight big-endian words at a time, each lane 16 on from the last store.
    const auto a = static_cast<uint16_t>(address);
    __m128i words = _mm_setr_epi16(static_cast<int16_t>(a), static_cast<int16_t>(a + 2),
                                   static_cast<int16_t>(a + 4), static_cast<int16_t>(a + 6),
                                   static_cast<int16_t>(a + 8), static_cast<int16_t>(a + 10),
                                   static_cast<int16_t>(a + 12), static_cast<int16_t>(a + 14));
    const __m128i step = _mm_set1_epi16(16);
    for (; i + 8 <= count; i += 8) {
        const __m128i highFirst = _mm_or_si128(_mm_slli_epi16(words, 8), _mm_srli_epi16(words, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2 * i), highFirst);
        words = _mm_add_epi16(words, step);
    }
#endif
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
