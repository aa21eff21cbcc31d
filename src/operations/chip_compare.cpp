// Verify and Confirm: the chip read back piece by piece and compared with the
// buffer (or the fuse map), its differences counted or listed; for option
// type 1 the comparison the programmer makes itself.
#include <algorithm>
#include <cstring>

#include "operations/chip_transfer.h"

namespace burnmark {

struct OperationEngine::CompareKind {
    CopyStep step;  // the pictures: Confirm or Verify
    bool ext;
    bool verify;
    uint32_t OperationGuards::*guard;
};

namespace {

// The pieces a chunk is read in: one difference counts once per piece when
// the differences are not listed.
constexpr uint64_t kPieceBytes = kDataWindowLength;

// Compares one piece. buffer and chip are the piece's bytes, at its first
// byte's offset in the buffer side. Without a list a differing piece counts
// once; with one, each differing byte (8-bit) or word (16-bit) is a row until
// the list is full.
void ComparePiece(std::span<const uint8_t> buffer, std::span<const uint8_t> chip, uint64_t at,
                  bool wide, VerifyErrorList* list, int32_t& errors) {
    if (std::memcmp(buffer.data(), chip.data(), buffer.size()) == 0) return;
    if (!list) {
        ++errors;
        return;
    }
    const std::size_t n = buffer.size();
    if (!wide) {
        for (std::size_t i = 0; i < n; ++i) {
            if (buffer[i] == chip[i]) continue;
            if (errors >= kVerifyErrorRows) return;
            const auto address = static_cast<uint32_t>(at + i);
            list->Show();
            list->AddVerifyError(errors, address, 8, chip[i], address, buffer[i]);
            ++errors;
        }
        return;
    }
    // A word whose two bytes both differ is one difference.
    for (std::size_t i = 0; i < n; i += 2) {
        const bool high = i + 1 < n;
        if (buffer[i] == chip[i] && (!high || buffer[i + 1] == chip[i + 1])) continue;
        if (errors >= kVerifyErrorRows) return;
        const auto word = static_cast<uint32_t>((at + i) / 2);
        list->Show();
        list->AddVerifyErrorPair(errors, word, word, high ? buffer[i + 1] : uint8_t{0xFF},
                                 buffer[i], high ? chip[i + 1] : uint8_t{0xFF}, chip[i]);
        ++errors;
    }
}

}  // namespace

bool OperationEngine::CompareArea(const CompareKind& kind, int mode) {
    OperationScope scope(*this);
    const CopyStep step = kind.step;
    const bool mainArea = !kind.ext;
    const bool mainVerify = kind.verify && mainArea;
    const DataWidth width = OperationDataWidth(device_);
    const bool wide = width == DataWidth::Word16;
    VerifyErrorList* list = options_.VerifyListWanted == 1 ? verifyList_ : nullptr;
    // The extended area's rows follow the main area's, which found none.
    if (mainArea && list) list->ResetList();
    const ChipArea area = AreaOf(wide, kind.ext, true);

    if (buffer_.GetBufferSize() < device_.DeviceBytes) buffer_.SetBufferSize(device_.DeviceBytes);
    page_.Hide(step, StepImage::Ready);
    page_.Hide(step, StepImage::Highlight);
    page_.Show(step, StepImage::Working);
    SetVoltages(kReadVcc);

    if (Guards.*kind.guard) {
        if (mainVerify) page_.Hide(step, StepImage::Working);
        page_.FillBar2();
        return true;
    }

    auto fail = [&](const char* message) {
        if (message) messages_.ShowMessage(message);
        FailStep(step);
        Run.ReadOkFlag = 0;
        return false;
    };
    // A width the operations do not know compares nothing: that is no pass.
    if (width == DataWidth::Neither) return fail(nullptr);

    bool setUp = DeviceUsable();
    if (mainArea && !kind.verify) {
        if (mode == kModeReady) {
            // The Read step reads "ready" again: what it read is not what is compared.
            page_.Show(CopyStep::Read, StepImage::Ready);
            page_.Show(CopyStep::Read, StepImage::Highlight);
            page_.Show(CopyStep::Read, StepImage::Working);
            setUp = setUp && RunFirstSetup();
        } else if (mode == kModeRerun && Run.ReadOkFlag == 1) {
            page_.Hide(CopyStep::Read, StepImage::Ready);
            page_.Hide(CopyStep::Read, StepImage::Highlight);
            page_.Hide(CopyStep::Read, StepImage::Working);
        }
    } else if (mainVerify && (mode == kModeReady || mode == kModeRerun)) {
        setUp = setUp && RunFirstSetup();
    }
    if (!setUp) {
        if (mainArea && mode != kModeReady)
            FailStep(step);
        else
            SetupFailStep(step);
        Run.ReadOkFlag = 0;
        return false;
    }

    WaitAndPump();
    page_.Show(step, StepImage::Working);
    if (mainVerify) page_.Hide(StatusImage::Pass);

    BufferLock lock;
    std::span<const uint8_t> side;
    if (area.fuseMap) {
        if (!fuseMap_.HasBlock()) return fail(kErrNoBufferHandle);
        side = fuseMap_.GetFuseBuffer();
    } else {
        // A buffer that cannot hold the area has nothing to compare it with.
        const bool holds = BufferHolds(area.offset + area.dataBytes);
        lock = LockDataBuffer();
        if (!lock || !holds) return fail(nullptr);
        side = lock.Bytes();
    }

    ChunkTexts texts;
    texts.chunkAlloc = kErrChunkAlloc;
    texts.dataRequest = kErrDataRead;
    texts.dataRead = kErrReadData;
    if (mainVerify) {
        for (auto& status : texts.status)
            status = {kErrProtectedCannotRead, kErrProtectedCannotRead, nullptr};
    } else if (wide) {
        texts.status[0] = {kErrProtectedCannotRead, kErrCannotReadShort, nullptr};
        texts.status[1] = {kErrChipProtected, kErrCannotReadComma, nullptr};
    } else {
        for (auto& status : texts.status)
            status = {kErrChipProtected, kErrCannotReadComma, kErrProtectedCannotRead};
    }

    int32_t errors = 0;
    WalkEnd end;
    const bool walked = WalkArea(area, texts, end, [&](uint64_t start, const TransferChunk& chunk) {
        for (uint64_t piece = 0; piece < 2; ++piece) {
            const uint64_t at = start + piece * kPieceBytes;
            if (at >= area.dataBytes) break;
            const uint64_t length = std::min(kPieceBytes, area.dataBytes - at);
            const std::span<const uint8_t> chip =
                std::span<const uint8_t>(chunk.bytes)
                    .subspan(static_cast<std::size_t>(piece * kPieceBytes),
                             static_cast<std::size_t>(length));
            ComparePiece(side.subspan(static_cast<std::size_t>(area.offset + at),
                                      static_cast<std::size_t>(length)),
                         chip, area.offset + at, wide, list, errors);
        }
        return true;
    });
    lock.Release();
    if (!walked) {
        fail(nullptr);
        if (end.statusFailed) {
            // The operator may read, erase or try again; the second chunk of a
            // 16-bit bank leaves the run's readiness alone.
            if (mainVerify)
                ReOffer(step, false, true);
            else
                ReOffer(step, true, !(wide && end.chunkInBank == 1));
        }
        return false;
    }

    if (mainArea) Run.VerifyErrorsFound = errors != 0 ? 1 : 0;
    page_.FillBar2();
    if (errors != 0) return fail(nullptr);

    page_.Hide(step, StepImage::Working);
    page_.Show(step, StepImage::Fail);
    page_.Show(step, StepImage::Pass);
    if (mainVerify) {
        page_.Show(StatusImage::Pass);
        PassSoundIfDue();
    } else if (mainArea) {
        PassSoundIfDue(true);
    }
    return true;
}

bool OperationEngine::ConfirmDevice(int mode) {
    static constexpr CompareKind kKind{CopyStep::Confirm, false, false,
                                       &OperationGuards::ConfirmGuard};
    return CompareArea(kKind, mode);
}

bool OperationEngine::ConfirmExtArea() {
    static constexpr CompareKind kKind{CopyStep::Confirm, true, false,
                                       &OperationGuards::ConfirmGuard};
    return CompareArea(kKind, kModeRun);
}

bool OperationEngine::VerifyExtArea() {
    static constexpr CompareKind kKind{CopyStep::Verify, true, true, &OperationGuards::VerifyGuard};
    return CompareArea(kKind, kModeRun);
}

bool OperationEngine::verify_1Click(int mode) {
    if (device_.FuseTypeDigit != 1) {
        static constexpr CompareKind kKind{CopyStep::Verify, false, true,
                                           &OperationGuards::VerifyGuard};
        return CompareArea(kKind, mode);
    }
    OperationScope scope(*this);
    if (options_.VerifyListWanted == 1 && verifyList_) verifyList_->ResetList();
    if (!OnProgrammerVerify(CopyStep::Verify, 1)) return false;
    PassSoundIfDue();
    return true;
}

bool OperationEngine::OnProgrammerVerify(CopyStep step, int passes) {
    OperationScope scope(*this);
    if (step == CopyStep::Confirm ? Guards.ConfirmGuard : Guards.VerifyGuard) return true;
    page_.Hide(step, StepImage::Ready);
    page_.Hide(step, StepImage::Highlight);
    page_.Show(step, StepImage::Working);
    auto fail = [&](const char* message) {
        FailStep(step);
        if (message) messages_.ShowMessage(message);
        Run.ReadOkFlag = 0;
        return false;
    };
    // The programmer compares on the read voltages: they go out with the
    // download's first block.
    SetVoltages(kReadVcc);
    // Without the download the programmer would compare whatever its RAM held.
    if (!SendBufferToProgrammer()) return fail(nullptr);
    for (int pass = 0; pass < passes; ++pass) {
        if (!link_.Execute(OpVerify)) return fail(kErrExecute49);
        OperationStatus status;
        if (!link_.ReadStatus(status) || !status.Pass()) return fail(nullptr);
        page_.Hide(step, StepImage::Working);
        page_.Show(step, StepImage::Pass);
        page_.Hide(step, StepImage::Fail);
    }
    // The download left Wait showing: the result is a pass.
    page_.Show(StatusImage::Pass);
    return true;
}

// ---- Picture handlers -------------------------------------------------------------------------

void OperationEngine::VerifyStep(bool ignoreRunForSound) {
    if (device_.FuseTypeDigit == 1) {
        if (Guards.VerifyGuard) return;
        if (!DeviceUsable() || !RunFirstSetup()) {
            FailStep(CopyStep::Verify);
            return;
        }
        if (OnProgrammerVerify(CopyStep::Verify, 1)) PassSoundIfDue(ignoreRunForSound);
        return;
    }
    SetVoltages(kReadVcc);
    Run.VerifyPass = 1;
    if (verify_1Click(kModeReady) && ExtAreaNotEmpty() && Run.VerifyErrorsFound == 0)
        VerifyExtArea();
}

void OperationEngine::verify_nClick() {
    OperationScope scope(*this);
    UpdateCopyButtons(2);
    VerifyStep(false);
}

void OperationEngine::verify_pClick() {
    OperationScope scope(*this);
    Guards.VerifyGuard = 1;
    UpdateCopyButtons(2);
    page_.Hide(CopyStep::Verify, StepImage::Ready);
    page_.Hide(CopyStep::Verify, StepImage::Highlight);
    page_.Show(CopyStep::Verify, StepImage::Working);
    page_.Show(StatusImage::Pass);
    page_.Show(StatusImage::Wait);
    Guards.VerifyGuard = 0;
    if (device_.FuseTypeDigit != 1) UpdateCopyButtons(2);
    VerifyStep(false);
    Guards.VerifyGuard = 0;
}

void OperationEngine::verify_fClick() {
    OperationScope scope(*this);
    ResetForRerun(CopyStep::Verify, Guards.VerifyGuard);
    if (device_.FuseTypeDigit == 1) {
        VerifyStep(true);
    } else if (Run.VerifyPass == 1) {
        // Before any verify ran, the picture only resets.
        UpdateCopyButtons(2);
        VerifyStep(false);
    }
    Guards.VerifyGuard = 0;
}

void OperationEngine::ConfirmStep(int mode) {
    if (device_.FuseTypeDigit == 1) {
        OnProgrammerVerify(CopyStep::Confirm, 2);
    } else if (ConfirmDevice(mode) && ExtAreaNotEmpty() && Run.VerifyErrorsFound == 0) {
        ConfirmExtArea();
    }
    PassSoundIfDue(true);
}

void OperationEngine::confirm_nClick() {
    OperationScope scope(*this);
    UpdateCopyButtons(2);
    ConfirmStep(kModeReady);
}

void OperationEngine::ConfirmRerun() {
    OperationScope scope(*this);
    Guards.ConfirmGuard = 1;
    UpdateCopyButtons(2);
    page_.Show(CopyStep::Confirm, StepImage::Ready);
    page_.Show(CopyStep::Confirm, StepImage::Working);
    page_.Show(StatusImage::Pass);
    page_.Show(StatusImage::Wait);
    Guards.ConfirmGuard = 0;
    ConfirmStep(kModeRerun);
    Guards.ConfirmGuard = 0;
}

}  // namespace burnmark
