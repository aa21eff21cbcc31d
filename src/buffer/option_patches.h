// The option patch list: the changes the programmer reports after it applied
// the option words to the data it holds (6-byte records read from 0x0F00),
// and the one routine that writes them into the data buffer for every caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/ports.h"

namespace burnmark {

class DataBuffer;

inline constexpr std::size_t kPatchListBytes = 256;
inline constexpr std::size_t kPatchRecordBytes = 6;
// Records are taken only while they lie wholly within the 256 bytes.
inline constexpr std::size_t kMaxPatchRecords = kPatchListBytes / kPatchRecordBytes;  // 42

inline constexpr const char* kErrPatchNoBuffer = " Insufficient memory for GlobalAlloc! ";

// One record: three little-endian words, address low, address high, value.
// The value's low byte goes to the address, its high byte to address + 1.
struct OptionPatchRecord {
    uint32_t address = 0;
    uint16_t value = 0;
};

// The records before the end record (all three words 0xFFFF), at most 42.
std::vector<OptionPatchRecord> DecodeOptionPatches(std::span<const uint8_t, kPatchListBytes> list);

struct PatchOutcome {
    bool ok = false;           // false: there was no buffer block
    std::size_t applied = 0;   // records written
    std::size_t skipped = 0;   // records whose two bytes do not lie within BufferLength
    explicit operator bool() const { return ok; }
};

// Writes every record of the list into the buffer, in order. A record whose
// address + 1 is not below BufferLength is skipped: the comparison is made in
// 64 bits, so an address near 0xFFFFFFFF cannot wrap round into the buffer.
// Without a buffer block: " Insufficient memory for GlobalAlloc! " (plain
// message, no failure display) and false.
PatchOutcome ApplyOptionPatches(DataBuffer& buffer, std::span<const uint8_t, kPatchListBytes> list,
                                Messages& messages);

}  // namespace burnmark
