// What the read and the compares share: an area of the chip as the engine
// walks it (main or extended, 8-bit or 16-bit), the texts a failing chunk
// shows, and how a walk ended. Only the engine's own sources include it.
#pragma once

#include <cstdint>

#include "link/programmer_requests.h"
#include "operations/operation_engine.h"

namespace burnmark {

inline constexpr uint64_t kBank8Bytes = 0x10000;   // one 64 KB bank of an 8-bit device
inline constexpr uint64_t kBank16Bytes = 0x20000;  // one 128 KB bank (two chunks), 16-bit

// One of the four areas, worked out for the selected device.
struct OperationEngine::ChipArea {
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
struct OperationEngine::ChunkTexts {
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

struct OperationEngine::WalkEnd {
    // The chip answered a chunk with a status that is not a pass (its text
    // shown); otherwise the host or the link failed.
    bool statusFailed = false;
    int chunkInBank = 0;
    // The status of the last chunk that passed.
    OperationStatus lastStatus;
};

}  // namespace burnmark
