#include "support/simulated_programmer.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "link/programmer_requests.h"

namespace burnmark::testing {

namespace {

constexpr uint16_t kParamAddr = kParamBlockAddr;
constexpr uint16_t kOptionAddr = kOptionWordsAddr;
constexpr uint16_t kPatchAddr = kPatchListAddr;
constexpr uint16_t kFpgaAddr = kFpgaImageAddr;
constexpr uint32_t kHalf = kDataWindowLength;
constexpr uint32_t kChunk = kChunkLength;
// The largest buffer image a download may build (64 MB).
constexpr uint64_t kDownloadCap = 64ull << 20;

std::string Hex4(uint16_t v) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", v);
    return text;
}

std::string Hex2(uint8_t v) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", v);
    return text;
}

}  // namespace

SimulatedProgrammer::SimulatedProgrammer() {
    slots_[0] = ProgrammerProductId;
    patchList.fill(0xFF);
    ram_.fill(0xFF);
    for (auto& page : fpga_) page.fill(0xFF);
    status_.fill(0xFF);
    chunk_.fill(0xFF);
    readChunk_.fill(0xFF);
    const char* id = "SIM-PROGRAMMER-0001";
    std::copy(id, id + 19, serial.begin());
    const char* name = "SIMPROG";
    std::copy(name, name + 7, version.begin());
    version[10] = 1;
}

void SimulatedProgrammer::SetSlot(int slot, std::optional<uint16_t> productId) {
    if (slot >= 0 && slot < kSlots) slots_[slot] = productId;
}

void SimulatedProgrammer::ClearSlots() { slots_.fill(std::nullopt); }

void SimulatedProgrammer::InsertChip(bool wide, uint32_t mainAddresses, uint32_t extAddresses) {
    chip_ = SimChip{};
    chip_.wide = wide;
    chip_.main.assign(static_cast<size_t>(mainAddresses) * chip_.Width(), 0xFF);
    chip_.ext.assign(static_cast<size_t>(extAddresses) * chip_.Width(), 0xFF);
    chip_.optionWords.fill(0xFF);
    chip_.chipOptionBlock.fill(0xFF);
    download_.assign(chip_.main.size(), 0xFF);
}

void SimulatedProgrammer::InjectFault(SimCallKind kind, int nth, SimFault fault, int request) {
    if (nth >= 1) faults_.push_back({kind, request, nth, fault});
}

void SimulatedProgrammer::OverrideStatus(uint16_t operation, std::array<uint8_t, 16> status) {
    overrides_[operation].push_back(status);
}

void SimulatedProgrammer::InjectFaultAtCall(int nth, SimFault fault) {
    if (nth >= 1) faultAtCall_ = CallFault{calls_ + static_cast<uint64_t>(nth), fault};
}

std::optional<SimFault> SimulatedProgrammer::TakeFault(SimCallKind kind, int request) {
    std::optional<SimFault> hit;
    if (faultAtCall_ && faultAtCall_->call == calls_) {
        hit = faultAtCall_->fault;
        faultAtCall_.reset();
    }
    for (auto it = faults_.begin(); it != faults_.end();) {
        if (it->kind == kind && (it->request < 0 || it->request == request) &&
            --it->remaining == 0) {
            if (!hit) hit = it->fault;
            it = faults_.erase(it);
        } else {
            ++it;
        }
    }
    if (hit == SimFault::Unplug) unplugged_ = true;
    // Every caller has just recorded the call.
    if (hit && !trace_.empty()) trace_.back().fault = hit;
    return hit;
}

SimCall& SimulatedProgrammer::Record(SimCallKind kind, uint8_t request, uint16_t value,
                                     uint16_t index, uint32_t length) {
    ++calls_;
    SimCall call;
    call.kind = kind;
    call.request = request;
    call.value = value;
    call.index = index;
    call.length = length;
    trace_.push_back(std::move(call));
    return trace_.back();
}

