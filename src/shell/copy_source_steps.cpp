#include "shell/copy_source_steps.h"

#include "flow/file_dialogs.h"
#include "catalogue/device_facts.h"
#include "link/programmer_requests.h"
#include "shell/start_up.h"

namespace burnmark {

std::optional<EditorPage> EditPageForWidth(std::string_view dataWidth) {
    switch (ClassifyDataWidth(dataWidth, DataWidthSpellings::Short8)) {
        case DataWidth::Byte8: return EditorPage::Bits8;
        case DataWidth::Word16: return EditorPage::Bits16;
        case DataWidth::Neither: break;
    }
    return std::nullopt;
}

namespace {

// The load dialog's Load button pressed on a file named without the dialog.
// The name it would put in LoadPathEdit is kept for after the load: a file
// that did not land must not be named as what the buffer holds.
class NamedFileLoad : public LoadDialogPort {
public:
    explicit NamedFileLoad(std::string path) : path_(std::move(path)) {}
    std::optional<LoadSettings> RunLoadDialog(LoadDialogLogic& logic) override {
        LoadDialogFields fields;
        fields.name = path_;
        const FileRangeTexts range = FillFileRange(path_);
        fields.sourceStart = range.start;
        fields.sourceEnd = range.end;
        return logic.Accept(fields);
    }
    void SetLoadPathEdit(const std::string& name) override { shownName_ = name; }
    const std::string& ShownName() const { return shownName_; }

private:
    std::string path_;
    std::string shownName_;
};

class NamedFuseFile : public FuseFileChooser {
public:
    explicit NamedFuseFile(std::string path) : path_(std::move(path)) {}
    std::string ChooseJedecToLoad() override { return path_; }
    std::string ChooseJedecToSave() override { return {}; }

private:
    std::string path_;
};

}  // namespace

void CopySourceSteps::LoadStepClick() {
    if (p_.state.Busy.Busy()) return;
    if (p_.device.HasFuseMap == 1) {
        if (fuseFiles_) LoadFuseMapFile(*fuseFiles_);
        return;
    }
    if (loadDialog_) LoadBufferFile(*loadDialog_);
}

bool CopySourceSteps::LoadNamedFile(const std::string& path) {
    if (p_.state.Busy.Busy() || path.empty()) return false;
    if (p_.device.HasFuseMap == 1) {
        NamedFuseFile chooser(path);
        return LoadFuseMapFile(chooser);
    }
    NamedFileLoad dialog(path);
    const LoadEnd end = LoadBufferFile(dialog);
    // The exchange that failed after the load has the file in the buffer.
    const bool landed = end == LoadEnd::Loaded || end == LoadEnd::ExchangeFailed;
    if (landed && ShowLoadPath) ShowLoadPath(dialog.ShownName());
    return landed;
}

LoadEnd CopySourceSteps::LoadBufferFile(LoadDialogPort& dialog) {
    const uint32_t shownBefore = p_.checksum.LastChecksum();
    const LoadEnd end = p_.loader.LoadFileClick(dialog);
    switch (end) {
        case LoadEnd::NoDevice:
            // The load needs a device first: the Type step, which runs the
            // load again once one is chosen, but only once per click.
            if (!continuingLoad_ && p_.loader.LoadPending == 1) TypeStepClick();
            return end;
        case LoadEnd::Ignored:
        case LoadEnd::Cancelled: return end;
        // The option-type-1 exchange stopped at a failing programmer step and
        // said so (a missing programmer among them): the rest would only talk
        // to it again and tell the operator a second time.
        case LoadEnd::ExchangeFailed: return end;
        default: break;  // the dialog closed with its Load button
    }
    AfterBufferLoad(shownBefore, end == LoadEnd::Loaded);
    return end;
}

void CopySourceSteps::TypeStepClick() {
    if (p_.state.Busy.Busy() || !selectDialog_) return;
    p_.page.Hide(CopyStep::Type, StepImage::Highlight);
    p_.page.Show(CopyStep::Type, StepImage::Working);
    RunDeviceDialog();
    p_.page.Show(CopyStep::Type, StepImage::Working);
    p_.page.Show(CopyStep::Type, StepImage::Ready);
    FollowTakenDevice();
    if (p_.loader.LoadPending == 1) {
        p_.loader.LoadPending = 0;
        continuingLoad_ = true;
        LoadStepClick();
        continuingLoad_ = false;
    }
}

bool CopySourceSteps::Image14Click() {
    if (p_.state.Busy.Busy() || !selectDialog_) return false;
    const bool taken = RunDeviceDialog();
    FollowTakenDevice();
    return taken;
}

bool CopySourceSteps::RunDeviceDialog() {
    // Only an OK takes a device: a dialog that could not be shown chose none.
    p_.device.Cancelled = 1;
    selectDialog_->RunSelectDialog();
    if (p_.device.Cancelled != 0) return false;
    ShowTakenDevice();
    return true;
}

void CopySourceSteps::ShowTakenDevice() {
    const DeviceRecord& device = p_.device;
    // The dialog's OK has loaded the definition: it is not loaded again.
    if (device.IC_Information1 != "None") p_.messages.ShowMessage(device.InfoText);
    // The names of the device in force, not whatever the edits held.
    if (ShowSelectedType) ShowSelectedType(device.Manufacturer, device.TypeNum);
}

void CopySourceSteps::FollowTakenDevice() {
    BusyScope busy(p_.state.Busy);
    p_.options.VerifyListWanted = VerifyListWantedFor(p_.device);
    p_.frame.Run.RunReady = 1;
    if (p_.device.TypeChanged) {
        p_.frame.UpdateCopyButtons(0);
        FuseMapForNewDevice();
    }
}

void CopySourceSteps::DeviceTakenByName() {
    ShowTakenDevice();
    FollowTakenDevice();
}

void CopySourceSteps::ReofferSteps(bool previousTypeChanged) {
    if (!previousTypeChanged) {
        // Only the steps the device offers: a step without its mode word would
        // offer an operation the chip does not have.
        const DeviceParamBlock& block = p_.device.DeviceParamBlock;
        struct Step {
            CopyStep step;
            CopyControl panel;
            std::size_t mode;
        };
        const Step steps[] = {{CopyStep::Erase, CopyControl::CopyEraseBtn, param::erase_mode},
                              {CopyStep::Check, CopyControl::CopyCheckBtn, param::blank_mode},
                              {CopyStep::Read, CopyControl::CopyReadBtn, param::read_mode}};
        for (const Step& s : steps) {
            if (block.Word(s.mode) == 0) continue;
            p_.page.SetEnabled(s.panel, true);
            for (StepImage image : {StepImage::Ready, StepImage::Working, StepImage::Highlight,
                                    StepImage::Pass, StepImage::Fail}) {
                // Of Read only the ready and working pictures come back.
                const bool readPicture = image == StepImage::Ready || image == StepImage::Working;
                if (s.step != CopyStep::Read || readPicture) p_.page.Show(s.step, image);
            }
        }
        p_.page.SetEnabled(CopyControl::Panel7, true);
        for (StepImage image : {StepImage::Ready, StepImage::Highlight, StepImage::Working})
            p_.page.Show(CopyStep::Load, image);
    }
    p_.page.SetMulti(true);
    p_.page.SetMultiHint(true);
}

void CopySourceSteps::AfterBufferLoad(uint32_t shownBefore, bool landed) {
    BusyScope busy(p_.state.Busy);
    if (p_.device.FuseTypeDigit == 1) {
        // The programmer's checksum is of what it received: a load that did
        // not land sent it nothing, and the field keeps its value.
        if (landed && !ProgrammerChecksumAfterLoad()) return;
    } else {
        // The load sums the range it read without showing it in the field:
        // the colour tells whether the device's sum differs from the one the
        // field showed before, not from that intermediate sum.
        p_.checksum.SetLastChecksum(shownBefore);
        if (const std::optional<DeviceByteRange> range = DeviceChecksumRange(p_.device))
            p_.checksum.ShowBufferSum(p_.buffer, range->start, range->end, 1);
    }
    p_.frame.EnableCopyButtons();
    p_.page.SetMulti(true);
    p_.page.SetMultiHint(true);
    // A load keeps the operator's ticks: the refresh only re-offers the steps.
    p_.frame.UpdateCopyButtons(2);
}

void CopySourceSteps::ProgrammerStepFailed(const char* message) {
    p_.frame.ShowOperationFail();
    p_.messages.ShowMessage(message);
}

void CopySourceSteps::ProgramStepFailed() {
    // The failed picture uncovered: the ready and highlight pictures lie over it.
    p_.page.Hide(CopyStep::Program, StepImage::Ready);
    p_.page.Hide(CopyStep::Program, StepImage::Highlight);
    p_.frame.FailStep(CopyStep::Program);
}

bool CopySourceSteps::ProgrammerChecksumAfterLoad() {
    OperationFrame& frame = p_.frame;
    ProgrammerLink& link = p_.link;
    OperationFrame::OperationScope scope(frame);
    // Half a definition or a missing FPGA image must not reach the programmer;
    // the device's load has said why.
    if (!frame.DeviceUsable()) {
        frame.ShowOperationFail();
        return false;
    }
    if (!link.Reopen()) {
        frame.ShowOperationFail();
        p_.messages.ShowMessage(link.HardwareMissingMessage);
        return false;
    }
    // The link shows the failure display; these steps have no text of their own.
    if (!link.SendParamBlock(p_.device.DeviceParamBlock.Sent()) || !link.SendFpgaPages())
        return false;
    frame.SetVoltages(kReadVcc);
    // A checksum of data the programmer did not receive would be stale.
    if (!p_.downloads.SendBufferToProgrammer()) return false;
    if (!link.Execute(OpExtractOptions)) {
        ProgrammerStepFailed(kErrExecute49);
        return false;
    }
    // A status that did not arrive is no pass: its checksum bytes are not the
    // programmer's answer.
    OperationStatus status;
    if (!link.ReadStatus(status) || !status.Pass()) {
        ProgramStepFailed();
        return false;
    }
    p_.checksum.ShowChecksum(status.Checksum());

    // The block is read aside first: a transfer that failed half way must not
    // leave the previous device's words mixed with stale programmer memory.
    if (!link.BlockRead(kChipOptionAddr, kChipOptionLength)) {
        ProgrammerStepFailed(kErrBlockRead);
        return false;
    }
    std::array<uint8_t, kChipOptionLength> block{};
    if (!link.DataRead(block)) {
        ProgrammerStepFailed(kErrBlockReadData);
        return false;
    }
    for (std::size_t i = 0; i < p_.options.ChipOptionWords.size(); ++i)
        p_.options.ChipOptionWords[i] =
            static_cast<uint16_t>(block[2 * i] | (block[2 * i + 1] << 8));
    if (StoreOptionWords) StoreOptionWords();
    return true;
}

// ---- The fuse map and its editor --------------------------------------------------------------

bool CopySourceSteps::CreateFuseMapEditor() {
    if (!fuseEditor_ && MakeFuseMapEditor) {
        try {
            fuseEditor_ = MakeFuseMapEditor();
        } catch (...) {
            fuseEditor_ = nullptr;
        }
    }
    return fuseEditor_ != nullptr;
}

void CopySourceSteps::InitFuseMapForDevice() {
    p_.fuses.InitFuseBuffer(FuseGeometry{p_.device.FuseCount, p_.device.FuseCols,
                                         p_.device.FuseRows, p_.device.PinCount, p_.device.Intact});
    if (fuseEditor_) fuseEditor_->Rebind();
}

bool CopySourceSteps::FuseMapForNewDevice() {
    if (p_.state.Form2Created == 1) {
        p_.fuses.FreeFuseBuffer();
        p_.state.Form2Created = 0;
    }
    if (p_.device.HasFuseMap != 1) {
        // The one editor stays, but it shows no map of another device.
        if (fuseEditor_) fuseEditor_->Rebind();
        return true;
    }
    if (!CreateFuseMapEditor()) {
        p_.messages.MessageBox(kFuseEditorMissingText, kProductCaption, MsgButtons::Ok,
                               MsgIcon::Error);
        return false;
    }
    p_.state.Form2Created = 1;
    InitFuseMapForDevice();
    return true;
}

bool CopySourceSteps::FuseEditorMade() {
    if (fuseEditor_) return true;
    p_.messages.ShowMessage(kFuseEditorMissingText);
    p_.frame.ShowOperationFail();
    return false;
}

bool CopySourceSteps::FuseMapReady() {
    if (p_.fuses.HasBlock()) return true;
    // The map could not be built for this device (that was reported at the
    // load): there is nothing to load into and no rows to write.
    p_.messages.ShowMessage(kErrLockFailed);
    p_.frame.ShowOperationFail();
    return false;
}

bool CopySourceSteps::LoadFuseMapFile(FuseFileChooser& chooser) {
    if (!FuseEditorMade()) return false;
    const std::string path = chooser.ChooseJedecToLoad();
    if (path.empty()) return false;
    BusyScope busy(p_.state.Busy);
    if (!FuseMapReady()) return false;
    FuseLoadStatus status;
    {
        BufferLock lock = p_.buffer.GetBufferHandle();
        status = p_.fuses.LoadJedecFile(path, lock ? lock.Bytes() : std::span<uint8_t>{});
        if (lock && status == FuseLoadStatus::Loaded) lock.MarkChanged();
    }
    if (status == FuseLoadStatus::Loaded && ShowLoadPath) ShowLoadPath(p_.fuses.JedecPath());
    p_.page.SetMulti(true);
    p_.page.SetMultiHint(true);
    p_.frame.UpdateCopyButtons(2);
    return status == FuseLoadStatus::Loaded;
}

void CopySourceSteps::SaveStepClick() {
    if (p_.state.Busy.Busy()) return;
    if (p_.device.HasFuseMap == 1) {
        SaveFuseMapFile();
        return;
    }
    if (saveDialog_) p_.saver.SaveFileClick(*saveDialog_);
}

void CopySourceSteps::EditStepClick() {
    if (p_.state.Busy.Busy()) return;
    if (p_.device.HasFuseMap != 1) {
        if (!editArea_) return;
        editArea_->ShowEditArea();
        editArea_->ShowBufferEditor(EditPageForWidth(p_.device.Data_Width));
        return;
    }
    if (!FuseEditorMade() || !FuseMapReady()) return;
    if (ShowCopyPage) ShowCopyPage();
    p_.frame.EnableCopyButtons();
    fuseEditor_->ShowModal();
}

void CopySourceSteps::SaveFuseMapFile() {
    if (!fuseFiles_ || !FuseEditorMade()) return;
    const std::string path = fuseFiles_->ChooseJedecToSave();
    if (path.empty()) return;
    BusyScope busy(p_.state.Busy);
    if (!FuseMapReady()) return;
    p_.fuses.SaveJedecFile(path);
}

}  // namespace burnmark
