// The downloads: the data buffer (or the fuse map) written into the programmer
// in 64 KB chunks. Program writes the chip's main area, the extended-area
// program the area some devices have behind it, and the buffer download only
// fills the programmer's RAM for the operations that evaluate it there
// (on-programmer verify, checksum, option data). The Copy page's program
// pictures run program and the extended area in turn.
#pragma once

#include <cstdint>

#include "operations/operation_frame.h"

namespace burnmark {

class DownloadOperations {
public:
    explicit DownloadOperations(OperationFrame& frame)
        : frame_(frame),
          device_(frame.Device()),
          buffer_(frame.Buffer()),
          fuseMap_(frame.Fuses()),
          link_(frame.Link()),
          page_(frame.Page()),
          messages_(frame.Operator()) {}
    DownloadOperations(const DownloadOperations&) = delete;
    DownloadOperations& operator=(const DownloadOperations&) = delete;

    // The main area, from the device's start bank on.
    bool program_1Click(int mode);
    // The extended area; no set-up of its own, it runs right after program.
    bool ProgramExtArea();
    // The whole buffer into the programmer's RAM, nothing programmed; no
    // set-up and no step pictures (the caller set the programmer up).
    bool SendBufferToProgrammer();

    // --- Copy-page picture handlers ---------------------------------------------------
    void prog_nClick();
    void prog_pClick() { ProgRerun(); }
    void prog_fClick() { ProgRerun(); }

private:
    bool OpenProgramStep(CopyStep step);
    struct ChunkPlan;

    bool SendChunk(const ChunkPlan& plan, const TransferChunk& chunk);
    void ProgRerun();
    void ProgramWithExtArea(int mode, bool rerun);

    OperationFrame& frame_;
    DeviceRecord& device_;
    DataBuffer& buffer_;
    FuseMap& fuseMap_;
    ProgrammerLink& link_;
    CopyPageModel& page_;
    Messages& messages_;
};

}  // namespace burnmark