uint16_t SimulatedProgrammer::ParamWord(unsigned byteOffset) const {
    const unsigned a = kParamAddr + byteOffset;
    return static_cast<uint16_t>(ram_[a] | (ram_[a + 1] << 8));
}

uint64_t SimulatedProgrammer::ChunkStart() const {
    // A bank is 64K addresses; the offset word moves within it (0 or 0x8000).
    return (static_cast<uint64_t>(ParamWord(kWordBank)) * 0x10000 + ParamWord(kWordOffset)) *
           chip_.Width();
}

// ---- open and close -------------------------------------------------------------------------

bool SimulatedProgrammer::UsbOpen(uint16_t productId) {
    SimCall& call = Record(SimCallKind::Open, 0, productId, 0, 0);
    if (openSlot_ >= 0) {
        // Only a fault aimed at this very call touches an open that has nothing to do.
        if (faultAtCall_ && faultAtCall_->call == calls_) {
            if (faultAtCall_->fault == SimFault::Unplug) unplugged_ = true;
            faultAtCall_.reset();
            return false;
        }
        call.ok = true;
        return true;
    }
    if (TakeFault(SimCallKind::Open, -1) || unplugged_) return false;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!slots_[slot]) continue;
        probed_.push_back(slot);
        if (*slots_[slot] == productId) {
            openSlot_ = slot;
            trace_.back().index = static_cast<uint16_t>(slot);
            trace_.back().ok = true;
            return true;
        }
    }
    return false;
}

bool SimulatedProgrammer::UsbClose() {
    SimCall& call = Record(SimCallKind::Close, 0, 0, 0, 0);
    TakeFault(SimCallKind::Close, -1);  // closing a handle cannot really fail
    if (openSlot_ < 0) return false;
    openSlot_ = -1;
    pending_ = Pending::None;
    fpgaMode_ = false;
    call.ok = true;
    return true;
}

// ---- vendor requests ------------------------------------------------------------------------

bool SimulatedProgrammer::UsbVendorCmdRead(uint8_t request, uint16_t value, uint16_t index,
                                           std::span<uint8_t> data) {
    Record(SimCallKind::VendorIn, request, value, index, static_cast<uint32_t>(data.size()));
    const std::optional<SimFault> fault = TakeFault(SimCallKind::VendorIn, request);
    if (!Reachable() || fault == SimFault::Fail || fault == SimFault::Unplug) return false;

    std::vector<uint8_t> reply;
    if (!ReplyIn(request, value, reply)) return false;
    size_t moved = std::min(reply.size(), data.size());
    if (fault == SimFault::Short) moved = std::min(moved, data.size() / 2);
    std::copy_n(reply.begin(), moved, data.begin());
    SimCall& call = trace_.back();
    call.data.assign(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(moved));
    // A reply of another length than asked is short (or overflows): a failure.
    call.ok = !fault && reply.size() == data.size();
    return call.ok;
}

bool SimulatedProgrammer::ReplyIn(uint8_t request, uint16_t value, std::vector<uint8_t>& reply) {
    switch (request) {
    case CmdReadSerial:
        reply.assign(serial.begin(), serial.end());
        return true;
    case CmdStatus:
        reply.assign(status_.begin(), status_.end());
        return true;
    case CmdMemoryRead: {
        const size_t end = std::min<size_t>(size_t{value} + 512, ram_.size());
        reply.assign(ram_.begin() + value, ram_.begin() + static_cast<std::ptrdiff_t>(end));
        return true;
    }
    case CmdReadVersion:
        reply.assign(version.begin(), version.end());
        return true;
    default:
        Error("unknown IN request " + Hex2(request));
        return false;
    }
}

bool SimulatedProgrammer::UsbVendorCmdWrite(uint8_t request, uint16_t value, uint16_t index,
                                            std::span<const uint8_t> data) {
    SimCall& call =
        Record(SimCallKind::VendorOut, request, value, index, static_cast<uint32_t>(data.size()));
    call.data.assign(data.begin(), data.end());
    const std::optional<SimFault> fault = TakeFault(SimCallKind::VendorOut, request);
    if (!Reachable() || fault) return false;
    if (pending_ != Pending::None && pending_ != Pending::Fpga)
        Error("request " + Hex2(request) + " while an announced bulk transfer is due");
    HandleOut(request, value, index);
    trace_.back().ok = true;
    return true;
}

