// The chunk work the operation families share over the frame: filling a 64 KB
// transfer block from the buffer side and placing one that came from the chip,
// an area of the chip as the read-backs walk it (main or extended, 8-bit or
// 16-bit), the walk itself (transfer words, parameter block, routine, status,
// data halves per chunk), the texts a failing chunk shows, and how a walk
// ended. Only the operations' own sources include it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>

#include "link/programmer_requests.h"
#include "operations/operation_frame.h"

namespace burnmark {

inline constexpr uint64_t kBank8Bytes = 0x10000;   // one 64 KB bank of an 8-bit device
inline constexpr uint64_t kBank16Bytes = 0x20000;  // one 128 KB bank (two chunks), 16-bit

inline uint64_t BankBytes(bool wide) { return wide ? kBank16Bytes : kBank8Bytes; }

// The bytes of the main area: (hi << 16 | low) + 1 addresses.
inline uint64_t MainAreaBytes(uint64_t hi, uint64_t low, bool wide) {
    return (((hi << 16) | low) + 1) * (wide ? 2 : 1);
}

// The banks of bankBytes that bytes reach into; at least one.
inline uint64_t BanksOver(uint64_t bytes, uint64_t bankBytes) {
    return std::max<uint64_t>(1, (bytes + bankBytes - 1) / bankBytes);
}

// Fills the chunk with source bytes [start, start + 64 KB), taking none at or
// beyond limit or the end of the source, and 0xFF for the rest. Returns the
// number of bytes copied.
uint64_t FillChunk(TransferChunk& chunk, std::span<const uint8_t> source, uint64_t start,
                   uint64_t limit);

// The counterpart of FillChunk for data that came from the chip: puts the
// chunk's first count bytes (at most 64 KB) at destination[at], taking none
// that would land at or beyond the destination's end. Returns the number of
// bytes placed.
uint64_t PlaceChunk(std::span<uint8_t> destination, uint64_t at, const TransferChunk& chunk,
                    uint64_t count);

// One of the four areas, worked out for the selected device.
struct ChipArea {
    bool wide = false;
    bool ext = false;
    uint16_t operation = OpRead;
    // First byte of the area on the buffer side.
    uint64_t offset = 0;
    // Bytes the chip delivers for the area: they decide the chunks and halves.
    uint64_t bytes = 0;
    // Bytes placed or compared from the area's start: the fuse count for a
    // device with a fuse map, else the whole area.
    uint64_t dataBytes = 0;
    uint64_t bankBytes = kBank8Bytes;
    uint64_t firstBank = 0;
    uint64_t banks = 1;
    // Word 0x14 of every chunk.
    uint16_t sizeWord = 0;
    // The buffer side is the fuse map, not the data buffer.
    bool fuseMap = false;
};

// Texts of a failing chunk; nullptr shows none.
struct ChunkTexts {
    const char* chunkAlloc = kErrChunkAlloc;
    const char* execute = kErrExecute;
    const char* dataRequest = nullptr;
    const char* dataRead = nullptr;
    // Whether the data buffer's handle and lock failures are named.
    bool bufferTexts = true;
    // A status that is not a pass, by the chunk's place in its bank: the
    // protected chip's text or the other one, then a second text.
    struct Status {
        const char* protectedChip;
        const char* other;
        const char* then;
    };
    Status status[2];
};

struct WalkEnd {
    // The chip answered a chunk with a status that is not a pass (its text
    // shown); otherwise the host or the link failed.
    bool statusFailed = false;
    int chunkInBank = 0;
    // The status of the last chunk that passed.
    OperationStatus lastStatus;
};

// The area of the selected device: compare says whether a compare (rather
// than a read) walks it, which changes the size words of 16-bit devices.
ChipArea AreaOf(const OperationFrame& frame, bool wide, bool ext, bool compare);

// Makes room for need bytes in the data buffer; false when it cannot hold them.
bool BufferHolds(DataBuffer& buffer, uint64_t need);

// Takes one chunk's data: start is its first byte counted from the area's
// start. False stops the walk (the taker has reported).
using ChunkTaker = std::function<bool(uint64_t start, const TransferChunk& chunk)>;

// Every chunk of the area: transfer words, parameter block, routine, status,
// data halves; each chunk's data goes to take. False when a chunk failed (its
// text shown; end says how).
bool WalkArea(OperationFrame& frame, const ChipArea& area, const ChunkTexts& texts, WalkEnd& end,
              const ChunkTaker& take);

}  // namespace burnmark
