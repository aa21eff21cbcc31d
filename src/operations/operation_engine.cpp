#include "operations/operation_engine.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "catalogue/device_facts.h"
#include "platform/number.h"

namespace burnmark {

namespace {

constexpr uint64_t kBank8 = 0x10000;   // one 64 KB bank of an 8-bit device
constexpr uint64_t kBank16 = 0x20000;  // one 128 KB bank (two chunks) of a 16-bit device
constexpr int kPumpPasses = 100;

}  // namespace

// ---- Free helpers -------------------------------------------------------------------------

DataWidth OperationDataWidth(const DeviceRecord& device) {
    const DeviceParamBlock& b = device.DeviceParamBlock;
    const uint64_t size =
        DeviceSizeInAddresses(b.Word(param::max_address_Hi), b.Word(param::max_address_Low),
                              b.Word(param::ext_address_Hi), b.Word(param::ext_address_Low));
    return ClassifyDataWidth(device.Data_Width, DataWidthSpellings::Loader, size);
}

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
    const uint64_t placed = std::min<uint64_t>(
        {count, uint64_t{kChunkLength}, uint64_t{destination.size()} - at});
    std::memcpy(destination.data() + at, chunk.bytes.data(), static_cast<std::size_t>(placed));
    return placed;
}

// ---- Construction and scope ------------------------------------------------------------------

OperationEngine::OperationEngine(DeviceRecord& device, DeviceOptions& options,
                                 DataBuffer& buffer, FuseMap& fuseMap, ProgrammerLink& link,
                                 CopyPageModel& page, Messages& messages, SoundPlayer& sounds,
                                 Pump& pump)
    : device_(device),
      options_(options),
      buffer_(buffer),
      fuseMap_(fuseMap),
      link_(link),
      page_(page),
      messages_(messages),
      sounds_(sounds),
      pump_(pump) {}

OperationEngine::OperationScope::OperationScope(OperationEngine& engine) : engine_(engine) {
    if (engine_.scopeDepth_++ == 0) engine_.failShown_ = false;
}

OperationEngine::OperationScope::~OperationScope() { --engine_.scopeDepth_; }