void SimulatedProgrammer::HandleOut(uint8_t request, uint16_t value, uint16_t index) {
    if (request != CmdChangePage) fpgaMode_ = false;
    pending_ = Pending::None;
    switch (request) {
    case CmdChangePage:
        if (fpgaMode_) {
            if (value >= fpga_.size()) Error("FPGA page " + Hex4(value) + " out of range");
            fpgaPage_ = std::min<int>(value, static_cast<int>(fpga_.size()) - 1);
            pending_ = Pending::Fpga;
        } else {
            if (value != 0 || index != 0) Error("data page " + Hex4(value) + " selected");
            writeHalf_ = 0;
            chunkUndo_.clear();
        }
        break;
    case CmdMemoryWriteByte:
        ram_[value] = static_cast<uint8_t>(index);
        break;
    case CmdBlockRead:
        pending_ = Pending::BlockRead;
        pendingAddress_ = value;
        pendingLength_ = index;
        break;
    case CmdBlockWrite:
        if (value == kFpgaAddr) {
            fpgaMode_ = true;
            fpgaPagesWritten_ = 0;
        } else {
            pending_ = Pending::BlockWrite;
            pendingAddress_ = value;
        }
        break;
    case CmdExecute:
        if (value != kRoutineEntry) Error("execute at " + Hex4(value));
        Execute(index);
        break;
    case CmdDataRead:
        if (value != kDataWindowAddr || index != kDataWindowLength)
            Error("data read with odd words");
        pending_ = Pending::DataRead;
        break;
    case CmdDataWrite:
        if (value != kDataWindowAddr || index != kDataWindowLength)
            Error("data write with odd words");
        pending_ = Pending::DataWrite;
        break;
    case CmdSramCopy:
    case CmdFpgaLoad:
        break;
    default:
        Error("unknown OUT request " + Hex2(request));
        break;
    }
}

// ---- bulk -----------------------------------------------------------------------------------

bool SimulatedProgrammer::UsbDataWrite(std::span<const uint8_t> data) {
    SimCall& call = Record(SimCallKind::BulkOut, 0, 0, 0, static_cast<uint32_t>(data.size()));
    call.data.assign(data.begin(), data.end());
    const std::optional<SimFault> fault = TakeFault(SimCallKind::BulkOut, -1);
    if (!Reachable() || fault == SimFault::Fail || fault == SimFault::Unplug) return false;
    const std::span<const uint8_t> moved =
        fault == SimFault::Short ? data.first(data.size() / 2) : data;

    bool ok = true;
    switch (pending_) {
    case Pending::BlockWrite:
        if (pendingAddress_ + moved.size() > ram_.size()) {
            Error("block write beyond the programmer's memory");
            ok = false;
            break;
        }
        std::copy(moved.begin(), moved.end(), ram_.begin() + pendingAddress_);
        if (pendingAddress_ <= kParamAddr + kWordSmallSize &&
            pendingAddress_ + moved.size() > kParamAddr) {
            writeHalf_ = 0;
            chunkUndo_.clear();
        }
        pending_ = Pending::None;
        break;
    case Pending::Fpga:
        if (moved.size() > kFpgaPageLength) {
            Error("FPGA page longer than 16 KB");
            ok = false;
            break;
        }
        std::copy(moved.begin(), moved.end(), fpga_[fpgaPage_].begin());
        fpgaPagesWritten_ |= static_cast<uint8_t>(1u << fpgaPage_);
        pending_ = Pending::None;
        break;
    case Pending::DataWrite: {
        if (moved.size() > kHalf || writeHalf_ > 1) {
            Error(writeHalf_ > 1 ? "third data half in one chunk" : "data half longer than 32 KB");
            ok = false;
            break;
        }
        const uint32_t at = static_cast<uint32_t>(writeHalf_) * kHalf;
        std::copy(moved.begin(), moved.end(), chunk_.begin() + at);
        const uint64_t where = ChunkStart() + at;
        if (where + moved.size() > kDownloadCap) {
            Error("download beyond 64 MB");
        } else {
            const uint64_t end = where + moved.size();
            if (download_.size() < end) download_.resize(end, 0xFF);
            const auto first = download_.begin() + static_cast<std::ptrdiff_t>(where);
            const auto last = download_.begin() + static_cast<std::ptrdiff_t>(end);
            chunkUndo_.push_back({where, std::vector<uint8_t>(first, last)});
            std::copy(moved.begin(), moved.end(), first);
        }
        ++writeHalf_;
        pending_ = Pending::None;
        break;
    }
    default:
        Error("bulk write of " + std::to_string(data.size()) + " bytes that nothing announced");
        ok = false;
        break;
    }
    trace_.back().ok = ok && !fault;
    return trace_.back().ok;
}

