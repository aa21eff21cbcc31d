#include "shell/copy_source_steps.h"

#include <exception>

#include "catalogue/device_facts.h"
#include "shell/start_up.h"

namespace burnmark {

void CopySourceSteps::LoadStepClick() {
    if (p_.state.Busy.Busy()) return;
    if (p_.device.HasFuseMap == 1) {
        LoadFuseMapFile();
        return;
    }
    if (!loadDialog_) return;
    const uint32_t shownBefore = p_.checksum.LastChecksum();
    switch (p_.loader.LoadFileClick(*loadDialog_)) {
        case LoadEnd::NoDevice:
            // The load needs a device first: the Type step, which runs the
            // load again once one is chosen, but only once per click.
            if (!continuingLoad_ && p_.loader.LoadPending == 1) TypeStepClick();
            return;
        case LoadEnd::Ignored:
        case LoadEnd::Cancelled: return;
        default: break;  // the dialog closed with its Load button
    }
    AfterBufferLoad(shownBefore);
}

void CopySourceSteps::TypeStepClick() {
    if (p_.state.Busy.Busy() || !selectDialog_) return;
    DeviceRecord& device = p_.device;
    p_.page.Hide(CopyStep::Type, StepImage::Highlight);
    p_.page.Show(CopyStep::Type, StepImage::Working);
    selectDialog_->RunSelectDialog();
    if (device.Cancelled == 0) {
        // The dialog's OK has loaded the definition: it is not loaded again.
        if (device.IC_Information1 != "None") p_.messages.ShowMessage(device.InfoText);
        // The names of the device in force, not whatever the edits held.
        if (ShowSelectedType) ShowSelectedType(device.Manufacturer, device.TypeNum);
    }
    p_.page.Show(CopyStep::Type, StepImage::Working);
    p_.page.Show(CopyStep::Type, StepImage::Ready);
    {
        BusyScope busy(p_.state.Busy);
        p_.options.VerifyListWanted = VerifyListWantedFor(device);
        p_.engine.Run.RunReady = 1;
        if (device.TypeChanged) {
            p_.engine.UpdateCopyButtons(0);
            RebuildFuseMap();
        }
    }
    if (p_.loader.LoadPending == 1) {
        p_.loader.LoadPending = 0;
        continuingLoad_ = true;
        LoadStepClick();
        continuingLoad_ = false;
    }
}

void CopySourceSteps::RebuildFuseMap() {
    try {
        if (p_.state.Form2Created == 1) {
            p_.fuses.FreeFuseBuffer();
            p_.state.Form2Created = 0;
        }
        if (p_.device.HasFuseMap != 1) return;
        // One editor serves every device: it is made once and bound again.
        if (CreateFuseMapEditor) CreateFuseMapEditor();
        p_.state.Form2Created = 1;
        if (InitFuseBuffer) InitFuseBuffer();
    } catch (const std::exception& e) {
        p_.messages.MessageBox(e.what(), kProductCaption, MsgButtons::Ok, MsgIcon::Error);
    } catch (...) {
        p_.messages.MessageBox("Unknown error", kProductCaption, MsgButtons::Ok, MsgIcon::Error);
    }
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

void CopySourceSteps::AfterBufferLoad(uint32_t shownBefore) {
    BusyScope busy(p_.state.Busy);
    if (p_.device.FuseTypeDigit != 1) {
        // The load sums the range it read without showing it in the field:
        // the colour tells whether the device's sum differs from the one the
        // field showed before, not from that intermediate sum.
        p_.checksum.SetLastChecksum(shownBefore);
        if (const std::optional<DeviceByteRange> range = DeviceChecksumRange(p_.device))
            p_.checksum.ShowBufferSum(p_.buffer, range->start, range->end, 1);
    }
    p_.engine.EnableCopyButtons();
    p_.page.SetMulti(true);
    p_.page.SetMultiHint(true);
    // A load keeps the operator's ticks: the refresh only re-offers the steps.
    p_.engine.UpdateCopyButtons(2);
}

bool CopySourceSteps::FuseMapReady() {
    if (p_.fuses.HasBlock()) return true;
    // The map could not be built for this device (that was reported at the
    // load): there is nothing to load into and no rows to write.
    p_.messages.ShowMessage(kErrLockFailed);
    p_.engine.ShowOperationFail();
    return false;
}

void CopySourceSteps::LoadFuseMapFile() {
    if (!fuseFiles_) return;
    const std::string path = fuseFiles_->ChooseJedecToLoad();
    if (path.empty()) return;
    BusyScope busy(p_.state.Busy);
    if (!FuseMapReady()) return;
    FuseLoadStatus status;
    {
        BufferLock lock = p_.buffer.GetBufferHandle();
        status = p_.fuses.LoadJedecFile(path, lock ? lock.Bytes() : std::span<uint8_t>{});
        if (lock && status == FuseLoadStatus::Loaded) lock.MarkChanged();
    }
    if (status == FuseLoadStatus::Loaded && ShowLoadPath) ShowLoadPath(p_.fuses.JedecPath());
    p_.page.SetMulti(true);
    p_.page.SetMultiHint(true);
    p_.engine.UpdateCopyButtons(2);
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
    if (p_.state.Busy.Busy() || p_.device.HasFuseMap != 1) return;
    if (!fuseEditor_ || !FuseMapReady()) return;
    if (ShowCopyPage) ShowCopyPage();
    p_.engine.EnableCopyButtons();
    fuseEditor_->ShowModal();
}

void CopySourceSteps::SaveFuseMapFile() {
    if (!fuseFiles_) return;
    const std::string path = fuseFiles_->ChooseJedecToSave();
    if (path.empty()) return;
    BusyScope busy(p_.state.Busy);
    if (!FuseMapReady()) return;
    p_.fuses.SaveJedecFile(path);
}

}  // namespace burnmark
