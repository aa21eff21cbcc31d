// libFuzzer target for the option patch list the programmer sends back. Byte 0
// holds flags (bit 0: no buffer block), bytes 1-2 the size given to the
// buffer, the rest the 256-byte list (a short input is padded with the end
// record's 0xFF). Whatever the list says, only bytes that a record names and
// that lie within BufferLength may change: the margin past BufferLength is
// checked too, by growing the buffer afterwards so that it becomes visible.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "buffer/data_buffer.h"
#include "buffer/option_patches.h"
#include "platform/quiet_ports.h"

namespace {

using namespace burnmark;

inline void Check(bool ok) {
    if (!ok) std::abort();
}


uint8_t Pattern(std::size_t i) { return static_cast<uint8_t>(i * 7 + 3); }

// How far the buffer grows after the patches, so that the margin past the old
// BufferLength (and a little beyond) can be read back.
constexpr uint32_t kGrowth = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const bool noBlock = data[0] & 1;
    const uint32_t n = uint32_t(data[1]) | (uint32_t(data[2]) << 8);
    std::array<uint8_t, kPatchListBytes> list;
    list.fill(0xFF);
    std::copy_n(data + 3, std::min(size - 3, kPatchListBytes), list.begin());

    QuietMessages messages;
    QuietProgress progress;
    // A block limit below the initial block leaves the buffer without one.
    DataBuffer buffer(messages, progress, "History_1.ini",
                      noBlock ? 1024 : std::size_t{n} + 2 * kGrowth + 4096);
    if (noBlock) {
        Check(!buffer.HasBlock());
        messages.boxes.clear();
        const PatchOutcome outcome = ApplyOptionPatches(buffer, list, messages);
        Check(!outcome.ok && outcome.applied == 0 && outcome.skipped == 0);
        Check(messages.texts == std::vector<std::string>{kErrPatchNoBuffer});
        return 0;
    }

    // Fill a larger buffer with the pattern, then shrink it: the margin past
    // the new BufferLength keeps the pattern, so a stray write shows there.
    Check(buffer.SetBufferSize(n + kGrowth));
    {
        BufferLock lock = buffer.GetBufferHandle();
        for (std::size_t i = 0; i < lock.size(); ++i) lock[i] = Pattern(i);
    }
    Check(buffer.SetBufferSize(n));
    const std::size_t length = buffer.GetBufferSize();
    const std::size_t block = buffer.BlockSize();
    Check(block > length);

    const std::vector<OptionPatchRecord> records = DecodeOptionPatches(list);
    Check(records.size() <= kMaxPatchRecords);
    const PatchOutcome outcome = ApplyOptionPatches(buffer, list, messages);
    Check(outcome.ok && messages.texts.empty() && messages.boxes.empty());
    Check(outcome.applied + outcome.skipped == records.size());
    std::size_t outside = 0;
    for (const OptionPatchRecord& r : records) outside += uint64_t{r.address} + 1 >= length;
    Check(outcome.skipped == outside);

    Check(buffer.SetBufferSize(n + kGrowth));
    BufferLock lock = buffer.GetBufferHandle();
    Check(lock.size() >= block);
    for (std::size_t i = 0; i < block; ++i) {
        if (lock[i] == Pattern(i)) continue;
        // A changed byte lies inside the old BufferLength and is one of the
        // two bytes of a record that fits there.
        Check(i < length);
        const bool named = std::any_of(records.begin(), records.end(), [&](const auto& r) {
            return uint64_t{r.address} + 1 < length && (r.address == i || r.address + 1 == i);
        });
        Check(named);
    }
    return 0;
}
