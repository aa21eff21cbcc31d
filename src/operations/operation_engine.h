// The operation frame of the main window: the modes, the re-entry guards,
// WaitAndPump, the common failure display, the availability of the Copy-page
// steps, and the operations without a data transfer (erase, blank check,
// protect), with a download (program, extended-area program, buffer
// download), with a read-back (read, verify, confirm) and Stop. It keeps the
// run and verify state; it works on the selected device, its option words,
// the data buffer, the fuse map and the programmer link it is given, and
// shows everything on the Copy-page model.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "buffer/buffer_sizing.h"
#include "buffer/checksum_view.h"
#include "buffer/data_buffer.h"
#include "catalogue/device_options.h"
#include "catalogue/device_record.h"
#include "fusemap/fuse_map.h"
#include "link/fpga_image.h"
#include "link/programmer_link.h"
#include "operations/copy_page_model.h"
#include "operations/run_state.h"
#include "operations/verify_error_list.h"
#include "platform/ports.h"
#include "platform/sound_player.h"

namespace burnmark {

// The mode every operation procedure takes.
inline constexpr int kModeReady = 0;  // from the step's ready picture: set-up first
inline constexpr int kModeRun = 1;    // a step of the automatic run: the run did the set-up
inline constexpr int kModeRerun = 2;  // from the pass or fail picture: working picture, set-up

// Texts of the operations.
inline constexpr const char* kErrNoBufferHandle = " Insufficient memory for GlobalAlloc! ";
inline constexpr const char* kErrLockFailed = " Insufficient memory! ";
inline constexpr const char* kErrChunkAlloc = "Memory Can't Open 64K Byte";
inline constexpr const char* kErrChunkAlloc128 = "Memory Can't Open 128K Byte";
// A read or compare whose chip answered with a status that is not a pass.
inline constexpr const char* kErrChipProtected = "IC has already Protected !!";
inline constexpr const char* kErrCannotRead = "IC Error!!  Can't read!";
inline constexpr const char* kErrCannotReadComma = "IC Error!!, Can't read!";
inline constexpr const char* kErrCannotReadShort = "IC Error, Can't read!";
inline constexpr const char* kErrProtectedCannotRead = "IC has already protected, Can't read!";
inline constexpr const char* kUserStopText = "User Stop";

// The seven re-entry guards. Each is set only while a pass or fail picture
// handler of its step resets the pictures (its pump may deliver another click);
// an operation that finds its own guard set sends nothing and returns true.
struct OperationGuards {
    uint32_t EraseGuard = 0;
    uint32_t BlankGuard = 0;
    uint32_t ProgramGuard = 0;
    uint32_t VerifyGuard = 0;
    uint32_t ReadGuard = 0;
    uint32_t ConfirmGuard = 0;
    uint32_t SecurityGuard = 0;
};

// The option-page window's part of protect: packs the option values into
// OptionWords and writes them to the programmer. False when a request failed,
// or when the stored option values missed a write and so are not the ones
// chosen (it has shown the failure display and its text): the chip is then
// not protected with options it did not receive or nobody chose.
class OptionDataSender {
public:
    virtual ~OptionDataSender() = default;
    virtual bool SendOptionData() = 0;
};

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

// One 64 KB transfer block of an operation.
struct TransferChunk {
    std::array<uint8_t, kChunkLength> bytes;
};

// The width the operations work with: the catalogue's classification with the
// loader's spellings and the device's size, so the operations agree with the
// way the loader sized the buffer for the same device.
DataWidth OperationDataWidth(const DeviceRecord& device);

// Fills the chunk with source bytes [start, start + 64 KB), taking none at or
// beyond limit or the end of the source, and 0xFF for the rest. Returns the
// number of bytes copied.
uint64_t FillChunk(TransferChunk& chunk, std::span<const uint8_t> source, uint64_t start,
                   uint64_t limit);

// The counterpart of FillChunk for data that came from the chip: puts the
// chunk's first count bytes (at most 64 KB) at destination[at], taking none
// that would land at or beyond the destination's end. Returns the number of
// bytes placed.
uint64_t PlaceChunk(std::span<uint8_t> destination, uint64_t at, const TransferChunk& chunk,
                    uint64_t count);

class OperationEngine : public OperationFailDisplay {
public:
    // Only the references are stored: the link and the fuse map may be built
    // after the engine with the engine as their OperationFailDisplay.
    OperationEngine(DeviceRecord& device, DeviceOptions& options, DataBuffer& buffer,
                    FuseMap& fuseMap, ProgrammerLink& link, CopyPageModel& page,
                    Messages& messages, SoundPlayer& sounds, Pump& pump);
    ~OperationEngine() override = default;
    OperationEngine(const OperationEngine&) = delete;
    OperationEngine& operator=(const OperationEngine&) = delete;

