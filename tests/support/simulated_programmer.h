// An in-memory programmer behind the USB transport, for tests: fifteen device
// slots, the programmer's memory map and request set, the operation codes run
// on a simulated EPROM-like chip, fault injection and a trace of every call.
//
// What the routines do (the host relies only on the formats, so these rules
// are the simulator's own):
// - a chunk lands at (bank word x 0x10000 + offset word) addresses, that is
//   bank x 64 KB for an 8-bit chip and bank x 128 KB + offset x 2 for a
//   16-bit one, in the main area (OpRead, OpProgram) or the extended area
//   (OpReadExt, OpProgramExt);
// - a passing OpRead / OpReadExt puts the 16-bit byte sum of the whole area
//   into status bytes 2 and 3, and OpRead leaves the chip option block
//   readable at 0x0E00; the part of a chunk past the area reads as the
//   chip's beyondArea byte;
// - OpExtractOptions and OpApplyOptions put the 16-bit byte sum of the
//   download (over the main area) into status bytes 2 and 3; OpExtractOptions
//   leaves the chip's option words at 0x0B80 and its option block at 0x0E00,
//   OpApplyOptions the patch list at 0x0F00 (and applies it to the download);
// - OpProtect stores the 128 bytes at 0x0B80 as the chip's option words;
//   OpErase sets the chip, its option words and option block to 0xFF;
// - failures: bytes 0, 1 = 1, 0 with the error address in bytes 2 to 5 and
//   the chip's data there in bytes 6, 7; a protected chip reads as 0, 4.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/usb_transport.h"

namespace burnmark::testing {

enum class SimCallKind { Open, Close, VendorIn, VendorOut, BulkIn, BulkOut };

enum class SimFault {
    Fail,    // the call fails, nothing moves
    Short,   // half the bytes move, then the call fails
    Unplug,  // the programmer goes away at this call
};

// One call the host made, as the programmer saw it.
struct SimCall {
    SimCallKind kind = SimCallKind::Open;
    uint8_t request = 0;
    uint16_t value = 0;
    uint16_t index = 0;
    uint32_t length = 0;        // bytes asked for (data stage or bulk)
    std::vector<uint8_t> data;  // bytes sent by the host, or delivered to it
    bool ok = false;
    std::optional<SimFault> fault;  // the injected fault that hit the call
};

// The chip in the socket. Sizes in bytes; a 16-bit chip keeps its words low
// byte first, as the host's buffer does.
struct SimChip {
    bool wide = false;
    std::vector<uint8_t> main;
    std::vector<uint8_t> ext;
    bool protectedFlag = false;
    std::array<uint8_t, 128> optionWords{};  // what OpProtect stores, OpExtractOptions gives back
    std::array<uint8_t, 256> chipOptionBlock{};  // at 0x0E00 after OpRead, OpExtractOptions
    // What a read delivers for the addresses of a chunk that lie past the
    // area, so that a host placing or comparing more than the area shows.
    uint8_t beyondArea = 0xFF;

    unsigned Width() const { return wide ? 2 : 1; }
};

// One executed routine with the transfer words it found in the parameter block.
struct SimExecution {
    uint16_t operation = 0;
    uint16_t offsetWord = 0;
    uint16_t bankWord = 0;
    uint16_t sizeWord = 0;
    // The current VCC, VPP and VHH words the routine ran on.
    uint16_t vcc = 0;
    uint16_t vpp = 0;
    uint16_t vhh = 0;
    std::array<uint8_t, 16> status{};
    // OpProgram and OpProgramExt: the chunk's bytes past the end of its area,
    // which the chip never takes.
    std::vector<uint8_t> pastArea;
};

class SimulatedProgrammer : public UsbTransport {
public:
    static constexpr int kSlots = 15;

    // The programmer sits in slot 0; the other slots are empty.
    SimulatedProgrammer();

    // Slots: a product id, or nothing for no device.
    void SetSlot(int slot, std::optional<uint16_t> productId);
    void ClearSlots();
    int OpenSlot() const { return openSlot_; }
    // Every slot whose device was opened and asked for its descriptor, in order.
    const std::vector<int>& ProbedSlots() const { return probed_; }
    void Unplug() { unplugged_ = true; }
    void Replug() { unplugged_ = false; }
    bool Unplugged() const { return unplugged_; }

    // UsbTransport.
    bool UsbOpen(uint16_t productId) override;
    bool UsbClose() override;
    bool UsbVendorCmdRead(uint8_t request, uint16_t value, uint16_t index,
                          std::span<uint8_t> data) override;
    bool UsbVendorCmdWrite(uint8_t request, uint16_t value, uint16_t index,
                           std::span<const uint8_t> data = {}) override;
    bool UsbDataRead(std::span<uint8_t> data) override;
    bool UsbDataWrite(std::span<const uint8_t> data) override;
    bool IsOpen() const override { return openSlot_ >= 0; }

