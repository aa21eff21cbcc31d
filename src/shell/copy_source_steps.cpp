#include "shell/copy_source_steps.h"

#include "catalogue/device_facts.h"

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
        case LoadEnd::Ignored:
        case LoadEnd::NoDevice:
        case LoadEnd::Cancelled:
            return;
        default:
            break;  // the dialog closed with its Load button
    }
    AfterBufferLoad(shownBefore);
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
