#include "flow/range_commands.h"

#include <exception>

#include "catalogue/device_loader.h"
#include "link/programmer_link.h"
#include "operations/download_operations.h"
#include "operations/operation_frame.h"

namespace burnmark {

void EditRangeCommands::ShowException(const char* what) {
    // The application's exception display.
    p_.messages.MessageBox(what, "Error", MsgButtons::Ok, MsgIcon::Error);
}

void EditRangeCommands::PageChanged() {
    if (MainEditPageChange) MainEditPageChange();
}

// ---- Block ---------------------------------------------------------------------------------

RangeEnd EditRangeCommands::BlockClick() {
    if (p_.busy.Busy() || !blockDialog_) return RangeEnd::Ignored;
    try {
        BlockDialogLogic logic(p_.buffer, p_.device, p_.messages);
        logic.ScrollByteViewToTop = ScrollByteViewToTop;
        const std::optional<BlockRequest> answer = blockDialog_->RunBlockDialog(logic);
        if (!answer) return RangeEnd::Cancelled;
        return RunBlock(*answer);
    } catch (const std::exception& e) {
        ShowException(e.what());
        PageChanged();
        return RangeEnd::Failed;
    }
}

RangeEnd EditRangeCommands::RunBlock(const BlockRequest& request) {
    BusyScope busy(p_.busy);
    const bool done = p_.buffer.BlockOperation(request);
    PageChanged();
    if (request.EndAdd == 0 || request.StartAdd == request.DistSAdd) return RangeEnd::NothingDone;
    return done ? RangeEnd::Done : RangeEnd::Failed;
}

// ---- Fill ----------------------------------------------------------------------------------

RangeEnd EditRangeCommands::FillDataClick() {
    if (p_.busy.Busy() || !fillDialog_) return RangeEnd::Ignored;
    try {
        FillDialogLogic logic(p_.buffer, p_.device, p_.messages);
        logic.ScrollByteViewToTop = ScrollByteViewToTop;
        const std::optional<FillRequest> answer = fillDialog_->RunFillDialog(logic);
        if (!answer) return RangeEnd::Cancelled;
        return RunFill(*answer);
    } catch (const std::exception& e) {
        p_.progress.Close();
        ShowException(e.what());
        PageChanged();
        return RangeEnd::Failed;
    }
}

RangeEnd EditRangeCommands::RunFill(const FillRequest& r) {
    if (r.EndAdd == 0) return RangeEnd::NothingDone;
    BusyScope busy(p_.busy);
    DataBuffer& buffer = p_.buffer;
    p_.progress.Show();
    bool done = false;
    if (r.UserCheck == 0) {
        switch (r.Select) {
            case 0:
                done = buffer.FillBuffer(r.StartAdd, r.EndAdd, 0xFF);
                break;
            case 1:
                done = buffer.FillBuffer(r.StartAdd, r.EndAdd, 0x00);
                break;
            case 2:
                done = buffer.FillPattern(r.StartAdd, r.EndAdd, 0);
                break;
            case 3:
                done = buffer.FillPattern(r.StartAdd, r.EndAdd, 1);
                break;
            case 4:
                done = buffer.FillPattern(r.StartAdd, r.EndAdd, 2);
                break;
            default:
                break;
        }
    } else if (r.UserByteWordSel == 0) {
        done = buffer.FillBuffer(r.StartAdd, r.EndAdd, static_cast<uint8_t>(r.UserData & 0xFF));
    } else {
        done = buffer.FillBufferWord(r.StartAdd, r.EndAdd,
                                     static_cast<uint16_t>(r.UserWordData & 0xFFFF));
    }
    p_.progress.Close();
    PageChanged();
    return done ? RangeEnd::Done : RangeEnd::Failed;
}

// ---- Sum -----------------------------------------------------------------------------------

RangeEnd EditRangeCommands::GetSumClick() {
    if (p_.busy.Busy() || !sumDialog_) return RangeEnd::Ignored;
    try {
        SumDialogLogic logic(p_.buffer, p_.device, p_.messages);
        logic.ProgrammerChecksum = [this] { return ProgrammerChecksum(); };
        const std::optional<SumRequest> answer = sumDialog_->RunSumDialog(logic);
        if (!answer) return RangeEnd::Cancelled;
        // The IC button did the work for option type 1.
        if (p_.device.FuseTypeDigit == 1) return RangeEnd::NothingDone;
        return RunSum(*answer);
    } catch (const std::exception& e) {
        p_.progress.Close();
        ShowException(e.what());
        return RangeEnd::Failed;
    }
}

RangeEnd EditRangeCommands::RunSum(const SumRequest& r) {
    if (r.EndAdd == 0) return RangeEnd::NothingDone;
    BusyScope busy(p_.busy);
    p_.progress.Show();
    // Exactly the range the operator typed: no byte is left out when its
    // length happens to equal the device's size.
    const bool done = p_.checksum.ShowRangeSum(p_.buffer, r.StartAdd, r.EndAdd, 1);
    p_.progress.Close();
    return done ? RangeEnd::Done : RangeEnd::Failed;
}

bool EditRangeCommands::ProgrammerChecksum() {
    BusyScope busy(p_.busy);
    OperationFrame& frame = p_.frame;
    OperationFrame::OperationScope scope(frame);

    LoadDeviceIni(DeviceLoadContext{p_.device, p_.messages, p_.fpga}, kReadVoltages, 0, 0);
    if (!frame.RunFirstSetup()) {
        frame.FailStep(CopyStep::Verify);
        return false;
    }
    // A checksum of data the programmer did not receive would be shown as
    // the chip's: a failed download (it reported) ends here.
    if (!p_.downloads.SendBufferToProgrammer()) {
        frame.ShowOperationFail();
        return false;
    }
    if (!p_.link.Execute(OpExtractOptions)) {
        frame.ShowOperationFail();
        p_.messages.ShowMessage(kErrExecute49);
        return false;
    }
    OperationStatus status;
    // Without a status there is no checksum to show.
    if (!p_.link.ReadStatus(status) || !status.Pass()) {
        frame.ShowOperationFail();
        return false;
    }
    const uint32_t sum = status.Checksum();
    p_.checksum.ShowChecksum(sum);
    p_.messages.ShowMessage(ChecksumDisplay::Format(sum));
    return true;
}

}  // namespace burnmark
