#include "operations/simple_operations.h"

#include <array>

namespace burnmark {

struct SimpleOperations::SimpleOperation {
    CopyStep step;
    uint32_t OperationGuards::*guard;
    bool extAreaInSize;  // erase counts the extended area into the small size
    VoltageIndex voltages;
    int32_t barAfterStartWords;
    int32_t barAfterPump;
    int32_t barBeforeSend;
    uint16_t operation;
};

bool SimpleOperations::Finish() {
    page_.FillBar21();
    page_.SetBar21Visible(false);
    page_.SetBar2Visible(true);
    return true;
}

bool SimpleOperations::RunSimple(const SimpleOperation& op, int mode) {
    OperationFrame::OperationScope scope(frame_);

    page_.SetBar21Visible(true);
    page_.SetBar2Visible(false);
    page_.SetBar21Position(10);
    page_.Hide(op.step, StepImage::Ready);
    page_.Hide(op.step, StepImage::Highlight);

    const uint64_t H = frame_.Word(param::max_address_Hi), L = frame_.Word(param::max_address_Low);
    const uint64_t EH = frame_.Word(param::ext_address_Hi),
                   EL = frame_.Word(param::ext_address_Low);
    if (device_.StartAddress != 0)
        frame_.SetTransferWords(frame_.Word(param::start_address_Low),
                                frame_.Word(param::start_address_Hi),
                                frame_.Word(param::TransferSize));
    else
        frame_.SetTransferWords(0, 0, frame_.Word(param::TransferSize));
    uint64_t extent = (H << 16) | L;
    if (op.extAreaInSize) extent += (EH << 16) | EL;
    const uint16_t small = extent + 1 < 0x10000 ? static_cast<uint16_t>(extent) : 0;
    page_.SetBar21Position(op.barAfterStartWords);

    if (frame_.Guards.*op.guard) return Finish();

    bool setUp = frame_.DeviceUsable();
    if (setUp && mode == kModeReady) {
        setUp = frame_.RunFirstSetup();
    } else if (setUp && mode == kModeRerun) {
        page_.Hide(op.step, StepImage::Pass);
        page_.Show(op.step, StepImage::Working);
        setUp = frame_.RunFirstSetup();
    }
    if (!setUp) {
        frame_.SetupFailStep(op.step);
        return false;
    }

    frame_.WaitAndPump();
    page_.Hide(op.step, StepImage::Working);
    page_.SetBar21Position(op.barAfterPump);
    device_.DeviceParamBlock.SetWord(param::TransferSize, small);
    frame_.SetVoltages(op.voltages);
    page_.SetBar21Position(op.barBeforeSend);
    // A block that did not arrive leaves the previous operation's voltages in
    // the programmer: nothing may be executed on them.
    if (!link_.SendParamBlock(device_.DeviceParamBlock.Sent())) {
        frame_.FailStep(op.step);
        return false;
    }

    page_.Hide(StatusImage::Pass);
    page_.Show(StatusImage::Wait);
    if (!link_.Execute(op.operation)) {
        frame_.ShowOperationFail();
        messages_.ShowMessage(kErrExecute);
        frame_.FailStep(op.step);
        return false;
    }
    OperationStatus status;
    if (!link_.ReadStatus(status) || !status.Pass()) {
        frame_.FailStep(op.step);
        return false;
    }

    page_.Hide(op.step, StepImage::Working);
    page_.Show(op.step, StepImage::Pass);
    page_.Show(StatusImage::Pass);
    frame_.PassSoundIfDue();
    return Finish();
}

bool SimpleOperations::erase_1Click(int mode) {
    static constexpr SimpleOperation kErase{
        CopyStep::Erase, &OperationGuards::EraseGuard, true, kEraseVcc, 20, 30, 85, OpErase};
    return RunSimple(kErase, mode);
}

bool SimpleOperations::check_1Click(int mode) {
    static constexpr SimpleOperation kBlank{
        CopyStep::Check, &OperationGuards::BlankGuard, false, kReadVcc, 30, 60, 60, OpBlankCheck};
    return RunSimple(kBlank, mode);
}

// ---- Protect ---------------------------------------------------------------------------------

bool SimpleOperations::ProtectDevice(int mode) {
    (void)mode;  // protect sets the programmer up in every mode
    OperationFrame::OperationScope scope(frame_);
    constexpr CopyStep step = CopyStep::Secur;

    // The voltages travel with the set-up's parameter block.
    frame_.SetVoltages(kProtectVcc);
    page_.SetBar21Visible(true);
    page_.SetBar2Visible(false);
    page_.SetBar21Position(10);
    page_.Hide(step, StepImage::Ready);
    page_.Hide(step, StepImage::Highlight);

    if (frame_.Guards.SecurityGuard) return Finish();

    if (!frame_.DeviceUsable() || !frame_.RunFirstSetup()) {
        frame_.SetupFailStep(step);
        return false;
    }
    frame_.WaitAndPump();
    page_.Hide(step, StepImage::Working);
    page_.SetBar21Position(40);

    // Option words written to a page nobody selected would protect the chip
    // with whatever the programmer held: the step ends here.
    if (!link_.ChangePage(0, 0)) {
        messages_.ShowMessage(kErrChangePage);
        frame_.FailStep(step);
        return false;
    }
    if (optionSender_ && !optionSender_->SendOptionData()) {
        frame_.FailStep(step);
        return false;
    }

    // The first 64 option words, low byte first.
    std::array<uint8_t, kOptionWordsLength> words{};
    for (std::size_t i = 0; i < words.size() / 2; ++i) {
        words[2 * i] = static_cast<uint8_t>(options_.OptionWords[i]);
        words[2 * i + 1] = static_cast<uint8_t>(options_.OptionWords[i] >> 8);
    }
    // A chip whose option words did not arrive must not look protected.
    if (!link_.BlockWrite(kOptionWordsAddr, kOptionWordsLength)) {
        frame_.FailStep(step);
        return false;
    }
    if (!link_.DataWrite(words)) {
        frame_.ShowOperationFail();
        if (device_.FuseTypeDigit == 1) messages_.ShowMessage(kErrBlockReadData);
        frame_.FailStep(step);
        return false;
    }

    page_.Hide(StatusImage::Pass);
    page_.Show(StatusImage::Wait);
    page_.SetBar21Position(85);
    if (!link_.Execute(OpProtect)) {
        frame_.ShowOperationFail();
        messages_.ShowMessage(kErrExecuteProtect);
        frame_.FailStep(step);
        return false;
    }
    OperationStatus status;
    if (!link_.ReadStatus(status) || !status.Pass()) {
        frame_.FailStep(step);
        return false;
    }
    page_.Hide(step, StepImage::Working);
    page_.Show(step, StepImage::Pass);
    page_.Show(StatusImage::Pass);
    frame_.PassSoundIfDue();
    return Finish();
}

// ---- Picture handlers -------------------------------------------------------------------------

void SimpleOperations::erace_nClick() {
    OperationFrame::OperationScope scope(frame_);
    frame_.UpdateCopyButtons(2);
    erase_1Click(kModeReady);
}

void SimpleOperations::EraseRerun() {
    OperationFrame::OperationScope scope(frame_);
    frame_.ResetForRerun(CopyStep::Erase, frame_.Guards.EraseGuard);
    erase_1Click(kModeRerun);
    frame_.Guards.EraseGuard = 0;
}

void SimpleOperations::check_nClick() {
    OperationFrame::OperationScope scope(frame_);
    frame_.UpdateCopyButtons(2);
    check_1Click(kModeReady);
}

void SimpleOperations::CheckRerun() {
    OperationFrame::OperationScope scope(frame_);
    frame_.ResetForRerun(CopyStep::Check, frame_.Guards.BlankGuard);
    check_1Click(kModeRerun);
    frame_.Guards.BlankGuard = 0;
}

void SimpleOperations::secur_nClick() {
    OperationFrame::OperationScope scope(frame_);
    frame_.UpdateCopyButtons(2);
    ProtectDevice(kModeReady);
}

void SimpleOperations::SecurRerun() {
    OperationFrame::OperationScope scope(frame_);
    frame_.ResetForRerun(CopyStep::Secur, frame_.Guards.SecurityGuard);
    ProtectDevice(kModeRerun);
    // The re-run sounds its pass once more, run or no run.
    frame_.PassSoundIfDue(true);
    frame_.Guards.SecurityGuard = 0;
}

}  // namespace burnmark
