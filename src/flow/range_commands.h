// The buffer editor's range commands: Sum, Fill and Block. Each opens its
// dialog through a port, takes the typed answer the dialog hands back and
// does the buffer work; the Sum dialog's IC button of a device of option
// type 1 asks the programmer for its checksum through here. The editor's
// menu and the Edit area's buttons call BlockClick, FillDataClick and
// GetSumClick.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "buffer/checksum_view.h"
#include "buffer/data_buffer.h"
#include "flow/range_dialogs.h"
#include "catalogue/device_record.h"
#include "platform/busy.h"
#include "platform/ports.h"

namespace burnmark {

class FpgaImage;
class OperationFrame;
class DownloadOperations;
class ProgrammerLink;

// The windows' side: each shows its dialog modally over the logic it is
// given and returns the answer of OK, or nullopt for every other way out.
class BlockDialogPort {
public:
    virtual ~BlockDialogPort() = default;
    virtual std::optional<BlockRequest> RunBlockDialog(BlockDialogLogic& logic) = 0;
};
class FillDialogPort {
public:
    virtual ~FillDialogPort() = default;
    virtual std::optional<FillRequest> RunFillDialog(FillDialogLogic& logic) = 0;
};
class SumDialogPort {
public:
    virtual ~SumDialogPort() = default;
    virtual std::optional<SumRequest> RunSumDialog(SumDialogLogic& logic) = 0;
};

// What the commands work on; only references are held.
struct RangeCommandParts {
    BusyState& busy;
    DeviceRecord& device;
    DataBuffer& buffer;
    Messages& messages;
    Progress& progress;
    ChecksumDisplay& checksum;
    OperationFrame& frame;
    DownloadOperations& downloads;
    ProgrammerLink& link;
    FpgaImage& fpga;
};

enum class RangeEnd {
    Ignored,      // the program was busy, or no dialog is wired
    Cancelled,    // the dialog closed without OK
    NothingDone,  // OK, but the answer asks for nothing (end 0; Sum of option type 1)
    Done,
    Failed,  // the buffer refused the work, or an exception was shown
};

class EditRangeCommands {
public:
    explicit EditRangeCommands(RangeCommandParts parts) : p_(parts) {}

    // The dialogs. Not owned; set before a click.
    void SetBlockDialog(BlockDialogPort* dialog) { blockDialog_ = dialog; }
    void SetFillDialog(FillDialogPort* dialog) { fillDialog_ = dialog; }
    void SetSumDialog(SumDialogPort* dialog) { sumDialog_ = dialog; }

    // The editor's parts these commands reach, bound by the editor window:
    // its byte view back to the first row (the Block and Fill OK), and the
    // refresh of its Buffer Information page after Block and Fill.
    std::function<void()> ScrollByteViewToTop;
    std::function<void()> MainEditPageChange;

    // The commands; a click while the program is busy does nothing.
    RangeEnd BlockClick();
    RangeEnd FillDataClick();
    RangeEnd GetSumClick();

    // The work on an answer, holding the program busy.
    RangeEnd RunBlock(const BlockRequest& request);
    RangeEnd RunFill(const FillRequest& request);
    RangeEnd RunSum(const SumRequest& request);

    // The checksum of a device of option type 1 from the programmer: reload
    // and set up, download the buffer, extract (0x0B00), read the status;
    // the checksum goes to SumEdit and a plain message. Any failure shows the
    // failure display and leaves SumEdit as it was; false then.
    bool ProgrammerChecksum();

private:
    void ShowException(const char* what);
    void PageChanged();

    RangeCommandParts p_;
    BlockDialogPort* blockDialog_ = nullptr;
    FillDialogPort* fillDialog_ = nullptr;
    SumDialogPort* sumDialog_ = nullptr;
};

}  // namespace burnmark
