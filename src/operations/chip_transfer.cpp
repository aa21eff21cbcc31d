#include "operations/chip_transfer.h"

#include <algorithm>

namespace burnmark {

OperationEngine::ChipArea OperationEngine::AreaOf(bool wide, bool ext, bool compare) const {
    ChipArea area;
    area.wide = wide;
    area.ext = ext;
    area.operation = ext ? OpReadExt : OpRead;
    area.bankBytes = wide ? kBank16Bytes : kBank8Bytes;
    const DataWidth width = wide ? DataWidth::Word16 : DataWidth::Byte8;
    if (ext) {
        // The extended area lies directly behind the main area, for every
        // operation alike.
        const ExtAreaLayout layout = ExtAreaLayoutOf(device_.DeviceParamBlock, width);
        area.offset = layout.offset;
        area.bytes = layout.bytes;
    } else {
        const uint64_t maxAddress =
            (uint64_t{Word(param::max_address_Hi)} << 16) | Word(param::max_address_Low);
        area.bytes = (maxAddress + 1) * (wide ? 2 : 1);
        // Option type 1 reads its whole device through the main area.
        if (wide && !compare && device_.FuseTypeDigit == 1) area.bytes = device_.DeviceBytes;
        area.firstBank = FirstBank();
    }

    auto below64K = [](uint64_t bytes) {
        return bytes < 0x10000 ? static_cast<uint16_t>(bytes) : uint16_t{0};
    };
    area.sizeWord = below64K(area.bytes);
    if (compare && wide) {
        // The 16-bit compares announce their own sizes to the programmer.
        if (!ext) {
            area.sizeWord = area.bytes < 0x10000 ? below64K(device_.DeviceBytes) : 0;
        } else {
            const uint64_t counted = area.bytes - 1;
            area.sizeWord = counted < 0x10000 ? below64K(2 * counted) : 0;
        }
    }

    area.dataBytes = area.bytes;
    if (!ext && device_.HasFuseMap) {
        // The chip delivers its area; the map holds the fuses, one per byte.
        area.fuseMap = true;
        area.dataBytes = fuseMap_.HasBlock() ? static_cast<uint64_t>(fuseMap_.FuseCount()) : 0;
        area.bytes = std::max(area.bytes, area.dataBytes);
    }
    area.banks = std::max<uint64_t>(1, (area.bytes + area.bankBytes - 1) / area.bankBytes);
    return area;
}

bool OperationEngine::BufferHolds(uint64_t need) {
    if (buffer_.GetBufferSize() < need && need <= kMaxBufferBytes)
        buffer_.SetBufferSize(static_cast<uint32_t>(need));
    return buffer_.GetBufferSize() >= need;
}

bool OperationEngine::WalkArea(const ChipArea& area, const ChunkTexts& texts, WalkEnd& end,
                               const ChunkTaker& take) {
    auto say = [&](const char* text) {
        if (text) messages_.ShowMessage(text);
        return false;
    };
    page_.SetBar2Maximum(static_cast<int32_t>(area.banks));
    page_.SetBar2Position(10);
    // A start bank at or past the last bank would read nothing: no pass.
    if (area.firstBank >= area.banks) return false;

    const int chunksPerBank = area.wide ? 2 : 1;
    for (uint64_t bank = area.firstBank; bank < area.banks; ++bank) {
        page_.SetBar2Position(static_cast<int32_t>(bank));
        for (int c = 0; c < chunksPerBank; ++c) {
            const uint64_t start = bank * area.bankBytes + uint64_t(c) * kChunkLength;
            if (start >= area.bytes) break;
            std::unique_ptr<TransferChunk> chunk = AllocateChunk();
            if (!chunk) return say(texts.chunkAlloc);
            chunk->bytes.fill(0xFF);

            SetTransferWords(c ? 0x8000 : 0, static_cast<uint16_t>(bank), area.sizeWord);
            // A block that did not arrive would run the routine on the previous
            // chunk's words; the link has shown the failure display.
            if (!link_.SendParamBlock(device_.DeviceParamBlock.Sent())) return false;
            if (!link_.Execute(area.operation)) return say(texts.execute);
            OperationStatus status;
            // A status that did not arrive says nothing about the chip.
            if (!link_.ReadStatus(status)) return false;
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
                if (!link_.DataReadRequest()) return say(texts.dataRequest);
                if (!link_.DataRead(bytes.subspan(half * kDataWindowLength, kDataWindowLength)))
                    return say(texts.dataRead);
            }
            if (!take(start, *chunk)) return false;
        }
    }
    return true;
}

void OperationEngine::ReOffer(CopyStep own, bool withEraseAndCheck, bool runReady) {
    page_.SetEnabled(CopyControl::Panel7, true);
    page_.SetEnabled(CopyControl::CopyReadBtn, true);
    page_.Show(own, StepImage::Ready);
    page_.Show(own, StepImage::Working);
    static constexpr StepImage kReadyLayers[] = {StepImage::Ready, StepImage::Highlight,
                                                 StepImage::Working};
    for (StepImage image : kReadyLayers) page_.Show(CopyStep::Load, image);
    if (withEraseAndCheck) {
        struct Offer {
            CopyStep step;
            CopyControl panel;
        };
        static constexpr Offer kOffers[] = {{CopyStep::Erase, CopyControl::CopyEraseBtn},
                                            {CopyStep::Check, CopyControl::CopyCheckBtn}};
        for (const Offer& offer : kOffers) {
            // A step the device does not have stays away.
            if (!Offers(offer.step)) continue;
            page_.SetEnabled(offer.panel, true);
            for (StepImage image : kReadyLayers) page_.Show(offer.step, image);
        }
    }
    if (runReady) Run.RunReady = 1;
}

}  // namespace burnmark