    // Fault injection: the nth matching call from now on (1 = the next one).
    // request limits vendor calls to one request number; -1 matches any.
    void InjectFault(SimCallKind kind, int nth, SimFault fault = SimFault::Fail,
                     int request = -1);
    // The nth call of any kind from now on (1 = the next one), whatever it is:
    // the fault sweeps count a clean run's calls and fail each in turn. A
    // close cannot fail; Unplug still takes the programmer away there.
    void InjectFaultAtCall(int nth, SimFault fault);
    // Calls made since the simulator was built (the trace may be cleared).
    uint64_t CallCount() const { return calls_; }
    void ClearFaults() {
        faults_.clear();
        faultAtCall_.reset();
    }
    // The status read after the next executions of operation (in turn); the
    // routine still runs.
    void OverrideStatus(uint16_t operation, std::array<uint8_t, 16> status);

    // Trace.
    const std::vector<SimCall>& Trace() const { return trace_; }
    void ClearTrace() { trace_.clear(); }
    // One line per call: "open", "close", "out 47 0B00 0080", "in 42 0000 0000 16",
    // "bulk-out 256", "bulk-in 32768"; failed calls end in " FAIL".
    std::vector<std::string> TraceLines() const;
    // Host mistakes seen (a bulk transfer nobody announced, a write outside memory, ...).
    const std::vector<std::string>& ProtocolErrors() const { return errors_; }
    const std::vector<SimExecution>& Executions() const { return executions_; }

    // Programmer memory.
    std::array<uint8_t, 0x10000>& Ram() { return ram_; }
    const std::array<uint8_t, 16>& StatusBytes() const { return status_; }
    const std::array<uint8_t, 0x4000>& FpgaPage(int page) const { return fpga_[page]; }
    // Which FPGA pages a bulk write has filled since the last announcement at 0x4000.
    uint8_t FpgaPagesWritten() const { return fpgaPagesWritten_; }
    // The buffer image the host downloaded chunk by chunk (0xFF where none came).
    // Chunks that OpProgramExt then programs belong to the extended area and
    // are not part of it.
    const std::vector<uint8_t>& Download() const { return download_; }
    uint16_t ParamWord(unsigned byteOffset) const;

    // The chip. Sizes are in addresses (words for a 16-bit chip); all 0xFF.
    void InsertChip(bool wide, uint32_t mainAddresses, uint32_t extAddresses = 0);
    SimChip& Chip() { return chip_; }

    // What the programmer reports after OpApplyOptions at 0x0F00 (6-byte
    // entries; all 0xFF means none). Patches are also applied to the download.
    std::array<uint8_t, 256> patchList;
    std::array<uint8_t, 22> serial{};
    std::array<uint8_t, 16> version{};

private:
    struct FaultRule {
        SimCallKind kind;
        int request;
        int remaining;
        SimFault fault;
    };
    enum class Pending { None, BlockWrite, BlockRead, Fpga, DataWrite, DataRead };

    std::optional<SimFault> TakeFault(SimCallKind kind, int request);
    SimCall& Record(SimCallKind kind, uint8_t request, uint16_t value, uint16_t index,
                    uint32_t length);
    bool Reachable() const { return !unplugged_ && openSlot_ >= 0; }
    void HandleOut(uint8_t request, uint16_t value, uint16_t index);
    bool ReplyIn(uint8_t request, uint16_t value, std::vector<uint8_t>& reply);
    void Execute(uint16_t operation);
    uint64_t ChunkStart() const;
    void SetStatus(uint8_t s0, uint8_t s1, uint32_t address = 0, uint16_t data = 0);
    void SetChecksum(uint16_t sum);
    uint16_t DownloadSum() const;
    void UndoChunkDownload();
    void ApplyPatches();
    void Error(const std::string& what) { errors_.push_back(what); }

    std::array<std::optional<uint16_t>, kSlots> slots_{};
    int openSlot_ = -1;
    bool unplugged_ = false;
    std::vector<int> probed_;

    std::vector<FaultRule> faults_;
    uint64_t calls_ = 0;
    struct CallFault {
        uint64_t call;
        SimFault fault;
    };
    std::optional<CallFault> faultAtCall_;
    std::map<uint16_t, std::deque<std::array<uint8_t, 16>>> overrides_;
    std::vector<SimCall> trace_;
    std::vector<std::string> errors_;
    std::vector<SimExecution> executions_;

    std::array<uint8_t, 0x10000> ram_{};
    std::array<std::array<uint8_t, 0x4000>, 8> fpga_{};
    uint8_t fpgaPagesWritten_ = 0;
    std::array<uint8_t, 16> status_{};

    Pending pending_ = Pending::None;
    uint16_t pendingAddress_ = 0;
    uint16_t pendingLength_ = 0;  // what a block read announced
    bool fpgaMode_ = false;
    int fpgaPage_ = 0;
    int writeHalf_ = 0;
    int readHalf_ = 0;
    std::array<uint8_t, 0x10000> chunk_{};      // the chunk the host wrote
    std::array<uint8_t, 0x10000> readChunk_{};  // the chunk the last read produced
    std::vector<uint8_t> download_;
    // What the current chunk's halves overwrote in download_, so that an
    // extended-area chunk can be taken out again.
    struct Overwritten {
        uint64_t at;
        std::vector<uint8_t> bytes;
    };
    std::vector<Overwritten> chunkUndo_;

    SimChip chip_;
};

}  // namespace burnmark::testing
