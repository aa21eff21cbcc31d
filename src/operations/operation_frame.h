// The frame every operation of the Copy page shares: the modes, the re-entry
// guards, WaitAndPump, the common failure display with its one sound per
// operation, the availability of the steps per device, the run and verify
// state, and the parameter-block words the operations set before they send
// the block. It holds the parts the operations work on (the selected device,
// its option words, the data buffer, the fuse map, the programmer link, the
// Copy-page model and the ports); each family of operations (simple_operations,
// download_operations, read_back_operations, automatic_run, edit_area_sum)
// works over one frame and keeps only its own state.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "buffer/data_buffer.h"
#include "catalogue/device_options.h"
#include "catalogue/device_record.h"
#include "fusemap/fuse_map.h"
#include "link/programmer_link.h"
#include "operations/copy_page_model.h"
#include "operations/run_state.h"
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

// One 64 KB transfer block of an operation.
struct TransferChunk {
    std::array<uint8_t, kChunkLength> bytes;
};

// The width the operations work with: the catalogue's classification with the
// loader's spellings and the device's size, so the operations agree with the
// way the loader sized the buffer for the same device.
DataWidth OperationDataWidth(const DeviceRecord& device);

class OperationFrame : public OperationFailDisplay {
public:
    // Only the references are stored: the link and the fuse map may be built
    // after the frame with the frame as their OperationFailDisplay.
    OperationFrame(DeviceRecord& device, DeviceOptions& options, DataBuffer& buffer,
                   FuseMap& fuseMap, ProgrammerLink& link, CopyPageModel& page, Messages& messages,
                   SoundPlayer& sounds, Pump& pump);
    ~OperationFrame() override = default;
    OperationFrame(const OperationFrame&) = delete;
    OperationFrame& operator=(const OperationFrame&) = delete;

    OperationGuards Guards;
    RunState Run;

    // One failure sound per failure: while a scope is open, the second and
    // later ShowOperationFail calls (the link's and the operation's for the same
    // failure, a handler's after its operation's) only put the failure display
    // right again and give no second sound. Every operation and handler opens
    // one; the automatic run opens one around its whole sequence. Scopes nest.
    class OperationScope {
    public:
        explicit OperationScope(OperationFrame& frame);
        ~OperationScope();
        OperationScope(const OperationScope&) = delete;
        OperationScope& operator=(const OperationScope&) = delete;

    private:
        OperationFrame& frame_;
    };

    // Held by the automatic run for its whole span: a step that passes after
    // Stop ended the run gives no pass sound of its own.
    class RunScope {
    public:
        explicit RunScope(OperationFrame& frame) : frame_(frame) { ++frame_.runDepth_; }
        ~RunScope() { --frame_.runDepth_; }
        RunScope(const RunScope&) = delete;
        RunScope& operator=(const RunScope&) = delete;

    private:
        OperationFrame& frame_;
    };
    // An automatic run is going (from its start to its end, whatever Stop did
    // to RunActive meanwhile).
    bool RunGoing() const { return runDepth_ > 0; }

    // --- Frame ---------------------------------------------------------------
    // Hides Pass, pumps at most 100 times, shows Pass; with StopFlag set it
    // returns at once and leaves Pass hidden.
    void WaitAndPump();
    // Pass and Wait hidden (Fail shows), ProgressBar21 hidden, ProgressBar2
    // shown at its maximum, the failure sound when sound is on.
    void ShowOperationFail() override;
    // Within the open scope, the next ShowOperationFail gives no sound.
    void FailureSounded() override;

    // --- Step offers -----------------------------------------------------------
    // arg 0: also ticks or unticks the run boxes by the device; 1 and 2 keep them.
    void UpdateCopyButtons(int arg);
    void EnableCopyButtons();
    // Whether the device offers the step (its mode word is not 0).
    bool Offers(CopyStep step) const;
    // A pass or fail picture's reset before the step runs again: the guard is
    // held while UpdateCopyButtons pumps, so a click on the same step
    // meanwhile sends nothing.
    void ResetForRerun(CopyStep step, uint32_t& guard);

    // --- Shared by the operations ----------------------------------------------
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
    // The pass sound when sound is on, Pass shows and (unless ignoreRun) no
    // automatic run is going.
    void PassSoundIfDue(bool ignoreRun = false);
    // The data buffer locked for one operation, with the system's texts on failure.
    BufferLock LockDataBuffer();
    // The one allocation of a 64 KB transfer block; nullptr when there is no
    // memory for it (a test subclass plays that).
    virtual std::unique_ptr<TransferChunk> AllocateChunk();

    // --- Parameter-block words ---------------------------------------------------
    uint16_t Word(std::size_t offset) const;
    // The device has an extended area (ext_address words not both 0).
    bool ExtAreaNotEmpty() const;
    // Words 0x10, 0x12 and 0x14: offset in bank, bank and small size.
    void SetTransferWords(uint16_t offset, uint16_t bank, uint16_t small);
    // The parameter block's current voltages: the device's three from vcc on.
    void SetVoltages(VoltageIndex vcc);
    // The first bank of a main area: the device's start bank, or 0.
    uint64_t FirstBank() const;

    // --- The parts the operations work on ----------------------------------------
    DeviceRecord& Device() const { return device_; }
    DeviceOptions& Options() const { return options_; }
    DataBuffer& Buffer() const { return buffer_; }
    FuseMap& Fuses() const { return fuseMap_; }
    ProgrammerLink& Link() const { return link_; }
    CopyPageModel& Page() const { return page_; }
    Messages& Operator() const { return messages_; }
    SoundPlayer& Sounds() const { return sounds_; }

private:
    DeviceRecord& device_;
    DeviceOptions& options_;
    DataBuffer& buffer_;
    FuseMap& fuseMap_;
    ProgrammerLink& link_;
    CopyPageModel& page_;
    Messages& messages_;
    SoundPlayer& sounds_;
    Pump& pump_;

    int scopeDepth_ = 0;
    bool failShown_ = false;
    int runDepth_ = 0;
};

}  // namespace burnmark
