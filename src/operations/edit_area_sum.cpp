// The Edit area's OK: back on the Copy page, the device's sum in SumEdit.
#include "catalogue/device_facts.h"
#include "catalogue/device_loader.h"
#include "operations/operation_engine.h"

namespace burnmark {

bool OperationEngine::v_HintClick() {
    OperationScope scope(*this);
    if (device_.FuseTypeDigit != 1) {
        if (sizing_) buffer_.SetBufferSize(MergeDeviceBufferSize(device_, *sizing_));
        // The one device range, as the Load step and the read show it.
        const std::optional<DeviceByteRange> range = DeviceChecksumRange(device_);
        const bool shown =
            range && checksum_ && checksum_->ShowBufferSum(buffer_, range->start, range->end, 0);
        EnableCopyButtons();
        return shown;
    }

    // The programmer's checksum of the buffer with the device's options.
    SetVoltages(kReadVcc);
    // Half a definition (or the previous device's image) must not reach it.
    if (!DeviceUsable()) {
        ShowOperationFail();
        return false;
    }
    if (!link_.Reopen()) {
        ShowOperationFail();
        messages_.ShowMessage(link_.HardwareMissingMessage);
        return false;
    }
    if (!link_.SendFpgaPages() || !link_.SendParamBlock(device_.DeviceParamBlock.Sent()))
        return false;
    // Without the buffer the sum would be the one of whatever the programmer held.
    if (!SendBufferToProgrammer()) return false;
    if (!link_.Execute(OpApplyOptions)) {
        ShowOperationFail();
        messages_.ShowMessage(kErrExecute49);
        return false;
    }
    OperationStatus status;
    if (!link_.ReadStatus(status) || !status.Pass()) {
        ShowOperationFail();
        return false;
    }
    if (checksum_) checksum_->ShowChecksum(status.Checksum());
    EnableCopyButtons();
    return true;
}

}  // namespace burnmark
