#include "operations/device_check.h"

#include "link/programmer_requests.h"

namespace burnmark {

namespace {

// The ready and highlight pictures lie over pass and fail: without hiding them
// the operator would not see the outcome.
void UncoverResult(CopyPageModel& page) {
    page.Hide(CopyStep::Verify, StepImage::Ready);
    page.Hide(CopyStep::Verify, StepImage::Highlight);
    page.Hide(CopyStep::Verify, StepImage::Working);
}

}  // namespace

bool CheckDeviceAfterAbout(OperationFrame& frame, const DeviceLoadContext& device,
                           const std::string& deviceIniPath, ProgrammerLink& link,
                           CopyPageModel& page, Messages& messages) {
    if (deviceIniPath.empty()) return false;

    OperationFrame::OperationScope scope(frame);
    device.record.IniPathInUse = deviceIniPath;
    // A definition that did not load completely, or whose FPGA image is
    // missing, must not reach the programmer: refuse as the set-ups do.
    if (LoadDeviceIni(device) != DeviceLoadResult::Loaded || !frame.DeviceUsable()) return false;

    if (!link.SendParamBlock(device.record.DeviceParamBlock.Sent()) || !link.SendFpgaPages())
        return false;

    if (!link.Execute(OpVerify)) {
        UncoverResult(page);
        page.Hide(CopyStep::Verify, StepImage::Pass);
        page.Show(CopyStep::Verify, StepImage::Fail);
        frame.ShowOperationFail();
        messages.ShowMessage(kErrExecute49);
        return false;
    }

    OperationStatus status;
    // A status that could not be read is no pass: it fails as a failed status does.
    const bool read = link.ReadStatus(status);
    UncoverResult(page);
    if (read && status.Pass()) {
        page.Show(CopyStep::Verify, StepImage::Pass);
        page.Hide(CopyStep::Verify, StepImage::Fail);
        return true;
    }
    page.Hide(CopyStep::Verify, StepImage::Pass);
    page.Show(CopyStep::Verify, StepImage::Fail);
    frame.ShowOperationFail();
    return false;
}

}  // namespace burnmark
