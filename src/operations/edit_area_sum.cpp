#include "operations/edit_area_sum.h"

#include "catalogue/device_facts.h"
#include "catalogue/device_loader.h"

namespace burnmark {

bool EditAreaSum::v_HintClick() {
    OperationFrame::OperationScope scope(frame_);
    DeviceRecord& device = frame_.Device();
    DataBuffer& buffer = frame_.Buffer();
    ProgrammerLink& link = frame_.Link();
    if (device.FuseTypeDigit != 1) {
        if (sizing_) buffer.SetBufferSize(MergeDeviceBufferSize(device, *sizing_));
        // The one device range, as the Load step and the read show it.
        const std::optional<DeviceByteRange> range = DeviceChecksumRange(device);
        const bool shown =
            range && checksum_ && checksum_->ShowBufferSum(buffer, range->start, range->end, 0);
        frame_.EnableCopyButtons();
        return shown;
    }

    // The programmer's checksum of the buffer with the device's options.
    frame_.SetVoltages(kReadVcc);
    // Half a definition (or the previous device's image) must not reach it.
    if (!frame_.DeviceUsable()) {
        frame_.ShowOperationFail();
        return false;
    }
    if (!link.Reopen()) {
        frame_.ShowOperationFail();
        frame_.Operator().ShowMessage(link.HardwareMissingMessage);
        return false;
    }
    if (!link.SendFpgaPages() || !link.SendParamBlock(device.DeviceParamBlock.Sent())) return false;
    // Without the buffer the sum would be the one of whatever the programmer held.
    if (!downloads_.SendBufferToProgrammer()) return false;
    if (!link.Execute(OpApplyOptions)) {
        frame_.ShowOperationFail();
        frame_.Operator().ShowMessage(kErrExecute49);
        return false;
    }
    OperationStatus status;
    if (!link.ReadStatus(status) || !status.Pass()) {
        frame_.ShowOperationFail();
        return false;
    }
    if (checksum_) checksum_->ShowChecksum(status.Checksum());
    frame_.EnableCopyButtons();
    return true;
}

}  // namespace burnmark
