#include "buffer/option_patches.h"

#include "buffer/data_buffer.h"

namespace burnmark {

namespace {

uint16_t WordAt(std::span<const uint8_t, kPatchListBytes> list, std::size_t offset) {
    return static_cast<uint16_t>(list[offset] | (list[offset + 1] << 8));
}

}  // namespace

std::vector<OptionPatchRecord> DecodeOptionPatches(std::span<const uint8_t, kPatchListBytes> list) {
    std::vector<OptionPatchRecord> records;
    for (std::size_t e = 0; e < kMaxPatchRecords; ++e) {
        const std::size_t at = e * kPatchRecordBytes;
        const uint16_t low = WordAt(list, at);
        const uint16_t high = WordAt(list, at + 2);
        const uint16_t value = WordAt(list, at + 4);
        if (low == 0xFFFF && high == 0xFFFF && value == 0xFFFF) break;
        records.push_back({(uint32_t{high} << 16) | low, value});
    }
    return records;
}

PatchOutcome ApplyOptionPatches(DataBuffer& buffer, std::span<const uint8_t, kPatchListBytes> list,
                                Messages& messages) {
    PatchOutcome outcome;
    BufferLock lock = buffer.GetBufferHandle();
    if (!lock) {
        messages.ShowMessage(kErrPatchNoBuffer);
        return outcome;
    }
    const uint64_t length = lock.size();
    for (const OptionPatchRecord& record : DecodeOptionPatches(list)) {
        const uint64_t address = record.address;
        if (address + 1 >= length) {
            ++outcome.skipped;
            continue;
        }
        lock[address] = static_cast<uint8_t>(record.value & 0xFF);
        lock[address + 1] = static_cast<uint8_t>(record.value >> 8);
        ++outcome.applied;
    }
    if (outcome.applied) lock.MarkChanged();
    outcome.ok = true;
    return outcome;
}

}  // namespace burnmark