bool SimulatedProgrammer::UsbDataRead(std::span<uint8_t> data) {
    Record(SimCallKind::BulkIn, 0, 0, 0, static_cast<uint32_t>(data.size()));
    const std::optional<SimFault> fault = TakeFault(SimCallKind::BulkIn, -1);
    if (!Reachable() || fault == SimFault::Fail || fault == SimFault::Unplug) return false;
    size_t moved = fault == SimFault::Short ? data.size() / 2 : data.size();

    bool ok = true;
    switch (pending_) {
    case Pending::BlockRead:
        // The programmer sends what the request announced and no more; a
        // shorter read takes part of it.
        if (moved > pendingLength_) {
            Error("bulk read of " + std::to_string(data.size()) + " bytes, " +
                  std::to_string(pendingLength_) + " announced");
            moved = pendingLength_;
            ok = false;
        }
        if (pendingAddress_ + moved > ram_.size()) {
            Error("block read beyond the programmer's memory");
            ok = false;
            break;
        }
        std::copy_n(ram_.begin() + pendingAddress_, moved, data.begin());
        pending_ = Pending::None;
        break;
    case Pending::DataRead:
        if (data.size() > kHalf || readHalf_ > 1) {
            Error(readHalf_ > 1 ? "third data half in one chunk" : "data half longer than 32 KB");
            ok = false;
            break;
        }
        std::copy_n(readChunk_.begin() + readHalf_ * kHalf, moved, data.begin());
        ++readHalf_;
        pending_ = Pending::None;
        break;
    default:
        Error("bulk read of " + std::to_string(data.size()) + " bytes that nothing announced");
        ok = false;
        break;
    }
    if (ok)
        trace_.back().data.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(moved));
    trace_.back().ok = ok && !fault;
    return trace_.back().ok;
}

// ---- routines -------------------------------------------------------------------------------

void SimulatedProgrammer::SetStatus(uint8_t s0, uint8_t s1, uint32_t address, uint16_t data) {
    status_.fill(0);
    status_[0] = s0;
    status_[1] = s1;
    status_[2] = static_cast<uint8_t>(address >> 16);
    status_[3] = static_cast<uint8_t>(address >> 24);
    status_[4] = static_cast<uint8_t>(address);
    status_[5] = static_cast<uint8_t>(address >> 8);
    status_[6] = static_cast<uint8_t>(data);
    status_[7] = static_cast<uint8_t>(data >> 8);
}

void SimulatedProgrammer::SetChecksum(uint16_t sum) {
    status_[2] = static_cast<uint8_t>(sum);
    status_[3] = static_cast<uint8_t>(sum >> 8);
}

uint16_t SimulatedProgrammer::DownloadSum() const {
    uint32_t sum = 0;
    for (size_t i = 0; i < chip_.main.size(); ++i)
        sum += i < download_.size() ? download_[i] : 0xFF;
    return static_cast<uint16_t>(sum);
}

