#include "operations/operation_frame.h"

#include <new>

#include "catalogue/device_facts.h"
#include "platform/number.h"

namespace burnmark {

namespace {

constexpr int kPumpPasses = 100;

}  // namespace

DataWidth OperationDataWidth(const DeviceRecord& device) {
    const DeviceParamBlock& b = device.DeviceParamBlock;
    const uint64_t size =
        DeviceSizeInAddresses(b.Word(param::max_address_Hi), b.Word(param::max_address_Low),
                              b.Word(param::ext_address_Hi), b.Word(param::ext_address_Low));
    return ClassifyDataWidth(device.Data_Width, DataWidthSpellings::Loader, size);
}

// ---- Construction and scope ------------------------------------------------------------------

OperationFrame::OperationFrame(DeviceRecord& device, DeviceOptions& options, DataBuffer& buffer,
                               FuseMap& fuseMap, ProgrammerLink& link, CopyPageModel& page,
                               Messages& messages, SoundPlayer& sounds, Pump& pump)
    : device_(device),
      options_(options),
      buffer_(buffer),
      fuseMap_(fuseMap),
      link_(link),
      page_(page),
      messages_(messages),
      sounds_(sounds),
      pump_(pump) {}

OperationFrame::OperationScope::OperationScope(OperationFrame& frame) : frame_(frame) {
    if (frame_.scopeDepth_++ == 0) frame_.failShown_ = false;
}

OperationFrame::OperationScope::~OperationScope() { --frame_.scopeDepth_; }

std::unique_ptr<TransferChunk> OperationFrame::AllocateChunk() {
    try {
        return std::make_unique<TransferChunk>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// ---- Frame ---------------------------------------------------------------------------------

void OperationFrame::WaitAndPump() {
    page_.Hide(StatusImage::Pass);
    for (int i = 0; i < kPumpPasses; ++i) {
        // Stop leaves Pass hidden: the run reads that as a failed step.
        if (Run.StopFlag) return;
        pump_.YieldSlice();
        pump_.ProcessEvents();
    }
    page_.Show(StatusImage::Pass);
}

void OperationFrame::ShowOperationFail() {
    // The pictures are put right on every call: something may have shown Wait
    // or a bar again since the first call of the scope (protect goes on after
    // a failed option send).
    page_.Hide(StatusImage::Pass);
    page_.Hide(StatusImage::Wait);
    page_.SetBar21Visible(false);
    page_.SetBar2Visible(true);
    page_.FillBar2();
    if (scopeDepth_ > 0) {
        // The link and the operation both report the same failure; the
        // operator hears it once.
        if (failShown_) return;
        failShown_ = true;
    }
    sounds_.FailSound();
}

void OperationFrame::FailureSounded() {
    if (scopeDepth_ > 0) failShown_ = true;
}

void OperationFrame::UpdateCopyButtons(int arg) {
    WaitAndPump();

    // The maker chosen, as the selection took it (its stored copy may not
    // have been written).
    if (IsFirstSetup(device_.Manufacturer)) return;

    static constexpr StepImage kFive[] = {StepImage::Ready, StepImage::Highlight,
                                          StepImage::Working, StepImage::Pass, StepImage::Fail};
    auto showStep = [&](CopyStep step, bool visible) {
        for (StepImage image : kFive) page_.SetVisible(step, image, visible);
    };

    // Read (with the confirm pictures): the automatic-confirm box is only ever
    // disabled here; the operator's tick stays.
    const bool canRead = Word(param::read_mode) != 0;
    showStep(CopyStep::Read, canRead);
    showStep(CopyStep::Confirm, canRead);
    if (!canRead) page_.SetBoxEnabled(CopyCheckBox::check_confirm, false);

    struct Row {
        std::size_t word;
        CopyStep step;
        CopyCheckBox box;
    };
    static constexpr Row kRows[] = {
        {param::erase_mode, CopyStep::Erase, CopyCheckBox::CheckBox1},
        {param::blank_mode, CopyStep::Check, CopyCheckBox::CheckBox2},
        {param::prog_mode, CopyStep::Program, CopyCheckBox::CheckBox3},
        {param::verify_mode, CopyStep::Verify, CopyCheckBox::CheckBox4},
        {param::prot_mode, CopyStep::Secur, CopyCheckBox::CheckBox5},
    };
    for (const Row& row : kRows) {
        const bool offered = Word(row.word) != 0;
        showStep(row.step, offered);
        if (arg == 0) page_.SetChecked(row.box, offered);
        page_.SetBoxEnabled(row.box, offered);
    }

    for (CopyStep step : {CopyStep::Edit, CopyStep::Save}) {
        page_.Show(step, StepImage::Ready);
        page_.Show(step, StepImage::Highlight);
        page_.Show(step, StepImage::Working);
    }
    page_.SetEnabled(CopyControl::StopPanel, true);
    page_.SetEnabled(CopyControl::RunPanel, true);
    page_.Show(StatusImage::Pass);
    page_.Show(StatusImage::Wait);
}

void OperationFrame::EnableCopyButtons() {
    static constexpr CopyControl kOrder[] = {
        CopyControl::CopyEraseBtn,
        CopyControl::CopyCheckBtn,
        CopyControl::CopyProgramBtn,
        CopyControl::CopyVerifyBtn,
        CopyControl::CopySecurityBtn,
        CopyControl::CopyConfirmBtn,
        CopyControl::Panel9,
        CopyControl::Panel8,
        CopyControl::Run_Hint,
        CopyControl::Stop_Hint,
        CopyControl::Stop,
        CopyControl::Run,
    };
    for (CopyControl control : kOrder) page_.SetEnabled(control, true);
}

// ---- Shared pieces ---------------------------------------------------------------------------

bool OperationFrame::DeviceUsable() const {
    return device_.DeviceValid && device_.FpgaFileMissing == 0;
}

bool OperationFrame::RunFirstSetup() {
    return link_.FirstSetup(MakeSetupDevice(device_, IsFirstSetup(device_.Manufacturer)));
}

void OperationFrame::FailStep(CopyStep step) {
    page_.Hide(step, StepImage::Working);
    page_.Hide(step, StepImage::Pass);
    page_.Show(step, StepImage::Fail);
    ShowOperationFail();
}

void OperationFrame::SetupFailStep(CopyStep step) {
    FailStep(step);
    // The step reads "ready" again, with its failed picture beneath.
    page_.Show(step, StepImage::Ready);
}

bool OperationFrame::ExtAreaNotEmpty() const {
    return Word(param::ext_address_Hi) != 0 || Word(param::ext_address_Low) != 0;
}

void OperationFrame::PassSoundIfDue(bool ignoreRun) {
    // After Stop, RunActive is 0 while the run is still going: the run alone
    // decides its sound.
    if (page_.Visible(StatusImage::Pass) && (ignoreRun || (Run.RunActive == 0 && runDepth_ == 0)))
        sounds_.PassSound();
}

bool OperationFrame::Offers(CopyStep step) const {
    switch (step) {
        case CopyStep::Read:
        case CopyStep::Confirm:
            return Word(param::read_mode) != 0;
        case CopyStep::Erase:
            return Word(param::erase_mode) != 0;
        case CopyStep::Check:
            return Word(param::blank_mode) != 0;
        case CopyStep::Program:
            return Word(param::prog_mode) != 0;
        case CopyStep::Verify:
            return Word(param::verify_mode) != 0;
        case CopyStep::Secur:
            return Word(param::prot_mode) != 0;
        default:
            return true;  // the source steps are always there
    }
}

uint16_t OperationFrame::Word(std::size_t offset) const {
    return device_.DeviceParamBlock.Word(offset);
}

void OperationFrame::SetTransferWords(uint16_t offset, uint16_t bank, uint16_t small) {
    DeviceParamBlock& block = device_.DeviceParamBlock;
    block.SetWord(param::TransferOffset, offset);
    block.SetWord(param::TransferBank, bank);
    block.SetWord(param::TransferSize, small);
}

void OperationFrame::SetVoltages(VoltageIndex vcc) {
    DeviceParamBlock& block = device_.DeviceParamBlock;
    block.SetWord(param::CurrentVcc, device_.Voltages[vcc]);
    block.SetWord(param::CurrentVpp, device_.Voltages[vcc + 1]);
    block.SetWord(param::CurrentVhh, device_.Voltages[vcc + 2]);
}

uint64_t OperationFrame::FirstBank() const {
    if (device_.StartAddress == 0) return 0;
    // The device file's own text names the bank; the block word holds the same
    // number when the text is not one.
    const std::optional<int32_t> bank = StrToInt(device_.StartAddressHiText);
    if (bank && *bank >= 0) return static_cast<uint64_t>(*bank);
    return Word(param::start_address_Hi);
}

BufferLock OperationFrame::LockDataBuffer() {
    if (!buffer_.HasBlock()) {
        messages_.ShowMessage(kErrNoBufferHandle);
        return {};
    }
    BufferLock lock = buffer_.GetBufferHandle();
    if (!lock) messages_.ShowMessage(kErrLockFailed);
    return lock;
}

void OperationFrame::ResetForRerun(CopyStep step, uint32_t& guard) {
    guard = 1;
    UpdateCopyButtons(1);
    page_.Show(step, StepImage::Ready);
    page_.Show(step, StepImage::Working);
    page_.Show(StatusImage::Pass);
    page_.Show(StatusImage::Wait);
    guard = 0;
}

}  // namespace burnmark
