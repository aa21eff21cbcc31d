// The read-backs: what comes from the chip. Read puts the chip's areas into
// the data buffer (or the fuse map), shows the checksum and takes the chip's
// option words; Verify and Confirm read the chip back piece by piece and
// compare it with the buffer, counting or listing the differences, or for
// option type 1 let the programmer compare the downloaded buffer itself (the
// on-programmer verify). The Copy page's Read, Verify and Confirm pictures
// start them. Implemented in chip_read.cpp and chip_compare.cpp.
#pragma once

#include <cstdint>

#include "buffer/buffer_sizing.h"
#include "buffer/checksum_view.h"
#include "link/fpga_image.h"
#include "operations/download_operations.h"
#include "operations/operation_frame.h"
#include "operations/verify_error_list.h"

namespace burnmark {

// The option pages' side of a read: what the programmer derived from the chip
// goes into the option words and the stored option values. Until one is
// wired, a read leaves the option values as they are.
class OptionReadBack {
public:
    virtual ~OptionReadBack() = default;
    // Option types 2 and 3, after OpExtractOptions passed: fetches the option
    // words from the programmer and stores them as the option values. False
    // when the fetch failed (it has reported).
    virtual bool ReadOptionData() = 0;
    // Option type 1, after the read put the chip option block into
    // ChipOptionWords: stores it as the option values.
    virtual void StoreOptionWords() = 0;
};

class ReadBackOperations {
public:
    // downloads: the on-programmer verify downloads the buffer first.
    ReadBackOperations(OperationFrame& frame, DownloadOperations& downloads)
        : frame_(frame),
          downloads_(downloads),
          device_(frame.Device()),
          options_(frame.Options()),
          buffer_(frame.Buffer()),
          fuseMap_(frame.Fuses()),
          link_(frame.Link()),
          page_(frame.Page()),
          messages_(frame.Operator()) {}
    ReadBackOperations(const ReadBackOperations&) = delete;
    ReadBackOperations& operator=(const ReadBackOperations&) = delete;

    // Where a read's option words go (types 1 to 3); none: they are skipped.
    void SetOptionReadBack(OptionReadBack* readBack) { optionReadBack_ = readBack; }
    // The verify-error list that the compares fill when every difference is
    // wanted; none: the compares count differences without listing them.
    void SetVerifyErrorList(VerifyErrorList* list) { verifyList_ = list; }
    // The checksum field the reads show their sums in.
    void SetChecksumDisplay(ChecksumDisplay* checksum) { checksum_ = checksum; }
    // What the read needs to load the device afresh (the FPGA image goes with
    // the definition) and to size the buffer with the sizes recorded so far.
    // Without them the read works on the record as it stands.
    void SetDeviceLoading(FpgaImage* fpga, BufferSizing* sizing) {
        fpga_ = fpga;
        sizing_ = sizing;
    }

    // --- Read -------------------------------------------------------------------------
    // The read itself: the device loaded afresh, the set-up, the areas the
    // device's read_mode names, the checksum, and for option types 2 and 3
    // the option words. True when everything it read arrived.
    bool readClick();
    // The four area reads; each shows its outcome on the Read step.
    bool ReadChip64K();
    bool ReadChipExtArea();
    bool ReadChip128K();
    bool ReadChipExtArea128K();

    // --- Verify and confirm ----------------------------------------------------------
    // Option type 1: on the programmer; others: the main area read back and
    // compared with the buffer (or the fuse map).
    bool verify_1Click(int mode);
    bool ConfirmDevice(int mode);
    bool ConfirmExtArea();
    bool VerifyExtArea();

    // --- Copy-page picture handlers ---------------------------------------------------
    void read_nClick();
    void read_pClick() { ReadRerun(); }
    void read_fClick() { ReadRerun(); }
    void verify_nClick();
    void verify_pClick();
    void verify_fClick();
    void confirm_nClick();
    void confirm_pClick() { ConfirmRerun(); }
    void confirm_fClick() { ConfirmRerun(); }

private:
    struct CompareKind;

    // Read (chip_read.cpp).
    bool ReadArea(bool wide, bool ext);
    // Option type 1: the chip option block and the programmer's checksum.
    bool ReadOptionBlock(bool wide);
    bool ReadOptionWordsTail();
    void ShowReadChecksum();
    void ReadStep();
    void ReadRerun();
    // The steps offered again after a chip that could not be read: own is
    // the step's ready picture, withEraseAndCheck adds those two steps.
    void ReOffer(CopyStep own, bool withEraseAndCheck, bool runReady);

    // Compare (chip_compare.cpp).
    bool CompareArea(const CompareKind& kind, int mode);
    bool OnProgrammerVerify(CopyStep step, int passes);
    void VerifyStep(bool ignoreRunForSound);
    void ConfirmStep(int mode);
    void ConfirmRerun();

    OperationFrame& frame_;
    DownloadOperations& downloads_;
    DeviceRecord& device_;
    DeviceOptions& options_;
    DataBuffer& buffer_;
    FuseMap& fuseMap_;
    ProgrammerLink& link_;
    CopyPageModel& page_;
    Messages& messages_;
    OptionReadBack* optionReadBack_ = nullptr;
    VerifyErrorList* verifyList_ = nullptr;
    ChecksumDisplay* checksum_ = nullptr;
    FpgaImage* fpga_ = nullptr;
    BufferSizing* sizing_ = nullptr;
    // The status of the last read chunk (option type 1 shows its checksum).
    OperationStatus lastReadStatus_;
};

}  // namespace burnmark