void SimulatedProgrammer::UndoChunkDownload() {
    for (auto it = chunkUndo_.rbegin(); it != chunkUndo_.rend(); ++it)
        std::copy(it->bytes.begin(), it->bytes.end(),
                  download_.begin() + static_cast<std::ptrdiff_t>(it->at));
    chunkUndo_.clear();
}

void SimulatedProgrammer::ApplyPatches() {
    for (size_t e = 0; e + 6 <= 252; e += 6) {
        auto word = [&](size_t at) {
            return static_cast<uint16_t>(patchList[e + at] | (patchList[e + at + 1] << 8));
        };
        if (word(0) == 0xFFFF && word(2) == 0xFFFF && word(4) == 0xFFFF) break;
        const uint64_t address = (static_cast<uint64_t>(word(2)) << 16) | word(0);
        if (address + 1 < download_.size()) {
            download_[address] = static_cast<uint8_t>(word(4));
            download_[address + 1] = static_cast<uint8_t>(word(4) >> 8);
        }
    }
}

void SimulatedProgrammer::Execute(uint16_t operation) {
    readHalf_ = 0;
    writeHalf_ = 0;
    SimExecution run;
    run.operation = operation;
    run.offsetWord = ParamWord(kWordOffset);
    run.bankWord = ParamWord(kWordBank);
    run.sizeWord = ParamWord(kWordSmallSize);
    run.vcc = ParamWord(0x20);
    run.vpp = ParamWord(0x22);
    run.vhh = ParamWord(0x24);
    // The chunk just written was extended-area data, not part of the buffer image.
    if (operation == OpProgramExt) UndoChunkDownload();
    chunkUndo_.clear();

    const unsigned width = chip_.Width();
    auto addressOf = [&](uint64_t byte) { return static_cast<uint32_t>(byte / width); };
    auto dataAt = [&](const std::vector<uint8_t>& area, uint64_t byte) {
        const uint64_t first = byte - byte % width;
        uint16_t v = area[first];
        if (width == 2 && first + 1 < area.size()) v |= static_cast<uint16_t>(area[first + 1] << 8);
        return v;
    };

    switch (operation) {
    case OpRead:
    case OpReadExt: {
        std::vector<uint8_t>& area = operation == OpRead ? chip_.main : chip_.ext;
        readChunk_.fill(0xFF);
        if (area.empty()) {
            SetStatus(1, 0);
        } else if (chip_.protectedFlag) {
            SetStatus(0, 4);
        } else {
            const uint64_t start = ChunkStart();
            for (uint64_t i = 0; i < kChunk; ++i)
                readChunk_[i] = start + i < area.size() ? area[start + i] : chip_.beyondArea;
            SetStatus(0, 0);
            SetChecksum(static_cast<uint16_t>(
                std::accumulate(area.begin(), area.end(), uint32_t{0})));
            if (operation == OpRead)
                std::copy(chip_.chipOptionBlock.begin(), chip_.chipOptionBlock.end(),
                          ram_.begin() + kChipOptionAddr);
        }
        break;
    }
    case OpErase:
        std::fill(chip_.main.begin(), chip_.main.end(), 0xFF);
        std::fill(chip_.ext.begin(), chip_.ext.end(), 0xFF);
        chip_.optionWords.fill(0xFF);
        chip_.chipOptionBlock.fill(0xFF);
        chip_.protectedFlag = false;
        SetStatus(0, 0);
        break;
    case OpBlankCheck: {  // main area, then the extended area behind it
        SetStatus(0, 0);
        const std::vector<uint8_t>* areas[] = {&chip_.main, &chip_.ext};
        uint64_t base = 0;
        bool found = false;
        for (const std::vector<uint8_t>* area : areas) {
            for (uint64_t i = 0; i < area->size() && !found; ++i) {
                if ((*area)[i] != 0xFF) {
                    SetStatus(1, 0, addressOf(base + i), dataAt(*area, i));
                    found = true;
                }
            }
            base += area->size();
        }
        break;
    }
    case OpProgram:
    case OpProgramExt: {
        std::vector<uint8_t>& area = operation == OpProgram ? chip_.main : chip_.ext;
        const uint64_t start = ChunkStart();
        if (area.empty() || chip_.protectedFlag) {
            SetStatus(1, 0, addressOf(start));
            break;
        }
        SetStatus(0, 0);
        if (start + kChunk > area.size()) {
            const uint64_t inside = area.size() > start ? area.size() - start : 0;
            run.pastArea.assign(chunk_.begin() + static_cast<std::ptrdiff_t>(inside),
                                chunk_.begin() + static_cast<std::ptrdiff_t>(kChunk));
        }
        bool failed = false;
        for (uint64_t i = 0; i < kChunk && start + i < area.size(); ++i) {
            uint8_t& cell = area[start + i];
            cell &= chunk_[i];  // programming can only clear bits
            if (cell != chunk_[i] && !failed) {
                SetStatus(1, 0, addressOf(start + i), dataAt(area, start + i));
                failed = true;
            }
        }
        break;
    }
    case OpVerify: {  // compare the downloaded buffer with the chip
        if (chip_.protectedFlag) {
            SetStatus(0, 4);
            break;
        }
        SetStatus(0, 0);
        for (size_t i = 0; i < chip_.main.size(); ++i) {
            const uint8_t want = i < download_.size() ? download_[i] : 0xFF;
            if (chip_.main[i] != want) {
                SetStatus(1, 0, addressOf(i), dataAt(chip_.main, i));
                break;
            }
        }
        break;
    }
    case OpProtect:  // storing the option words with it
        std::copy_n(ram_.begin() + kOptionAddr, chip_.optionWords.size(),
                    chip_.optionWords.begin());
        chip_.protectedFlag = true;
        SetStatus(0, 0);
        break;
    case OpExtractOptions:  // option data of the chip, checksum of the download
        std::copy(chip_.optionWords.begin(), chip_.optionWords.end(), ram_.begin() + kOptionAddr);
        std::copy(chip_.chipOptionBlock.begin(), chip_.chipOptionBlock.end(),
                  ram_.begin() + kChipOptionAddr);
        SetStatus(0, 0);
        SetChecksum(DownloadSum());
        break;
    case OpApplyOptions:  // apply the option data to the download; patch list at 0x0F00
        std::copy(patchList.begin(), patchList.end(), ram_.begin() + kPatchAddr);
        ApplyPatches();
        SetStatus(0, 0);
        SetChecksum(DownloadSum());
        break;
    default:
        Error("unknown operation " + Hex4(operation));
        SetStatus(1, 0);
        break;
    }

    auto over = overrides_.find(operation);
    if (over != overrides_.end() && !over->second.empty()) {
        status_ = over->second.front();
        over->second.pop_front();
    }
    run.status = status_;
    executions_.push_back(run);
}

// ---- trace ----------------------------------------------------------------------------------

std::vector<std::string> SimulatedProgrammer::TraceLines() const {
    std::vector<std::string> lines;
    for (const SimCall& c : trace_) {
        std::string line;
        switch (c.kind) {
        case SimCallKind::Open: line = "open"; break;
        case SimCallKind::Close: line = "close"; break;
        case SimCallKind::VendorOut:
            line = "out " + Hex2(c.request) + " " + Hex4(c.value) + " " + Hex4(c.index);
            if (c.length) line += " +" + std::to_string(c.length);
            break;
        case SimCallKind::VendorIn:
            line = "in " + Hex2(c.request) + " " + Hex4(c.value) + " " + Hex4(c.index) + " " +
                   std::to_string(c.length);
            break;
        case SimCallKind::BulkOut: line = "bulk-out " + std::to_string(c.length); break;
        case SimCallKind::BulkIn: line = "bulk-in " + std::to_string(c.length); break;
        }
        if (!c.ok && c.kind != SimCallKind::Close) line += " FAIL";
        lines.push_back(line);
    }
    return lines;
}

}  // namespace burnmark::testing
