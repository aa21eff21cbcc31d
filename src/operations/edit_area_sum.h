// The Edit area's OK: back on the Copy page, the device's sum in SumEdit: the
// buffer's byte sum over the device range, or for option type 1 the checksum
// the programmer computes over the downloaded buffer with the device's options.
#pragma once

#include "buffer/buffer_sizing.h"
#include "buffer/checksum_view.h"
#include "operations/download_operations.h"
#include "operations/operation_frame.h"

namespace burnmark {

class EditAreaSum {
public:
    EditAreaSum(OperationFrame& frame, DownloadOperations& downloads)
        : frame_(frame), downloads_(downloads) {}
    EditAreaSum(const EditAreaSum&) = delete;
    EditAreaSum& operator=(const EditAreaSum&) = delete;

    // The checksum field the sum is shown in; none: nothing is shown.
    void SetChecksumDisplay(ChecksumDisplay* checksum) { checksum_ = checksum; }
    // The sizes recorded so far: the buffer is sized for the device with them
    // before it is summed. None: the buffer is summed as it stands.
    void SetBufferSizing(BufferSizing* sizing) { sizing_ = sizing; }

    // False when nothing could be shown.
    bool v_HintClick();

private:
    OperationFrame& frame_;
    DownloadOperations& downloads_;
    ChecksumDisplay* checksum_ = nullptr;
    BufferSizing* sizing_ = nullptr;
};

}  // namespace burnmark