    // The option-page window (protect sends the option values through it).
    void SetOptionDataSender(OptionDataSender* sender) { optionSender_ = sender; }
    // Where a read's option words go (types 1 to 3); none: they are skipped.
    void SetOptionReadBack(OptionReadBack* readBack) { optionReadBack_ = readBack; }
    // The verify-error list that the compares fill when every difference is
    // wanted; none: the compares count differences without listing them.
    void SetVerifyErrorList(VerifyErrorList* list) { verifyList_ = list; }
    // The checksum field the reads and the Edit-area OK show their sums in.
    void SetChecksumDisplay(ChecksumDisplay* checksum) { checksum_ = checksum; }
    // What the read needs to load the device afresh (the FPGA image goes with
    // the definition) and to size the buffer with the sizes recorded so far.
    // Without them the read works on the record as it stands.
    void SetDeviceLoading(FpgaImage* fpga, BufferSizing* sizing) {
        fpga_ = fpga;
        sizing_ = sizing;
    }

    OperationGuards Guards;
    RunState Run;

    // One failure sound per failure: while a scope is open, the second and
    // later ShowOperationFail calls (the link's and the operation's for the same
    // failure, a handler's after its operation's) only put the failure display
    // right again and give no second sound. Every operation and handler opens
    // one; the automatic run opens one around its whole sequence. Scopes nest.
    class OperationScope {
    public:
        explicit OperationScope(OperationEngine& engine);
        ~OperationScope();
        OperationScope(const OperationScope&) = delete;
        OperationScope& operator=(const OperationScope&) = delete;

    private:
        OperationEngine& engine_;
    };

    // Held by the automatic run for its whole span: a step that passes after
    // Stop ended the run gives no pass sound of its own.
    class RunScope {
    public:
        explicit RunScope(OperationEngine& engine) : engine_(engine) { ++engine_.runDepth_; }
        ~RunScope() { --engine_.runDepth_; }
        RunScope(const RunScope&) = delete;
        RunScope& operator=(const RunScope&) = delete;

    private:
        OperationEngine& engine_;
    };

    // --- Frame ---------------------------------------------------------------
    // Hides Pass, pumps at most 100 times, shows Pass; with StopFlag set it
    // returns at once and leaves Pass hidden.
    void WaitAndPump();
    // Pass and Wait hidden (Fail shows), ProgressBar21 hidden, ProgressBar2
    // shown at its maximum, the failure sound when sound is on.
    void ShowOperationFail() override;
    // Within the open scope, the next ShowOperationFail gives no sound.
    void FailureSounded() override;
    // arg 0: also ticks or unticks the run boxes by the device; 1 and 2 keep them.
    void UpdateCopyButtons(int arg);
    void EnableCopyButtons();

    // --- Simple operations -------------------------------------------------------
    bool erase_1Click(int mode);
    bool check_1Click(int mode);
    bool ProtectDevice(int mode);

    // --- Program and download ------------------------------------------------------
    bool program_1Click(int mode);
    bool ProgramExtArea();
    bool SendBufferToProgrammer();

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

    // --- Stop and the Edit-area OK ---------------------------------------------------
    // The failure sound on every press; ends an automatic run between its steps.
    void Stop_HintClick();
    // "User Stop" is due: Stop ended a run while a transfer was going. The
    // run shows it once the step has returned, not inside the transfer's wait.
    bool TakeUserStop();
    // The device's sum in SumEdit: the buffer's over the device range, or for
    // option type 1 the checksum the programmer computes. False when nothing
    // could be shown.
    bool v_HintClick();

    // --- Copy-page picture handlers ---------------------------------------------------
    void erace_nClick();
    void erace_pClick() { EraseRerun(); }
    void erace_fClick() { EraseRerun(); }
    void check_nClick();
    void check_pClick() { CheckRerun(); }
    void check_fClick() { CheckRerun(); }
    void secur_nClick();
    void secur_pClick() { SecurRerun(); }
    void secur_fClick() { SecurRerun(); }
    void prog_nClick();
    void prog_pClick() { ProgRerun(); }
    void prog_fClick() { ProgRerun(); }
    void read_nClick();
    void read_pClick() { ReadRerun(); }
    void read_fClick() { ReadRerun(); }
    void verify_nClick();
    void verify_pClick();
    void verify_fClick();
    void confirm_nClick();
    void confirm_pClick() { ConfirmRerun(); }
    void confirm_fClick() { ConfirmRerun(); }

