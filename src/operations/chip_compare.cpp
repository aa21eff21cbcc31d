// The read-backs' Verify and Confirm: the chip read back piece by piece and
// compared with the buffer (or the fuse map), its differences counted or
// listed; for option type 1 the comparison the programmer makes itself on the
// buffer just downloaded.
#include <algorithm>
#include <cstring>
#include <vector>

#include "operations/chip_transfer.h"
#include "operations/read_back_operations.h"

namespace burnmark {

struct ReadBackOperations::CompareKind {
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

// The chip's bytes as a fuse map holds them (FuseMap::StoreFuses): every byte
// but 0 becomes 1. into keeps them.
std::span<const uint8_t> AsFuses(std::span<const uint8_t> chip, std::vector<uint8_t>& into) {
    into.resize(chip.size());
    std::transform(chip.begin(), chip.end(), into.begin(),
                   [](uint8_t c) { return static_cast<uint8_t>(c != 0 ? 1 : 0); });
    return into;
}

}  // namespace

bool ReadBackOperations::CompareArea(const CompareKind& kind, int mode) {
    OperationFrame::OperationScope scope(frame_);
    const CopyStep step = kind.step;
    const bool mainArea = !kind.ext;
    const bool mainVerify = kind.verify && mainArea;
    const DataWidth width = OperationDataWidth(device_);
    const bool wide = width == DataWidth::Word16;
    VerifyErrorList* list = options_.VerifyListWanted == 1 ? verifyList_ : nullptr;
    // The extended area's rows follow the main area's, which found none.
    if (mainArea && list) list->ResetList();
    const ChipArea area = AreaOf(frame_, wide, kind.ext, true);

    if (buffer_.GetBufferSize() < device_.DeviceBytes) buffer_.SetBufferSize(device_.DeviceBytes);
    page_.Hide(step, StepImage::Ready);
    page_.Hide(step, StepImage::Highlight);
    page_.Show(step, StepImage::Working);
    frame_.SetVoltages(kReadVcc);

    if (frame_.Guards.*kind.guard) {
        if (mainVerify) page_.Hide(step, StepImage::Working);
        page_.FillBar2();
        return true;
    }

    auto fail = [&](const char* message) {
        if (message) messages_.ShowMessage(message);
        frame_.FailStep(step);
        frame_.Run.ReadOkFlag = 0;
        return false;
    };
    // A width the operations do not know compares nothing: that is no pass.
    if (width == DataWidth::Neither) return fail(nullptr);

    bool setUp = frame_.DeviceUsable();
    if (mainArea && !kind.verify) {
        if (mode == kModeReady) {
            // The Read step reads "ready" again: what it read is not what is compared.
            page_.Show(CopyStep::Read, StepImage::Ready);
            page_.Show(CopyStep::Read, StepImage::Highlight);
            page_.Show(CopyStep::Read, StepImage::Working);
            setUp = setUp && frame_.RunFirstSetup();
        } else if (mode == kModeRerun && frame_.Run.ReadOkFlag == 1) {
            page_.Hide(CopyStep::Read, StepImage::Ready);
            page_.Hide(CopyStep::Read, StepImage::Highlight);
            page_.Hide(CopyStep::Read, StepImage::Working);
        }
    } else if (mainVerify && (mode == kModeReady || mode == kModeRerun)) {
        setUp = setUp && frame_.RunFirstSetup();
    }
    if (!setUp) {
        if (mainArea && mode != kModeReady)
            frame_.FailStep(step);
        else
            frame_.SetupFailStep(step);
        frame_.Run.ReadOkFlag = 0;
        return false;
    }

    frame_.WaitAndPump();
    page_.Show(step, StepImage::Working);
    if (mainVerify) page_.Hide(StatusImage::Pass);

    BufferLock lock;
    std::span<const uint8_t> side;
    if (area.fuseMap) {
        if (!fuseMap_.HasBlock()) return fail(kErrNoBufferHandle);
        side = fuseMap_.GetFuseBuffer();
    } else {
        // A buffer that cannot hold the area has nothing to compare it with.
        const bool holds = BufferHolds(buffer_, area.offset + area.dataBytes);
        lock = frame_.LockDataBuffer();
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
    // A fuse map holds what the read made of the chip's bytes: the chip's side
    // is compared in that form.
    std::vector<uint8_t> fuses;
    WalkEnd end;
    const bool walked =
        WalkArea(frame_, area, texts, end, [&](uint64_t start, const TransferChunk& chunk) {
            for (uint64_t piece = 0; piece < 2; ++piece) {
                const uint64_t at = start + piece * kPieceBytes;
                if (at >= area.dataBytes) break;
                const uint64_t length = std::min(kPieceBytes, area.dataBytes - at);
                std::span<const uint8_t> chip =
                    std::span<const uint8_t>(chunk.bytes)
                        .subspan(static_cast<std::size_t>(piece * kPieceBytes),
                                 static_cast<std::size_t>(length));
                if (area.fuseMap) chip = AsFuses(chip, fuses);
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

    if (mainArea) frame_.Run.VerifyErrorsFound = errors != 0 ? 1 : 0;
    page_.FillBar2();
    if (errors != 0) return fail(nullptr);

    page_.Hide(step, StepImage::Working);
    page_.Show(step, StepImage::Fail);
    page_.Show(step, StepImage::Pass);
    if (mainVerify) {
        page_.Show(StatusImage::Pass);
        frame_.PassSoundIfDue();
    } else if (mainArea) {
        frame_.PassSoundIfDue(true);
    }
    return true;
}

bool ReadBackOperations::ConfirmDevice(int mode) {
    static constexpr CompareKind kKind{CopyStep::Confirm, false, false,
                                       &OperationGuards::ConfirmGuard};
    return CompareArea(kKind, mode);
}

bool ReadBackOperations::ConfirmExtArea() {
    static constexpr CompareKind kKind{CopyStep::Confirm, true, false,
                                       &OperationGuards::ConfirmGuard};
    return CompareArea(kKind, kModeRun);
}

bool ReadBackOperations::VerifyExtArea() {
    static constexpr CompareKind kKind{CopyStep::Verify, true, true, &OperationGuards::VerifyGuard};
    return CompareArea(kKind, kModeRun);
}

bool ReadBackOperations::verify_1Click(int mode) {
    if (device_.FuseTypeDigit != 1) {
        static constexpr CompareKind kKind{CopyStep::Verify, false, true,
                                           &OperationGuards::VerifyGuard};
        return CompareArea(kKind, mode);
    }
    OperationFrame::OperationScope scope(frame_);
    if (options_.VerifyListWanted == 1 && verifyList_) verifyList_->ResetList();
    if (!OnProgrammerVerify(CopyStep::Verify, 1)) return false;
    frame_.PassSoundIfDue();
    return true;
}

bool ReadBackOperations::OnProgrammerVerify(CopyStep step, int passes) {
    OperationFrame::OperationScope scope(frame_);
    if (step == CopyStep::Confirm ? frame_.Guards.ConfirmGuard : frame_.Guards.VerifyGuard)
        return true;
    page_.Hide(step, StepImage::Ready);
    page_.Hide(step, StepImage::Highlight);
    page_.Show(step, StepImage::Working);
    auto fail = [&](const char* message) {
        frame_.FailStep(step);
        if (message) messages_.ShowMessage(message);
        frame_.Run.ReadOkFlag = 0;
        return false;
    };
    // The programmer compares on the read voltages: they go out with the
    // download's first block.
    frame_.SetVoltages(kReadVcc);
    // Without the download the programmer would compare whatever its RAM held.
    if (!downloads_.SendBufferToProgrammer()) return fail(nullptr);
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

void ReadBackOperations::VerifyStep(bool ignoreRunForSound) {
    if (device_.FuseTypeDigit == 1) {
        if (frame_.Guards.VerifyGuard) return;
        if (!frame_.DeviceUsable() || !frame_.RunFirstSetup()) {
            frame_.FailStep(CopyStep::Verify);
            return;
        }
        if (OnProgrammerVerify(CopyStep::Verify, 1)) frame_.PassSoundIfDue(ignoreRunForSound);
        return;
    }
    frame_.SetVoltages(kReadVcc);
    frame_.Run.VerifyPass = 1;
    if (verify_1Click(kModeReady) && frame_.ExtAreaNotEmpty() && frame_.Run.VerifyErrorsFound == 0)
        VerifyExtArea();
}

void ReadBackOperations::verify_nClick() {
    OperationFrame::OperationScope scope(frame_);
    frame_.UpdateCopyButtons(2);
    VerifyStep(false);
}

void ReadBackOperations::verify_pClick() {
    OperationFrame::OperationScope scope(frame_);
    frame_.Guards.VerifyGuard = 1;
    frame_.UpdateCopyButtons(2);
    page_.Hide(CopyStep::Verify, StepImage::Ready);
    page_.Hide(CopyStep::Verify, StepImage::Highlight);
    page_.Show(CopyStep::Verify, StepImage::Working);
    page_.Show(StatusImage::Pass);
    page_.Show(StatusImage::Wait);
    frame_.Guards.VerifyGuard = 0;
    if (device_.FuseTypeDigit != 1) frame_.UpdateCopyButtons(2);
    VerifyStep(false);
    frame_.Guards.VerifyGuard = 0;
}

void ReadBackOperations::verify_fClick() {
    OperationFrame::OperationScope scope(frame_);
    frame_.ResetForRerun(CopyStep::Verify, frame_.Guards.VerifyGuard);
    if (device_.FuseTypeDigit == 1) {
        VerifyStep(true);
    } else if (frame_.Run.VerifyPass == 1) {
        // Before any verify ran, the picture only resets.
        frame_.UpdateCopyButtons(2);
        VerifyStep(false);
    }
    frame_.Guards.VerifyGuard = 0;
}

void ReadBackOperations::ConfirmStep(int mode) {
    if (device_.FuseTypeDigit == 1) {
        OnProgrammerVerify(CopyStep::Confirm, 2);
    } else if (ConfirmDevice(mode) && frame_.ExtAreaNotEmpty() &&
               frame_.Run.VerifyErrorsFound == 0) {
        ConfirmExtArea();
    }
    frame_.PassSoundIfDue(true);
}

void ReadBackOperations::confirm_nClick() {
    OperationFrame::OperationScope scope(frame_);
    frame_.UpdateCopyButtons(2);
    ConfirmStep(kModeReady);
}

void ReadBackOperations::ConfirmRerun() {
    OperationFrame::OperationScope scope(frame_);
    frame_.Guards.ConfirmGuard = 1;
    frame_.UpdateCopyButtons(2);
    page_.Show(CopyStep::Confirm, StepImage::Ready);
    page_.Show(CopyStep::Confirm, StepImage::Working);
    page_.Show(StatusImage::Pass);
    page_.Show(StatusImage::Wait);
    frame_.Guards.ConfirmGuard = 0;
    ConfirmStep(kModeRerun);
    frame_.Guards.ConfirmGuard = 0;
}

}  // namespace burnmark
