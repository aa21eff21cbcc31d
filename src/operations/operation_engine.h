// The operation frame of the main window: the modes, the re-entry guards,
// WaitAndPump, the common failure display, the availability of the Copy-page
// steps, and the operations without a data transfer (erase, blank check,
// protect) and with a download (program, extended-area program, buffer
// download). It keeps the run and verify state; it works on the selected
// device, its option words, the data buffer, the fuse map and the programmer
// link it is given, and shows everything on the Copy-page model.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "buffer/data_buffer.h"
#include "catalogue/device_record.h"
#include "fusemap/fuse_map.h"
#include "link/programmer_link.h"
#include "operations/copy_page_model.h"
#include "platform/ports.h"
#include "catalogue/device_options.h"
#include "operations/run_state.h"
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
// OptionWords and writes them to the programmer. False when a request failed
// (it has shown the failure display and its text): the chip is then not
// protected with options it did not receive.
class OptionDataSender {
public:
    virtual ~OptionDataSender() = default;
    virtual bool SendOptionData() = 0;
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

protected:
    // The one allocation of a 64 KB transfer block; nullptr when there is no
    // memory for it (a test subclass plays that).
    virtual std::unique_ptr<TransferChunk> AllocateChunk();

private:
    struct SimpleOperation;
    struct ChunkPlan;

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

    int scopeDepth_ = 0;
    bool failShown_ = false;
};

}  // namespace burnmark
