// The operation frame and its families over the simulated programmer, with recording fakes of
// the ports, a temporary application directory, a loaded FPGA image and a
// device described by its address words.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "buffer/data_buffer.h"
#include "catalogue/device_facts.h"
#include "catalogue/device_record.h"
#include "fusemap/fuse_map.h"
#include "link/fpga_image.h"
#include "link/programmer_link.h"
#include "operations/automatic_run.h"
#include "operations/copy_page_model.h"
#include "operations/download_operations.h"
#include "operations/edit_area_sum.h"
#include "operations/operation_frame.h"
#include "operations/read_back_operations.h"
#include "operations/simple_operations.h"
#include "support/fake_checksum_field.h"
#include "support/fake_ports.h"
#include "support/fake_verify_error_list.h"
#include "support/simulated_programmer.h"
#include "support/temp_dir.h"

namespace burnmark::testing {

// A frame whose 64 KB transfer blocks can run out.
class TestFrame : public OperationFrame {
public:
    using OperationFrame::OperationFrame;
    // Allocations after this many succeed no more (-1: never fail).
    int chunksBeforeFailure = -1;

    std::unique_ptr<TransferChunk> AllocateChunk() override {
        if (chunksBeforeFailure == 0) return nullptr;
        if (chunksBeforeFailure > 0) --chunksBeforeFailure;
        return OperationFrame::AllocateChunk();
    }
};

// Records each new position of the two progress bars, in order.
class BarRecorder : public CopyPageView {
public:
    explicit BarRecorder(CopyPageModel& page) : page_(page) {
        last21_ = page.ProgressBar21().position;
        last2_ = page.ProgressBar2().position;
        page.SetView(this);
    }
    ~BarRecorder() override { page_.SetView(nullptr); }
    void Changed() override {
        Note(page_.ProgressBar21().position, last21_, bar21);
        Note(page_.ProgressBar2().position, last2_, bar2);
    }
    std::vector<int32_t> bar21, bar2;

private:
    static void Note(int32_t now, int32_t& last, std::vector<int32_t>& seen) {
        if (now == last) return;
        last = now;
        seen.push_back(now);
    }
    CopyPageModel& page_;
    int32_t last21_ = 0, last2_ = 0;
};

struct DeviceShape {
    const char* width = "0x00FF";
    uint16_t maxHi = 0;
    uint16_t maxLow = 0x7FFF;
    uint16_t extHi = 0;
    uint16_t extLow = 0;
    uint16_t startHi = 0;  // first bank, when not 0
};

// Transfer words of one parameter block the host sent.
struct SentWords {
    uint16_t bank;
    uint16_t offset;
    uint16_t size;
    bool operator==(const SentWords&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const SentWords& w) {
    return os << "(bank " << w.bank << ", offset 0x" << std::hex << w.offset << ", size 0x"
              << w.size << std::dec << ")";
}

class OperationRig {
public:
    explicit OperationRig(std::size_t maxBufferBlock = DataBuffer::kDefaultMaxBlockBytes)
        : buffer(messages, progress, dir.Path() + "History_1.ini", maxBufferBlock),
          frame(device, options, buffer, fuseMap, link, page, messages, player, pump),
          fpga(messages, frame),
          fuseMap(messages, frame),
          link(sim, messages, player, frame, fpga) {
        device.AppDir = dir.Path();
        device.HistoryIniPath = dir.Path() + "History_1.ini";
        dir.Write("History_1.ini", "[SelectDlg]\r\nManufacturer=ATMEL\r\nTypeNum=AT27C256\r\n");
        const std::string image = dir.Write("FPGA/test.fpg", "FPGA-IMAGE");
        fpga.LoadFpgaFile(image);
        checksum.SetField(&field);
        buffer.SetChecksumView(&checksum);
        buffer.SetDeviceSizeProvider([this] { return DeviceSizeOf(device); });
        readBacks.SetChecksumDisplay(&checksum);
        readBacks.SetVerifyErrorList(&list);
        readBacks.SetDeviceLoading(&fpga, &sizing);
        editSum.SetChecksumDisplay(&checksum);
        editSum.SetBufferSizing(&sizing);
        UseDevice({});
    }

    // Describes the device in the record, sizes the buffer as the loader would
    // and puts a blank chip of the same shape in the socket.
    void UseDevice(const DeviceShape& shape) {
        DeviceParamBlock& b = device.DeviceParamBlock;
        b.Clear();
        b.SetWord(param::max_address_Hi, shape.maxHi);
        b.SetWord(param::max_address_Low, shape.maxLow);
        b.SetWord(param::ext_address_Hi, shape.extHi);
        b.SetWord(param::ext_address_Low, shape.extLow);
        b.SetWord(param::start_address_Hi, shape.startHi);
        for (std::size_t w = param::read_mode; w <= param::prot_mode; w += 2) b.SetWord(w, 1);
        // The read engine a device file names for its width.
        if (ClassifyDataWidth(shape.width, DataWidthSpellings::MixedCase16) == DataWidth::Word16)
            b.SetWord(param::read_mode, 0x0401);
        device.Manufacturer = "ATMEL";
        device.TypeNum = "AT27C256";
        device.Data_Width = shape.width;
        const DeviceSizes sizes = ComputeDeviceSizes(b, shape.width);
        b.SetWord(param::TransferSize, sizes.transferSize);
        device.DeviceBytes = static_cast<uint32_t>(sizes.deviceBytes.value_or(0));
        device.BufferBytes = static_cast<uint32_t>(sizes.bufferBytes.value_or(0x10000));
        device.HasExtArea = sizes.hasExtArea;
        device.StartAddress = ComputeStartAddress(shape.startHi, 0);
        device.StartAddressHiText = std::to_string(shape.startHi);
        for (std::size_t v = 0; v < kVoltageCount; ++v)
            device.Voltages[v] = static_cast<uint16_t>(50 + v);  // tell the sets apart
        device.FpgaFileMissing = 0;
        device.DeviceValid = true;
        buffer.SetBufferSize(device.BufferBytes);

        const bool wide = sizes.width == DataWidth::Word16;
        const uint32_t mainAddresses = ((uint32_t{shape.maxHi} << 16) | shape.maxLow) + 1;
        const uint32_t extAddresses =
            sizes.hasExtArea ? ((uint32_t{shape.extHi} << 16) | shape.extLow) + 1 : 0;
        sim.InsertChip(wide, mainAddresses, extAddresses);
    }

