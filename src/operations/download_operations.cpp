#include "operations/download_operations.h"

#include <algorithm>
#include <memory>
#include <span>

#include "catalogue/device_facts.h"
#include "operations/chip_transfer.h"

namespace burnmark {

// ---- Chunk transfer --------------------------------------------------------------------------

struct DownloadOperations::ChunkPlan {
    // Pass hidden and Wait shown before the transfer (the 8-bit paths).
    bool switchStatus = false;
    // prog_w shown after the data is in (8-bit program and download).
    bool showWorkingAfterData = false;
    // 0: only download, no routine is run.
    uint16_t operation = 0;
    const char* secondHalfText = kErrReadData;
};

bool DownloadOperations::SendChunk(const ChunkPlan& plan, const TransferChunk& chunk) {
    // A chunk must never go out with the previous chunk's bank words; the link
    // has shown the failure display.
    if (!link_.SendParamBlock(device_.DeviceParamBlock.Sent())) return false;
    if (plan.switchStatus) {
        page_.Hide(StatusImage::Pass);
        page_.Show(StatusImage::Wait);
    }
    if (!link_.ChangePage(0, 0)) {
        messages_.ShowMessage(kErrChangePage);
        return false;
    }
    const std::span<const uint8_t> bytes(chunk.bytes);
    for (int half = 0; half < 2; ++half) {
        if (!link_.DataWriteRequest()) {
            messages_.ShowMessage(kErrDataWrite);
            return false;
        }
        if (!link_.DataWrite(bytes.subspan(half * kDataWindowLength, kDataWindowLength))) {
            messages_.ShowMessage(half == 0 ? kErrReadData : plan.secondHalfText);
            return false;
        }
    }
    if (plan.showWorkingAfterData) page_.Show(CopyStep::Program, StepImage::Working);
    if (plan.operation == 0) return true;

    if (!link_.Execute(plan.operation)) {
        messages_.ShowMessage(kErrExecuteProgram);
        return false;
    }
    OperationStatus status;
    return link_.ReadStatus(status) && status.Pass();
}

// ---- Program ---------------------------------------------------------------------------------

// The step's working picture and the program voltages. False while the
// step's guard is set (its handler is resetting the pictures): the caller
// then sends nothing and carries on as after a pass.
bool DownloadOperations::OpenProgramStep(CopyStep step) {
    page_.Hide(step, StepImage::Ready);
    page_.Hide(step, StepImage::Highlight);
    page_.Show(step, StepImage::Working);
    frame_.SetVoltages(kProgramVcc);

    if (frame_.Guards.ProgramGuard) return false;

    page_.Hide(step, StepImage::Ready);
    page_.Hide(step, StepImage::Highlight);
    return true;
}

bool DownloadOperations::program_1Click(int mode) {
    OperationFrame::OperationScope scope(frame_);
    constexpr CopyStep step = CopyStep::Program;
    const DataWidth width = OperationDataWidth(device_);
    const uint64_t H = frame_.Word(param::max_address_Hi), L = frame_.Word(param::max_address_Low);

    const bool wide = width == DataWidth::Word16;
    uint64_t S = 0;
    if (width == DataWidth::Word16) S = (((H << 16) | L) * 2) + 2;
    if (width == DataWidth::Byte8) S = (H << 16) | L;
    const uint16_t small = S < 0x10000 ? static_cast<uint16_t>(S) : 0;
    // Every bank the area reaches into: the last address of a device whose
    // low address word is 0 opens a bank of its own.
    const uint64_t areaBytes = MainAreaBytes(H, L, wide);
    uint64_t banks = H == 0 ? 1 : H;
    if (width != DataWidth::Neither) banks = BanksOver(areaBytes, BankBytes(wide));
    bool sized = true;
    if (S > buffer_.GetBufferSize())
        sized = S <= kMaxBufferBytes && buffer_.SetBufferSize(static_cast<uint32_t>(S));

    page_.SetBar2Maximum(static_cast<int32_t>(banks + 1));
    page_.SetBar2Position(static_cast<int32_t>((banks + 1) / 2));
    if (!OpenProgramStep(step)) return true;
    // A width the operations do not know programs nothing: that is no pass.
    if (width == DataWidth::Neither || !sized) {
        frame_.FailStep(step);
        return false;
    }
    bool setUp = frame_.DeviceUsable();
    if (setUp && mode == kModeReady) {
        setUp = frame_.RunFirstSetup();
    } else if (setUp && mode == kModeRerun) {
        page_.Hide(step, StepImage::Pass);
        page_.Show(step, StepImage::Working);
        setUp = frame_.RunFirstSetup();
    }
    if (!setUp) {
        frame_.SetupFailStep(step);
        return false;
    }
    frame_.WaitAndPump();
    page_.Hide(step, StepImage::Working);

    // A start bank at or past the last bank would program nothing: no pass.
    const uint64_t firstBank = frame_.FirstBank();
    if (firstBank >= banks) {
        frame_.FailStep(step);
        return false;
    }
    BufferLock lock;
    std::span<const uint8_t> source;

    if (width == DataWidth::Byte8) {
        if (device_.HasFuseMap) {
            if (!fuseMap_.HasBlock()) {
                messages_.ShowMessage(kErrLockFailed);
                frame_.FailStep(step);
                return false;
            }
            source = fuseMap_.GetFuseBuffer();
        } else {
            lock = frame_.LockDataBuffer();
            if (!lock) {
                frame_.FailStep(step);
                return false;
            }
            source = lock.Bytes();
        }
        const ChunkPlan plan{true, true, OpProgram, kErrReadData};
        for (uint64_t b = firstBank; b < banks; ++b) {
            page_.SetBar2Position(static_cast<int32_t>(b + 1));
            std::unique_ptr<TransferChunk> chunk = frame_.AllocateChunk();
            if (!chunk) {
                messages_.ShowMessage(kErrChunkAlloc);
                frame_.FailStep(step);
                frame_.Run.ReadOkFlag = 0;
                return false;
            }
            FillChunk(*chunk, source, b * kBank8Bytes, source.size());
            frame_.SetTransferWords(0, static_cast<uint16_t>(b), small);
            if (!SendChunk(plan, *chunk)) {
                frame_.FailStep(step);
                return false;
            }
            page_.Hide(step, StepImage::Working);
            page_.Show(step, StepImage::Pass);
            page_.Show(StatusImage::Pass);
        }
    } else {
        lock = frame_.LockDataBuffer();
        if (!lock) {
            frame_.FailStep(step);
            return false;
        }
        source = lock.Bytes();
        const ChunkPlan plan{false, false, OpProgram, kErrReadData};
        auto sendHalf = [&](uint64_t b, uint16_t offsetWord) {
            std::unique_ptr<TransferChunk> chunk = frame_.AllocateChunk();
            if (!chunk) {
                messages_.ShowMessage(kErrChunkAlloc);
                return false;
            }
            const uint64_t start = b * kBank16Bytes + (offsetWord ? kChunkLength : 0);
            FillChunk(*chunk, source, start, source.size());
            frame_.SetTransferWords(offsetWord, static_cast<uint16_t>(b), small);
            if (!SendChunk(plan, *chunk)) return false;
            page_.Hide(step, StepImage::Working);
            page_.Show(step, StepImage::Pass);
            page_.Show(StatusImage::Pass);
            return true;
        };
        for (uint64_t b = firstBank; b < banks; ++b) {
            page_.SetBar2Position(static_cast<int32_t>(b));
            // The second chunk only while the area reaches into it.
            const bool secondChunk = areaBytes > b * kBank16Bytes + kChunkLength;
            if (!sendHalf(b, 0) || (secondChunk && !sendHalf(b, 0x8000))) {
                frame_.FailStep(step);
                return false;
            }
        }
    }

    page_.FillBar2();
    lock.Release();
    frame_.PassSoundIfDue();
    return true;
}

// ---- Extended-area program --------------------------------------------------------------------

bool DownloadOperations::ProgramExtArea() {
    OperationFrame::OperationScope scope(frame_);
    constexpr CopyStep step = CopyStep::Program;
    const DataWidth width = OperationDataWidth(device_);
    const uint64_t EH = frame_.Word(param::ext_address_Hi),
                   EL = frame_.Word(param::ext_address_Low);

    // The size word counts the area's addresses (bytes, less one, for 16-bit).
    const uint64_t E = ((EH << 16) | EL) + 1;
    uint16_t small = 0;
    if (E < 0x10000) {
        if (width == DataWidth::Word16)
            small = 2 * E < 0x10000 ? static_cast<uint16_t>(2 * E) : 0;
        else
            small = static_cast<uint16_t>(E);
    }
    // The extended area lies in the buffer directly behind the main area, as
    // the read puts it there and the compares take it from there; its banks
    // are counted over its own extent.
    const ExtAreaLayout area = ExtAreaLayoutOf(device_.DeviceParamBlock, width);
    const uint64_t bankBytes = BankBytes(width == DataWidth::Word16);
    const uint64_t banks = BanksOver(area.bytes, bankBytes);
    const uint64_t areaEnd = area.offset + area.bytes;

    if (!OpenProgramStep(step)) return true;
    if (width == DataWidth::Neither) {
        frame_.FailStep(step);
        return false;
    }
    if (!frame_.DeviceUsable()) {
        frame_.SetupFailStep(step);
        return false;
    }
    frame_.WaitAndPump();
    page_.Hide(step, StepImage::Working);

    BufferLock lock = frame_.LockDataBuffer();
    if (!lock) {
        frame_.FailStep(step);
        return false;
    }
    const std::span<const uint8_t> source = lock.Bytes();
    page_.SetBar2Maximum(static_cast<int32_t>(banks));
    page_.SetBar2Position(10);

    const bool wide = width == DataWidth::Word16;
    // Only the 8-bit path names its second bulk write a write; the 16-bit one
    // says what program says.
    const ChunkPlan plan{!wide, false, OpProgramExt, wide ? kErrReadData : kErrWriteData};
    // 16-bit: the size word is one less (0 gives 0xFFFF), as the programmer takes it.
    const uint16_t sizeWord = wide ? static_cast<uint16_t>(small - 1) : small;
    auto sendChunk = [&](uint64_t b, uint16_t offsetWord) {
        std::unique_ptr<TransferChunk> chunk = frame_.AllocateChunk();
        if (!chunk) {
            messages_.ShowMessage(kErrChunkAlloc);
            return false;
        }
        const uint64_t start = area.offset + b * bankBytes + (offsetWord ? kChunkLength : 0);
        FillChunk(*chunk, source, start, areaEnd);
        frame_.SetTransferWords(offsetWord, static_cast<uint16_t>(b), sizeWord);
        if (!SendChunk(plan, *chunk)) return false;
        page_.Hide(step, StepImage::Working);
        page_.Show(step, StepImage::Pass);
        page_.Show(StatusImage::Pass);
        return true;
    };
    for (uint64_t b = 0; b < banks; ++b) {
        page_.SetBar2Position(static_cast<int32_t>(b));
        bool ok = sendChunk(b, 0);
        // The second chunk of a 16-bit bank only while the area reaches into it.
        if (ok && wide && area.bytes > b * kBank16Bytes + kChunkLength) ok = sendChunk(b, 0x8000);
        if (!ok) {
            frame_.FailStep(step);
            return false;
        }
    }
    lock.Release();
    page_.FillBar2();
    return true;
}

// ---- Buffer download ------------------------------------------------------------------------

bool DownloadOperations::SendBufferToProgrammer() {
    OperationFrame::OperationScope scope(frame_);
    const DataWidth width = OperationDataWidth(device_);
    const bool wide = width == DataWidth::Word16;
    const uint64_t H = frame_.Word(param::max_address_Hi), L = frame_.Word(param::max_address_Low);

    uint64_t banks = H;
    if (H >= 1 && L != 0) ++banks;
    if (banks == 0) banks = 1;
    const uint64_t deviceBytes = device_.DeviceBytes;
    const uint64_t T = deviceBytes + 1;
    const uint16_t small = T < 0x10000 ? static_cast<uint16_t>(T) : 0;
    if (T >= 0x10000 && H >= 1 && L != 0 && banks * kBank16Bytes < deviceBytes) ++banks;
    // The main area's last address opens a bank of its own when the low address word is 0.
    if (width != DataWidth::Neither)
        banks = std::max(banks, BanksOver(MainAreaBytes(H, L, wide), BankBytes(wide)));

    if (frame_.Guards.ProgramGuard) return true;
    if (width == DataWidth::Neither || !frame_.DeviceUsable()) {
        frame_.ShowOperationFail();
        return false;
    }
    frame_.WaitAndPump();

    BufferLock lock = frame_.LockDataBuffer();
    if (!lock) {
        frame_.ShowOperationFail();
        return false;
    }
    const std::span<const uint8_t> source = lock.Bytes();
    const ChunkPlan plan{!wide, !wide, 0, kErrReadData};
    auto sendChunk = [&](uint64_t start, uint16_t offsetWord, uint64_t b) {
        std::unique_ptr<TransferChunk> chunk = frame_.AllocateChunk();
        if (!chunk) {
            messages_.ShowMessage(kErrChunkAlloc);
            return false;
        }
        FillChunk(*chunk, source, start, source.size());
        frame_.SetTransferWords(offsetWord, static_cast<uint16_t>(b), small);
        return SendChunk(plan, *chunk);
    };
    for (uint64_t b = 0; b < banks; ++b) {
        bool ok;
        if (wide) {
            ok = sendChunk(b * kBank16Bytes, 0, b);
            if (ok && T > 0x10000) ok = sendChunk(b * kBank16Bytes + kChunkLength, 0x8000, b);
        } else {
            ok = sendChunk(b * kBank8Bytes, 0, b);
        }
        if (!ok) {
            frame_.ShowOperationFail();
            return false;
        }
    }
    return true;
}

// ---- Picture handlers -------------------------------------------------------------------------

void DownloadOperations::ProgramWithExtArea(int mode, bool rerun) {
    bool ok = program_1Click(mode);
    if (ok && device_.FuseTypeDigit != 1 && frame_.ExtAreaNotEmpty()) {
        if (!ProgramExtArea()) {
            frame_.ShowOperationFail();
            frame_.Run.RunActive = 0;
            frame_.Run.RunFailed = 1;
            ok = false;
        }
    }
    if (ok) frame_.PassSoundIfDue(rerun);
}

void DownloadOperations::prog_nClick() {
    OperationFrame::OperationScope scope(frame_);
    frame_.UpdateCopyButtons(2);
    ProgramWithExtArea(kModeReady, false);
}

void DownloadOperations::ProgRerun() {
    OperationFrame::OperationScope scope(frame_);
    frame_.ResetForRerun(CopyStep::Program, frame_.Guards.ProgramGuard);
    ProgramWithExtArea(kModeRerun, true);
    frame_.Guards.ProgramGuard = 0;
}

}  // namespace burnmark