    // --- Shared with the read, verify and run procedures ---------------------------------
    // The device is usable for the programmer: its definition loaded completely
    // and its FPGA image was found. The operations refuse silently otherwise.
    bool DeviceUsable() const;
    // FirstSetup for the selected device.
    bool RunFirstSetup();
    // The step's failed picture: working and pass hidden, fail shown, then the
    // failure display.
    void FailStep(CopyStep step);
    // A failed set-up: the failed picture with the ready picture over it again.
    void SetupFailStep(CopyStep step);
    // The device has an extended area (ext_address words not both 0).
    bool ExtAreaNotEmpty() const;
    // The pass sound when sound is on, Pass shows and (unless ignoreRun) no
    // automatic run is going.
    void PassSoundIfDue(bool ignoreRun = false);
    // The parameter block's current voltages: the device's three from vcc on.
    void SetVoltages(VoltageIndex vcc);
    // Whether the device offers the step (its mode word is not 0).
    bool Offers(CopyStep step) const;

protected:
    // The one allocation of a 64 KB transfer block; nullptr when there is no
    // memory for it (a test subclass plays that).
    virtual std::unique_ptr<TransferChunk> AllocateChunk();

private:
    struct SimpleOperation;
    struct ChunkPlan;
    struct ChipArea;
    struct ChunkTexts;
    struct WalkEnd;
    struct CompareKind;
    // Takes one chunk's data: start is its first byte counted from the area's
    // start. False stops the walk (the taker has reported).
    using ChunkTaker = std::function<bool(uint64_t start, const TransferChunk& chunk)>;

    bool RunSimple(const SimpleOperation& op, int mode);
    bool SendChunk(const ChunkPlan& plan, const TransferChunk& chunk);
    void SetTransferWords(uint16_t offset, uint16_t bank, uint16_t small);
    uint16_t Word(std::size_t offset) const;
    uint64_t FirstBank() const;
    // The data buffer locked for one operation, with the system's texts on failure.
    BufferLock LockDataBuffer();
    void ResetForRerun(CopyStep step, uint32_t& guard);
    void EraseRerun();
    void CheckRerun();
    void SecurRerun();
    void ProgRerun();
    void ProgramWithExtArea(int mode, bool rerun);

    // Read and compare (chip_read.cpp, chip_compare.cpp).
    ChipArea AreaOf(bool wide, bool ext, bool compare) const;
    // Makes room for need bytes in the data buffer; false when it cannot hold them.
    bool BufferHolds(uint64_t need);
    // Every chunk of the area: transfer words, parameter block, routine,
    // status, data halves; each chunk's data goes to take.
    bool WalkArea(const ChipArea& area, const ChunkTexts& texts, WalkEnd& end,
                  const ChunkTaker& take);
    bool ReadArea(bool wide, bool ext);
    bool ReadOptionBlock();
    bool ReadOptionWordsTail();
    void ShowReadChecksum();
    void ReadStep();
    void ReadRerun();
    // The steps offered again after a chip that could not be read: own is
    // the step's ready picture, withEraseAndCheck adds those two steps.
    void ReOffer(CopyStep own, bool withEraseAndCheck, bool runReady);
    bool CompareArea(const CompareKind& kind, int mode);
    bool OnProgrammerVerify(CopyStep step, int passes);
    void VerifyStep(bool ignoreRunForSound);
    void ConfirmStep(int mode);
    void ConfirmRerun();

    DeviceRecord& device_;
    DeviceOptions& options_;
    DataBuffer& buffer_;
    FuseMap& fuseMap_;
    ProgrammerLink& link_;
    CopyPageModel& page_;
    Messages& messages_;
    SoundPlayer& sounds_;
    Pump& pump_;
    OptionDataSender* optionSender_ = nullptr;
    OptionReadBack* optionReadBack_ = nullptr;
    VerifyErrorList* verifyList_ = nullptr;
    ChecksumDisplay* checksum_ = nullptr;
    FpgaImage* fpga_ = nullptr;
    BufferSizing* sizing_ = nullptr;
    // The status of the last read chunk (option type 1 shows its checksum).
    OperationStatus lastReadStatus_;

    int scopeDepth_ = 0;
    bool failShown_ = false;
    int runDepth_ = 0;
    bool userStopPending_ = false;
};

}  // namespace burnmark