    // Fills the whole buffer with a pattern that differs from bank to bank.
    void FillBufferPattern(uint8_t seed = 0x3C) {
        BufferLock lock = buffer.GetBufferHandle();
        for (std::size_t i = 0; i < lock.size(); ++i)
            lock[i] = static_cast<uint8_t>((i * 7 + (i >> 16) * 13 + seed) & 0xFF);
    }

    std::vector<uint8_t> BufferBytes(uint64_t from, uint64_t count) {
        BufferLock lock = buffer.GetBufferHandle();
        return std::vector<uint8_t>(lock.data() + from, lock.data() + from + count);
    }

    // The programmer open, as after the automatic run's set-up, and the trace cleared.
    void OpenAsRunDid() {
        sim.UsbOpen(ProgrammerProductId);
        sim.ClearTrace();
    }

    // The transfer words of every parameter block sent after the set-up's own.
    std::vector<SentWords> ChunkWords() const {
        std::vector<SentWords> out;
        const auto& trace = sim.Trace();
        bool inSetup = false;
        for (std::size_t i = 0; i + 1 < trace.size(); ++i) {
            const SimCall& c = trace[i];
            if (c.kind == SimCallKind::VendorOut && c.request == 0x47 && c.value == 0x0B00 &&
                c.index == 0x0100)
                inSetup = true;  // the next block is the set-up's
            if (c.kind != SimCallKind::VendorOut || c.request != 0x47 || c.value != 0x0B00 ||
                c.index != 0x0080)
                continue;
            const SimCall& bulk = trace[i + 1];
            if (bulk.kind != SimCallKind::BulkOut || bulk.data.size() != 128) continue;
            if (inSetup) {
                inSetup = false;
                continue;
            }
            auto word = [&](std::size_t at) {
                return static_cast<uint16_t>(bulk.data[at] | (bulk.data[at + 1] << 8));
            };
            out.push_back({word(0x12), word(0x10), word(0x14)});
        }
        return out;
    }

    // Fills the chip's areas with a pattern of their own (unlike the buffer's).
    void FillChipPattern(uint8_t seed = 0xA7) {
        uint64_t i = 0;
        for (auto* area : {&sim.Chip().main, &sim.Chip().ext}) {
            for (uint8_t& byte : *area) {
                byte = static_cast<uint8_t>((i * 11 + seed) ^ (i >> 12));
                ++i;
            }
        }
    }

    // The buffer holds what the chip holds, at the places the read puts it.
    void CopyChipToBuffer() {
        BufferLock lock = buffer.GetBufferHandle();
        const std::vector<uint8_t>& main = sim.Chip().main;
        const std::vector<uint8_t>& ext = sim.Chip().ext;
        std::copy(main.begin(), main.end(), lock.data());
        std::copy(ext.begin(), ext.end(), lock.data() + main.size());
    }

    // How many requests of one number the host sent.
    int Requests(uint8_t request) const {
        int n = 0;
        for (const SimCall& c : sim.Trace())
            n += c.kind == SimCallKind::VendorOut && c.request == request;
        return n;
    }

    std::vector<SentWords> Executed(uint16_t operation) const {
        std::vector<SentWords> out;
        for (const SimExecution& e : sim.Executions())
            if (e.operation == operation) out.push_back({e.bankWord, e.offsetWord, e.sizeWord});
        return out;
    }

    int FailSounds() const {
        return static_cast<int>(std::count(sounds.calls.begin(), sounds.calls.end(), "error"));
    }
    int PassSounds() const {
        return static_cast<int>(std::count(sounds.calls.begin(), sounds.calls.end(), "beep"));
    }

    TempDir dir;
    DeviceRecord device;
    DeviceOptions options;
    FakeMessages messages;
    FakeSounds sounds;
    SoundPlayer player{sounds, messages};
    FakePump pump;
    FakeProgress progress;
    SimulatedProgrammer sim;
    CopyPageModel page;
    RecordingField field;
    ChecksumDisplay checksum;
    FakeVerifyErrorList list;
    BufferSizing sizing;
    DataBuffer buffer;
    // The frame is the fail display of the image, the fuse map and the link,
    // which are built after it; it only keeps references to them.
    TestFrame frame;
    SimpleOperations simple{frame};
    DownloadOperations downloads{frame};
    ReadBackOperations readBacks{frame, downloads};
    EditAreaSum editSum{frame, downloads};
    AutomaticRun run{frame, simple, downloads, readBacks};
    FpgaImage fpga;
    FuseMap fuseMap;
    ProgrammerLink link;
};

}  // namespace burnmark::testing