std::unique_ptr<TransferChunk> OperationEngine::AllocateChunk() {
    try {
        return std::make_unique<TransferChunk>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// ---- Frame ---------------------------------------------------------------------------------

void OperationEngine::WaitAndPump() {
    page_.Hide(StatusImage::Pass);
    for (int i = 0; i < kPumpPasses; ++i) {
        // Stop leaves Pass hidden: the run reads that as a failed step.
        if (Run.StopFlag) return;
        pump_.YieldSlice();
        pump_.ProcessEvents();
    }
    page_.Show(StatusImage::Pass);
}

void OperationEngine::ShowOperationFail() {
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

void OperationEngine::FailureSounded() {
    if (scopeDepth_ > 0) failShown_ = true;
}

void OperationEngine::UpdateCopyButtons(int arg) {
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

void OperationEngine::Stop_HintClick() {
    // The operator hears every press, whatever the sound setting says.
    sounds_.FailSoundAlways();
    // That was the failure sound of whatever the press ends.
    FailureSounded();
    Run.StopFlag = 1;
    if (Run.RunActive != 1) return;
    page_.Hide(StatusImage::Pass);
    page_.Hide(StatusImage::Wait);
    Run.RunFailed = 1;
    Run.RunReady = 0;
    Run.RunActive = 0;
    Run.StopFlag = 0;
    // A modal box opened here would sit inside the transfer's wait: the run
    // shows it once the step has returned.
    userStopPending_ = true;
}

bool OperationEngine::TakeUserStop() {
    const bool due = userStopPending_;
    userStopPending_ = false;
    return due;
}

void OperationEngine::EnableCopyButtons() {
    static constexpr CopyControl kOrder[] = {
        CopyControl::CopyEraseBtn, CopyControl::CopyCheckBtn,    CopyControl::CopyProgramBtn,
        CopyControl::CopyVerifyBtn, CopyControl::CopySecurityBtn, CopyControl::CopyConfirmBtn,
        CopyControl::Panel9,       CopyControl::Panel8,          CopyControl::Run_Hint,
        CopyControl::Stop_Hint,    CopyControl::Stop,            CopyControl::Run,
    };
    for (CopyControl control : kOrder) page_.SetEnabled(control, true);
}

// ---- Shared pieces ---------------------------------------------------------------------------

bool OperationEngine::DeviceUsable() const {
    return device_.DeviceValid && device_.FpgaFileMissing == 0;
}

bool OperationEngine::RunFirstSetup() {
    return link_.FirstSetup(MakeSetupDevice(device_, IsFirstSetup(device_.Manufacturer)));
}

void OperationEngine::FailStep(CopyStep step) {
    page_.Hide(step, StepImage::Working);
    page_.Hide(step, StepImage::Pass);
    page_.Show(step, StepImage::Fail);
    ShowOperationFail();
}

void OperationEngine::SetupFailStep(CopyStep step) {
    FailStep(step);
    // The step reads "ready" again, with its failed picture beneath.
    page_.Show(step, StepImage::Ready);
}

bool OperationEngine::ExtAreaNotEmpty() const {
    return Word(param::ext_address_Hi) != 0 || Word(param::ext_address_Low) != 0;
}

void OperationEngine::PassSoundIfDue(bool ignoreRun) {
    // After Stop, RunActive is 0 while the run is still going: the run alone
    // decides its sound.
    if (page_.Visible(StatusImage::Pass) && (ignoreRun || (Run.RunActive == 0 && runDepth_ == 0)))
        sounds_.PassSound();
}

bool OperationEngine::Offers(CopyStep step) const {
    switch (step) {
        case CopyStep::Read:
        case CopyStep::Confirm: return Word(param::read_mode) != 0;
        case CopyStep::Erase: return Word(param::erase_mode) != 0;
        case CopyStep::Check: return Word(param::blank_mode) != 0;
        case CopyStep::Program: return Word(param::prog_mode) != 0;
        case CopyStep::Verify: return Word(param::verify_mode) != 0;
        case CopyStep::Secur: return Word(param::prot_mode) != 0;
        default: return true;  // the source steps are always there
    }
}

uint16_t OperationEngine::Word(std::size_t offset) const {
    return device_.DeviceParamBlock.Word(offset);
}

void OperationEngine::SetTransferWords(uint16_t offset, uint16_t bank, uint16_t small) {
    DeviceParamBlock& block = device_.DeviceParamBlock;
    block.SetWord(param::TransferOffset, offset);
    block.SetWord(param::TransferBank, bank);
    block.SetWord(param::TransferSize, small);
}

void OperationEngine::SetVoltages(VoltageIndex vcc) {
    DeviceParamBlock& block = device_.DeviceParamBlock;
    block.SetWord(param::CurrentVcc, device_.Voltages[vcc]);
    block.SetWord(param::CurrentVpp, device_.Voltages[vcc + 1]);
    block.SetWord(param::CurrentVhh, device_.Voltages[vcc + 2]);
}

uint64_t OperationEngine::FirstBank() const {
    if (device_.StartAddress == 0) return 0;
    // The device file's own text names the bank; the block word holds the same
    // number when the text is not one.
    const std::optional<int32_t> bank = StrToInt(device_.StartAddressHiText);
    if (bank && *bank >= 0) return static_cast<uint64_t>(*bank);
    return Word(param::start_address_Hi);
}

BufferLock OperationEngine::LockDataBuffer() {
    if (!buffer_.HasBlock()) {
        messages_.ShowMessage(kErrNoBufferHandle);
        return {};
    }
    BufferLock lock = buffer_.GetBufferHandle();
    if (!lock) messages_.ShowMessage(kErrLockFailed);
    return lock;
}

// ---- Erase and blank check -------------------------------------------------------------------

struct OperationEngine::SimpleOperation {
    CopyStep step;
    uint32_t OperationGuards::*guard;
    bool extAreaInSize;  // erase counts the extended area into the small size
    VoltageIndex voltages;
    int32_t barAfterStartWords;
    int32_t barAfterPump;
    int32_t barBeforeSend;
    uint16_t operation;
};

bool OperationEngine::RunSimple(const SimpleOperation& op, int mode) {
    OperationScope scope(*this);
    auto finish = [&] {
        page_.FillBar21();
        page_.SetBar21Visible(false);
        page_.SetBar2Visible(true);
        return true;
    };

    page_.SetBar21Visible(true);
    page_.SetBar2Visible(false);
    page_.SetBar21Position(10);
    page_.Hide(op.step, StepImage::Ready);
    page_.Hide(op.step, StepImage::Highlight);

    const uint64_t H = Word(param::max_address_Hi), L = Word(param::max_address_Low);
    const uint64_t EH = Word(param::ext_address_Hi), EL = Word(param::ext_address_Low);
    if (device_.StartAddress != 0)
        SetTransferWords(Word(param::start_address_Low), Word(param::start_address_Hi),
                         Word(param::TransferSize));
    else
        SetTransferWords(0, 0, Word(param::TransferSize));
    uint64_t extent = (H << 16) | L;
    if (op.extAreaInSize) extent += (EH << 16) | EL;
    const uint16_t small = extent + 1 < 0x10000 ? static_cast<uint16_t>(extent) : 0;
    page_.SetBar21Position(op.barAfterStartWords);

    if (Guards.*op.guard) return finish();

    bool setUp = DeviceUsable();
    if (setUp && mode == kModeReady) {
        setUp = RunFirstSetup();
    } else if (setUp && mode == kModeRerun) {
        page_.Hide(op.step, StepImage::Pass);
        page_.Show(op.step, StepImage::Working);
        setUp = RunFirstSetup();
    }
    if (!setUp) {
        SetupFailStep(op.step);
        return false;
    }

    WaitAndPump();
    page_.Hide(op.step, StepImage::Working);
    page_.SetBar21Position(op.barAfterPump);
    device_.DeviceParamBlock.SetWord(param::TransferSize, small);
    SetVoltages(op.voltages);
    page_.SetBar21Position(op.barBeforeSend);
    // A block that did not arrive leaves the previous operation's voltages in
    // the programmer: nothing may be executed on them.
    if (!link_.SendParamBlock(device_.DeviceParamBlock.Sent())) {
        FailStep(op.step);
        return false;
    }

    page_.Hide(StatusImage::Pass);
    page_.Show(StatusImage::Wait);
    if (!link_.Execute(op.operation)) {
        ShowOperationFail();
        messages_.ShowMessage(kErrExecute);
        FailStep(op.step);
        return false;
    }
    OperationStatus status;
    if (!link_.ReadStatus(status) || !status.Pass()) {
        FailStep(op.step);
        return false;
    }

    page_.Hide(op.step, StepImage::Working);
    page_.Show(op.step, StepImage::Pass);
    page_.Show(StatusImage::Pass);
    PassSoundIfDue();
    return finish();
}

bool OperationEngine::erase_1Click(int mode) {
    static constexpr SimpleOperation kErase{CopyStep::Erase, &OperationGuards::EraseGuard, true,
                                            kEraseVcc, 20, 30, 85, OpErase};
    return RunSimple(kErase, mode);
}

bool OperationEngine::check_1Click(int mode) {
    static constexpr SimpleOperation kBlank{CopyStep::Check, &OperationGuards::BlankGuard, false,
                                            kReadVcc, 30, 60, 60, OpBlankCheck};
    return RunSimple(kBlank, mode);
}

// ---- Protect ---------------------------------------------------------------------------------

bool OperationEngine::ProtectDevice(int mode) {
    (void)mode;  // protect sets the programmer up in every mode
    OperationScope scope(*this);
    constexpr CopyStep step = CopyStep::Secur;
    auto finish = [&] {
        page_.FillBar21();
        page_.SetBar21Visible(false);
        page_.SetBar2Visible(true);
        return true;
    };

    // The voltages travel with the set-up's parameter block.
    SetVoltages(kProtectVcc);
    page_.SetBar21Visible(true);
    page_.SetBar2Visible(false);
    page_.SetBar21Position(10);
    page_.Hide(step, StepImage::Ready);
    page_.Hide(step, StepImage::Highlight);

    if (Guards.SecurityGuard) return finish();

    if (!DeviceUsable() || !RunFirstSetup()) {
        SetupFailStep(step);
        return false;
    }
    WaitAndPump();
    page_.Hide(step, StepImage::Working);
    page_.SetBar21Position(40);

    // Option words written to a page nobody selected would protect the chip
    // with whatever the programmer held: the step ends here.
    if (!link_.ChangePage(0, 0)) {
        messages_.ShowMessage(kErrChangePage);
        FailStep(step);
        return false;
    }
    if (optionSender_ && !optionSender_->SendOptionData()) {
        FailStep(step);
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
        FailStep(step);
        return false;
    }
    if (!link_.DataWrite(words)) {
        ShowOperationFail();
        if (device_.FuseTypeDigit == 1) messages_.ShowMessage(kErrBlockReadData);
        FailStep(step);
        return false;
    }

    page_.Hide(StatusImage::Pass);
    page_.Show(StatusImage::Wait);
    page_.SetBar21Position(85);
    if (!link_.Execute(OpProtect)) {
        ShowOperationFail();
        messages_.ShowMessage(kErrExecuteProtect);
        FailStep(step);
        return false;
    }
    OperationStatus status;
    if (!link_.ReadStatus(status) || !status.Pass()) {
        FailStep(step);
        return false;
    }
    page_.Hide(step, StepImage::Working);
    page_.Show(step, StepImage::Pass);
    page_.Show(StatusImage::Pass);
    PassSoundIfDue();
    return finish();
}

// ---- Chunk transfer --------------------------------------------------------------------------

struct OperationEngine::ChunkPlan {
    // Pass hidden and Wait shown before the transfer (the 8-bit paths).
    bool switchStatus = false;
    // prog_w shown after the data is in (8-bit program and download).
    bool showWorkingAfterData = false;
    // 0: only download, no routine is run.
    uint16_t operation = 0;
    const char* secondHalfText = kErrReadData;
};

bool OperationEngine::SendChunk(const ChunkPlan& plan, const TransferChunk& chunk) {
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

bool OperationEngine::program_1Click(int mode) {
    OperationScope scope(*this);
    constexpr CopyStep step = CopyStep::Program;
    const DataWidth width = OperationDataWidth(device_);
    const uint64_t H = Word(param::max_address_Hi), L = Word(param::max_address_Low);

    uint64_t banks = H == 0 ? 1 : H;
    uint64_t S = 0;
    if (width == DataWidth::Word16) S = (((H << 16) | L) * 2) + 2;
    if (width == DataWidth::Byte8) S = (H << 16) | L;
    uint16_t small = 0;
    if (S < 0x10000) {
        small = static_cast<uint16_t>(S);
    } else if (width == DataWidth::Word16) {
        if (H >= 1 && L != 0 && banks * kBank16 < S) ++banks;
    } else if (banks * kBank8 < S) {
        ++banks;
    }
    bool sized = true;
    if (S > buffer_.GetBufferSize())
        sized = S <= kMaxBufferBytes && buffer_.SetBufferSize(static_cast<uint32_t>(S));

    page_.SetBar2Maximum(static_cast<int32_t>(banks + 1));
    page_.SetBar2Position(static_cast<int32_t>((banks + 1) / 2));
    page_.Hide(step, StepImage::Ready);
    page_.Hide(step, StepImage::Highlight);
    page_.Show(step, StepImage::Working);
    SetVoltages(kProgramVcc);

    if (Guards.ProgramGuard) return true;

    page_.Hide(step, StepImage::Ready);
    page_.Hide(step, StepImage::Highlight);
    // A width the operations do not know programs nothing: that is no pass.
    if (width == DataWidth::Neither || !sized) {
        FailStep(step);
        return false;
    }
    bool setUp = DeviceUsable();
    if (setUp && mode == kModeReady) {
        setUp = RunFirstSetup();
    } else if (setUp && mode == kModeRerun) {
        page_.Hide(step, StepImage::Pass);
        page_.Show(step, StepImage::Working);
        setUp = RunFirstSetup();
    }
    if (!setUp) {
        SetupFailStep(step);
        return false;
    }
    WaitAndPump();
    page_.Hide(step, StepImage::Working);

    // A start bank at or past the last bank would program nothing: no pass.
    const uint64_t firstBank = FirstBank();
    if (firstBank >= banks) {
        FailStep(step);
        return false;
    }
    BufferLock lock;
    std::span<const uint8_t> source;

    if (width == DataWidth::Byte8) {
        if (device_.HasFuseMap) {
            if (!fuseMap_.HasBlock()) {
                messages_.ShowMessage(kErrLockFailed);
                FailStep(step);
                return false;
            }
            source = fuseMap_.GetFuseBuffer();
        } else {
            lock = LockDataBuffer();
            if (!lock) {
                FailStep(step);
                return false;
            }
            source = lock.Bytes();
        }
        const ChunkPlan plan{true, true, OpProgram, kErrReadData};
        for (uint64_t b = firstBank; b < banks; ++b) {
            page_.SetBar2Position(static_cast<int32_t>(b + 1));
            std::unique_ptr<TransferChunk> chunk = AllocateChunk();
            if (!chunk) {
                messages_.ShowMessage(kErrChunkAlloc);
                FailStep(step);
                Run.ReadOkFlag = 0;
                return false;
            }
            FillChunk(*chunk, source, b * kBank8, source.size());
            SetTransferWords(0, static_cast<uint16_t>(b), small);
            if (!SendChunk(plan, *chunk)) {
                FailStep(step);
                return false;
            }
            page_.Hide(step, StepImage::Working);
            page_.Show(step, StepImage::Pass);
            page_.Show(StatusImage::Pass);
        }
    } else {
        lock = LockDataBuffer();
        if (!lock) {
            FailStep(step);
            return false;
        }
        source = lock.Bytes();
        const ChunkPlan plan{false, false, OpProgram, kErrReadData};
        auto sendHalf = [&](uint64_t b, uint16_t offsetWord) {
            std::unique_ptr<TransferChunk> chunk = AllocateChunk();
            if (!chunk) {
                messages_.ShowMessage(kErrChunkAlloc);
                return false;
            }
            const uint64_t start = b * kBank16 + (offsetWord ? kChunkLength : 0);
            FillChunk(*chunk, source, start, source.size());
            SetTransferWords(offsetWord, static_cast<uint16_t>(b), small);
            if (!SendChunk(plan, *chunk)) return false;
            page_.Hide(step, StepImage::Working);
            page_.Show(step, StepImage::Pass);
            page_.Show(StatusImage::Pass);
            return true;
        };
        for (uint64_t b = firstBank; b < banks; ++b) {
            page_.SetBar2Position(static_cast<int32_t>(b));
            if (!sendHalf(b, 0) || (S > 0x10000 && !sendHalf(b, 0x8000))) {
                FailStep(step);
                return false;
            }
        }
    }

    page_.FillBar2();
    lock.Release();
    PassSoundIfDue();
    return true;
}

// ---- Extended-area program --------------------------------------------------------------------

bool OperationEngine::ProgramExtArea() {
    OperationScope scope(*this);
    constexpr CopyStep step = CopyStep::Program;
    const DataWidth width = OperationDataWidth(device_);
    const uint64_t EH = Word(param::ext_address_Hi), EL = Word(param::ext_address_Low);

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
    const uint64_t bankBytes = width == DataWidth::Word16 ? kBank16 : kBank8;
    const uint64_t banks = std::max<uint64_t>(1, (area.bytes + bankBytes - 1) / bankBytes);
    const uint64_t areaEnd = area.offset + area.bytes;

    page_.Hide(step, StepImage::Ready);
    page_.Hide(step, StepImage::Highlight);
    page_.Show(step, StepImage::Working);
    SetVoltages(kProgramVcc);

    if (Guards.ProgramGuard) return true;

    page_.Hide(step, StepImage::Ready);
    page_.Hide(step, StepImage::Highlight);
    if (width == DataWidth::Neither) {
        FailStep(step);
        return false;
    }
    if (!DeviceUsable()) {
        SetupFailStep(step);
        return false;
    }
    WaitAndPump();
    page_.Hide(step, StepImage::Working);

    BufferLock lock = LockDataBuffer();
    if (!lock) {
        FailStep(step);
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
        std::unique_ptr<TransferChunk> chunk = AllocateChunk();
        if (!chunk) {
            messages_.ShowMessage(kErrChunkAlloc);
            return false;
        }
        const uint64_t start = area.offset + b * bankBytes + (offsetWord ? kChunkLength : 0);
        FillChunk(*chunk, source, start, areaEnd);
        SetTransferWords(offsetWord, static_cast<uint16_t>(b), sizeWord);
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
        if (ok && wide && area.bytes > b * kBank16 + kChunkLength) ok = sendChunk(b, 0x8000);
        if (!ok) {
            FailStep(step);
            return false;
        }
    }
    lock.Release();
    page_.FillBar2();
    return true;
}

// ---- Buffer download ------------------------------------------------------------------------

bool OperationEngine::SendBufferToProgrammer() {
    OperationScope scope(*this);
    const DataWidth width = OperationDataWidth(device_);
    const uint64_t H = Word(param::max_address_Hi), L = Word(param::max_address_Low);

    uint64_t banks = H;
    if (H >= 1 && L != 0) ++banks;
    if (banks == 0) banks = 1;
    const uint64_t deviceBytes = device_.DeviceBytes;
    const uint64_t T = deviceBytes + 1;
    const uint16_t small = T < 0x10000 ? static_cast<uint16_t>(T) : 0;
    if (T >= 0x10000 && H >= 1 && L != 0 && banks * kBank16 < deviceBytes) ++banks;

    if (Guards.ProgramGuard) return true;
    if (width == DataWidth::Neither || !DeviceUsable()) {
        ShowOperationFail();
        return false;
    }
    WaitAndPump();

    BufferLock lock = LockDataBuffer();
    if (!lock) {
        ShowOperationFail();
        return false;
    }
    const std::span<const uint8_t> source = lock.Bytes();
    const bool wide = width == DataWidth::Word16;
    const ChunkPlan plan{!wide, !wide, 0, kErrReadData};
    auto sendChunk = [&](uint64_t start, uint16_t offsetWord, uint64_t b) {
        std::unique_ptr<TransferChunk> chunk = AllocateChunk();
        if (!chunk) {
            messages_.ShowMessage(kErrChunkAlloc);
            return false;
        }
        FillChunk(*chunk, source, start, source.size());
        SetTransferWords(offsetWord, static_cast<uint16_t>(b), small);
        return SendChunk(plan, *chunk);
    };
    for (uint64_t b = 0; b < banks; ++b) {
        bool ok;
        if (wide) {
            ok = sendChunk(b * kBank16, 0, b);
            if (ok && T > 0x10000) ok = sendChunk(b * kBank16 + kChunkLength, 0x8000, b);
        } else {
            ok = sendChunk(b * kBank8, 0, b);
        }
        if (!ok) {
            ShowOperationFail();
            return false;
        }
    }
    return true;
}

// ---- Picture handlers -------------------------------------------------------------------------

// A pass or fail picture's reset before the step runs again: the guard is held
// while UpdateCopyButtons pumps, so a click on the same step meanwhile sends
// nothing.
void OperationEngine::ResetForRerun(CopyStep step, uint32_t& guard) {
    guard = 1;
    UpdateCopyButtons(1);
    page_.Show(step, StepImage::Ready);
    page_.Show(step, StepImage::Working);
    page_.Show(StatusImage::Pass);
    page_.Show(StatusImage::Wait);
    guard = 0;
}

void OperationEngine::erace_nClick() {
    OperationScope scope(*this);
    UpdateCopyButtons(2);
    erase_1Click(kModeReady);
}

void OperationEngine::EraseRerun() {
    OperationScope scope(*this);
    ResetForRerun(CopyStep::Erase, Guards.EraseGuard);
    erase_1Click(kModeRerun);
    Guards.EraseGuard = 0;
}

void OperationEngine::check_nClick() {
    OperationScope scope(*this);
    UpdateCopyButtons(2);
    check_1Click(kModeReady);
}

void OperationEngine::CheckRerun() {
    OperationScope scope(*this);
    ResetForRerun(CopyStep::Check, Guards.BlankGuard);
    check_1Click(kModeRerun);
    Guards.BlankGuard = 0;
}

void OperationEngine::secur_nClick() {
    OperationScope scope(*this);
    UpdateCopyButtons(2);
    ProtectDevice(kModeReady);
}

void OperationEngine::SecurRerun() {
    OperationScope scope(*this);
    ResetForRerun(CopyStep::Secur, Guards.SecurityGuard);
    ProtectDevice(kModeRerun);
    // The re-run sounds its pass once more, run or no run.
    PassSoundIfDue(true);
    Guards.SecurityGuard = 0;
}

void OperationEngine::ProgramWithExtArea(int mode, bool rerun) {
    bool ok = program_1Click(mode);
    if (ok && device_.FuseTypeDigit != 1 && ExtAreaNotEmpty()) {
        if (!ProgramExtArea()) {
            ShowOperationFail();
            Run.RunActive = 0;
            Run.RunFailed = 1;
            ok = false;
        }
    }
    if (ok) PassSoundIfDue(rerun);
}

void OperationEngine::prog_nClick() {
    OperationScope scope(*this);
    UpdateCopyButtons(2);
    ProgramWithExtArea(kModeReady, false);
}

void OperationEngine::ProgRerun() {
    OperationScope scope(*this);
    ResetForRerun(CopyStep::Program, Guards.ProgramGuard);
    ProgramWithExtArea(kModeRerun, true);
    Guards.ProgramGuard = 0;
}

}  // namespace burnmark
