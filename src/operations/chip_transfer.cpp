#include "operations/chip_transfer.h"

#include <algorithm>
#include <cstring>

namespace burnmark {

uint64_t FillChunk(TransferChunk& chunk, std::span<const uint8_t> source, uint64_t start,
                   uint64_t limit) {
    const uint64_t end = std::min<uint64_t>(limit, source.size());
    uint64_t copied = 0;
    if (start < end) {
        copied = std::min<uint64_t>(end - start, kChunkLength);
        std::memcpy(chunk.bytes.data(), source.data() + start, static_cast<std::size_t>(copied));
    }
    // The tail is blank, never left over from somewhere else.
    std::fill(chunk.bytes.begin() + static_cast<std::ptrdiff_t>(copied), chunk.bytes.end(),
              uint8_t{0xFF});
    return copied;
}

uint64_t PlaceChunk(std::span<uint8_t> destination, uint64_t at, const TransferChunk& chunk,
                    uint64_t count) {
    if (at >= destination.size()) return 0;
    const uint64_t placed =
        std::min<uint64_t>({count, uint64_t{kChunkLength}, uint64_t{destination.size()} - at});
    std::memcpy(destination.data() + at, chunk.bytes.data(), static_cast<std::size_t>(placed));
    return placed;
}

ChipArea AreaOf(const OperationFrame& frame, bool wide, bool ext, bool compare) {
    const DeviceRecord& device = frame.Device();
    ChipArea area;
    area.wide = wide;
    area.ext = ext;
    area.operation = ext ? OpReadExt : OpRead;
    area.bankBytes = BankBytes(wide);
    const DataWidth width = wide ? DataWidth::Word16 : DataWidth::Byte8;
    if (ext) {
        // The extended area lies directly behind the main area, for every
        // operation alike.
        const ExtAreaLayout layout = ExtAreaLayoutOf(device.DeviceParamBlock, width);
        area.offset = layout.offset;
        area.bytes = layout.bytes;
    } else {
        area.bytes = MainAreaBytes(frame.Word(param::max_address_Hi),
                                   frame.Word(param::max_address_Low), wide);
        // Option type 1 reads its whole device through the main area.
        if (wide && !compare && device.FuseTypeDigit == 1) area.bytes = device.DeviceBytes;
        area.firstBank = frame.FirstBank();
    }

    auto below64K = [](uint64_t bytes) {
        return bytes < 0x10000 ? static_cast<uint16_t>(bytes) : uint16_t{0};
    };
    area.sizeWord = below64K(area.bytes);
    if (compare && wide) {
        // The 16-bit compares announce their own sizes to the programmer.
        if (!ext) {
            area.sizeWord = area.bytes < 0x10000 ? below64K(device.DeviceBytes) : 0;
        } else {
            const uint64_t counted = area.bytes - 1;
            area.sizeWord = counted < 0x10000 ? below64K(2 * counted) : 0;
        }
    }

    area.dataBytes = area.bytes;
    if (!ext && device.HasFuseMap) {
        // The chip delivers its area; the map holds the fuses, one per byte.
        area.fuseMap = true;
        area.dataBytes =
            frame.Fuses().HasBlock() ? static_cast<uint64_t>(frame.Fuses().FuseCount()) : 0;
        area.bytes = std::max(area.bytes, area.dataBytes);
    }
    area.banks = BanksOver(area.bytes, area.bankBytes);
    return area;
}

bool BufferHolds(DataBuffer& buffer, uint64_t need) {
    if (buffer.GetBufferSize() < need && need <= kMaxBufferBytes)
        buffer.SetBufferSize(static_cast<uint32_t>(need));
    return buffer.GetBufferSize() >= need;
}

bool WalkArea(OperationFrame& frame, const ChipArea& area, const ChunkTexts& texts, WalkEnd& end,
              const ChunkTaker& take) {
    CopyPageModel& page = frame.Page();
    ProgrammerLink& link = frame.Link();
    DeviceRecord& device = frame.Device();
    auto say = [&](const char* text) {
        if (text) frame.Operator().ShowMessage(text);
        return false;
    };
    page.SetBar2Maximum(static_cast<int32_t>(area.banks));
    page.SetBar2Position(10);
    // A start bank at or past the last bank would read nothing: no pass.
    if (area.firstBank >= area.banks) return false;

    const int chunksPerBank = area.wide ? 2 : 1;
    for (uint64_t bank = area.firstBank; bank < area.banks; ++bank) {
        page.SetBar2Position(static_cast<int32_t>(bank));
        for (int c = 0; c < chunksPerBank; ++c) {
            const uint64_t start = bank * area.bankBytes + uint64_t(c) * kChunkLength;
            if (start >= area.bytes) break;
            std::unique_ptr<TransferChunk> chunk = frame.AllocateChunk();
            if (!chunk) return say(texts.chunkAlloc);
            chunk->bytes.fill(0xFF);

            frame.SetTransferWords(c ? 0x8000 : 0, static_cast<uint16_t>(bank), area.sizeWord);
            // A block that did not arrive would run the routine on the previous
            // chunk's words; the link has shown the failure display.
            if (!link.SendParamBlock(device.DeviceParamBlock.Sent())) return false;
            if (!link.Execute(area.operation)) return say(texts.execute);
            OperationStatus status;
            // A status that did not arrive says nothing about the chip.
            if (!link.ReadStatus(status)) return false;
            if (!status.Pass()) {
                const ChunkTexts::Status& text = texts.status[c];
                say(status.ReadProtected() ? text.protectedChip : text.other);
                say(text.then);
                end.statusFailed = true;
                end.chunkInBank = c;
                return false;
            }
            end.lastStatus = status;

            const std::span<uint8_t> bytes(chunk->bytes);
            for (uint64_t half = 0; half < 2; ++half) {
                const uint64_t at = start + half * kDataWindowLength;
                if (at >= area.bytes) break;
                if (!link.DataReadRequest()) return say(texts.dataRequest);
                if (!link.DataRead(bytes.subspan(half * kDataWindowLength, kDataWindowLength)))
                    return say(texts.dataRead);
            }
            if (!take(start, *chunk)) return false;
        }
    }
    return true;
}

}  // namespace burnmark
