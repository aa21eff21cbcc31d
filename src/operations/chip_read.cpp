// The read-backs' Read step: the chip's areas read into the data buffer (or
// the fuse map), the checksum shown, the option words of the chip taken, the
// automatic confirm of what was read, and the steps offered again after a
// chip that could not be read.
#include <algorithm>

#include "catalogue/device_facts.h"
#include "catalogue/device_loader.h"
#include "operations/chip_transfer.h"
#include "operations/read_back_operations.h"

namespace burnmark {

namespace {

// What each read says when a chunk fails. The 8-bit extended read names none
// of the buffer's failures and tells no protected chip apart.

struct ReadTextSet {
    const char* chunkAlloc;
    const char* dataRequest;
    const char* dataRead;
    bool bufferTexts;
    const char* protectedChip;
    const char* other[2];
};

constexpr ReadTextSet kReadMain8{
    kErrChunkAlloc, nullptr, nullptr, true, kErrChipProtected, {kErrCannotRead, kErrCannotRead}};
constexpr ReadTextSet kReadExt8{kErrChunkAlloc, nullptr,        nullptr,
                                false,          kErrCannotRead, {kErrCannotRead, kErrCannotRead}};
constexpr ReadTextSet kRead16{kErrChunkAlloc128, kErrDataRead,
                              kErrReadData,      true,
                              kErrChipProtected, {kErrCannotRead, kErrCannotReadComma}};

}  // namespace

bool ReadBackOperations::ReadChip64K() { return ReadArea(false, false); }
bool ReadBackOperations::ReadChipExtArea() { return ReadArea(false, true); }
bool ReadBackOperations::ReadChip128K() { return ReadArea(true, false); }
bool ReadBackOperations::ReadChipExtArea128K() { return ReadArea(true, true); }

bool ReadBackOperations::ReadArea(bool wide, bool ext) {
    OperationFrame::OperationScope scope(frame_);
    constexpr CopyStep step = CopyStep::Read;
    const ChipArea area = AreaOf(frame_, wide, ext, false);
    const ReadTextSet& set = wide ? kRead16 : (ext ? kReadExt8 : kReadMain8);
    ChunkTexts texts;
    texts.chunkAlloc = set.chunkAlloc;
    texts.dataRequest = set.dataRequest;
    texts.dataRead = set.dataRead;
    texts.bufferTexts = set.bufferTexts;
    for (int c = 0; c < 2; ++c) texts.status[c] = {set.protectedChip, set.other[c], nullptr};

    auto fail = [&](const char* message) {
        if (message) messages_.ShowMessage(message);
        frame_.FailStep(step);
        frame_.Run.ReadOkFlag = 0;
        return false;
    };

    frame_.SetVoltages(kReadVcc);
    BufferLock lock;
    if (area.fuseMap) {
        if (!fuseMap_.HasBlock()) return fail(kErrNoBufferHandle);
    } else {
        // The buffer fits the device before anything arrives; one that cannot
        // hold the area takes nothing.
        if (!ext && !wide && sizing_)
            buffer_.SetBufferSize(MergeDeviceBufferSize(device_, *sizing_));
        const bool holds = BufferHolds(buffer_, area.offset + area.dataBytes);
        lock = texts.bufferTexts ? frame_.LockDataBuffer() : buffer_.GetBufferHandle();
        if (!lock || !holds) return fail(nullptr);
    }

    WalkEnd end;
    const bool walked =
        WalkArea(frame_, area, texts, end, [&](uint64_t start, const TransferChunk& chunk) {
            const uint64_t count = start < area.dataBytes
                                       ? std::min<uint64_t>(kChunkLength, area.dataBytes - start)
                                       : 0;
            if (area.fuseMap) {
                fuseMap_.StoreFuses(std::span<const uint8_t>(chunk.bytes).first(count),
                                    static_cast<int64_t>(start));
            } else {
                PlaceChunk(lock.Bytes(), area.offset + start, chunk, count);
                lock.MarkChanged();
            }
            return true;
        });
    lock.Release();
    if (!walked) {
        fail(nullptr);
        // A chip that could not be read: the operator may erase it or try again.
        if (end.statusFailed) ReOffer(step, true, true);
        return false;
    }

    lastReadStatus_ = end.lastStatus;
    page_.Hide(step, StepImage::Ready);
    page_.Hide(step, StepImage::Highlight);
    page_.Hide(step, StepImage::Working);
    page_.Show(step, StepImage::Fail);
    page_.Show(step, StepImage::Pass);
    frame_.Run.ReadOkFlag = 1;
    page_.FillBar2();
    page_.SetMulti(true);
    page_.SetMultiHint(true);
    return true;
}

bool ReadBackOperations::ReadOptionBlock(bool wide) {
    auto fail = [&](const char* message) {
        messages_.ShowMessage(message);
        frame_.FailStep(CopyStep::Read);
        frame_.Run.ReadOkFlag = 0;
        return false;
    };
    // Read aside first: a block that did not arrive whole leaves the words as they were.
    std::array<uint8_t, kChipOptionLength> block{};
    if (!link_.BlockRead(kChipOptionAddr, kChipOptionLength)) return fail(kErrBlockRead);
    if (!link_.DataRead(block)) return fail(kErrBlockReadData);
    for (std::size_t i = 0; i < options_.ChipOptionWords.size(); ++i)
        options_.ChipOptionWords[i] = static_cast<uint16_t>(block[2 * i] | (block[2 * i + 1] << 8));
    if (optionReadBack_) optionReadBack_->StoreOptionWords();
    // The programmer's checksum of the chip, from the last chunk read; only
    // the 16-bit read marks it red when it changed.
    const uint32_t sum = lastReadStatus_.Checksum();
    if (checksum_ && wide) checksum_->ShowChecksum(sum);
    if (checksum_ && !wide) checksum_->ShowChecksumText(sum);
    return true;
}

void ReadBackOperations::ShowReadChecksum() {
    if (device_.HasFuseMap) {
        fuseMap_.RefreshFuseView();
        fuseMap_.ShowFuseChecksum(6);
        return;
    }
    if (!checksum_) return;
    if (const std::optional<DeviceByteRange> range = DeviceChecksumRange(device_))
        checksum_->ShowBufferSum(buffer_, range->start, range->end, 0);
}

bool ReadBackOperations::ReadOptionWordsTail() {
    // Nothing takes the option words yet: the chip is not asked for them.
    if (!optionReadBack_) return true;
    auto fail = [&] {
        frame_.FailStep(CopyStep::Read);
        frame_.Run.ReadOkFlag = 0;
        return false;
    };
    if (!link_.Execute(OpExtractOptions)) {
        frame_.ShowOperationFail();
        messages_.ShowMessage(kErrExecute49);
        return fail();
    }
    OperationStatus status;
    // Words of a failed extraction would reach the chip at the next protect.
    if (!link_.ReadStatus(status) || !status.Pass()) return fail();
    if (!optionReadBack_->ReadOptionData()) return fail();
    return true;
}

bool ReadBackOperations::readClick() {
    OperationFrame::OperationScope scope(frame_);
    constexpr CopyStep step = CopyStep::Read;
    // A flag left from an earlier read would confirm a chip that was not read.
    frame_.Run.ReadOkFlag = 0;
    if (frame_.Guards.ReadGuard) return true;

    // The block gets the definition's values afresh; the buffer is sized
    // from this one load.
    if (fpga_) LoadDeviceIni(DeviceLoadContext{device_, messages_, *fpga_});
    if (!frame_.DeviceUsable() || !frame_.RunFirstSetup()) {
        frame_.FailStep(step);
        ReOffer(step, true, true);
        return false;
    }
    page_.Hide(step, StepImage::Working);

    bool ok = true;
    const unsigned engine = frame_.Word(param::read_mode) >> 8;
    if (engine <= 1 || engine == 4) {
        const bool wide = engine == 4;
        ok = ReadArea(wide, false);
        if (ok && device_.FuseTypeDigit == 1) {
            ok = ReadOptionBlock(wide);
        } else if (ok) {
            // The buffer changed: its sum is shown even when the extended area fails.
            const bool extOk = !frame_.ExtAreaNotEmpty() || ReadArea(wide, true);
            ShowReadChecksum();
            ok = extOk;
        }
    }
    frame_.EnableCopyButtons();
    page_.SetBoxEnabled(CopyCheckBox::check_confirm, true);
    if (ok && (device_.FuseTypeDigit == 2 || device_.FuseTypeDigit == 3))
        ok = ReadOptionWordsTail();
    return ok;
}

void ReadBackOperations::ReadStep() {
    options_.OptionValuesSaved = 1;
    // The operator's ticks stay: the refresh only offers the steps again.
    frame_.UpdateCopyButtons(2);
    page_.Hide(CopyStep::Read, StepImage::Ready);
    page_.Hide(CopyStep::Read, StepImage::Highlight);
    page_.Show(CopyStep::Read, StepImage::Fail);
    page_.Show(CopyStep::Read, StepImage::Pass);
    page_.Show(CopyStep::Read, StepImage::Working);
    readClick();
    if (frame_.Run.ReadOkFlag != 1) return;

    if (!page_.Box(CopyCheckBox::check_confirm).checked) {
        frame_.PassSoundIfDue(true);
        return;
    }
    // The automatic confirm, on the set-up the read made.
    if (device_.FuseTypeDigit == 1) {
        if (OnProgrammerVerify(CopyStep::Confirm, 2)) frame_.PassSoundIfDue(true);
    } else if (ConfirmDevice(kModeRerun) && frame_.ExtAreaNotEmpty() &&
               frame_.Run.VerifyErrorsFound == 0) {
        ConfirmExtArea();
    }
    frame_.Run.ReadOkFlag = 0;
}

void ReadBackOperations::read_nClick() {
    OperationFrame::OperationScope scope(frame_);
    ReadStep();
}

void ReadBackOperations::ReadRerun() {
    OperationFrame::OperationScope scope(frame_);
    frame_.Guards.ReadGuard = 1;
    frame_.UpdateCopyButtons(2);
    page_.Hide(CopyStep::Read, StepImage::Ready);
    page_.Hide(CopyStep::Read, StepImage::Highlight);
    page_.Hide(CopyStep::Read, StepImage::Working);
    page_.Show(CopyStep::Read, StepImage::Pass);
    page_.Show(StatusImage::Pass);
    page_.Show(StatusImage::Wait);
    frame_.Guards.ReadGuard = 0;
    ReadStep();
    page_.Hide(CopyStep::Read, StepImage::Working);
    if (!page_.Box(CopyCheckBox::check_confirm).checked) frame_.PassSoundIfDue(true);
    frame_.Guards.ReadGuard = 0;
}

void ReadBackOperations::ReOffer(CopyStep own, bool withEraseAndCheck, bool runReady) {
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
            if (!frame_.Offers(offer.step)) continue;
            page_.SetEnabled(offer.panel, true);
            for (StepImage image : kReadyLayers) page_.Show(offer.step, image);
        }
    }
    if (runReady) frame_.Run.RunReady = 1;
}

}  // namespace burnmark
