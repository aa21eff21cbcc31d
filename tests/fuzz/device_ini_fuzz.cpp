// libFuzzer target for the device definition loader and the buffer sizing.
// The input is written as a device file into a private application directory
// (with an FPGA folder holding FUZZ.BIN, which inputs may name as UserWav) and
// loaded as the selection dialog's OK loads it. Inputs of odd length are loaded
// after a valid 16-bit device, so that what a broken load keeps of the
// previous device is checked too.
//
// The data buffer is capped at kBufferCap: a device may rightly ask for up to
// 256 MB, but zeroing that much per input would leave the fuzzer no time to
// parse. Above the cap the buffer refuses the size as it refuses a failed
// allocation, and the checks expect exactly that refusal.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "buffer/data_buffer.h"
#include "catalogue/device_loader.h"
#include "link/fpga_image.h"
#include "platform/quiet_ports.h"

namespace {

using namespace burnmark;

inline void Check(bool ok) {
    if (!ok) std::abort();
}

constexpr std::size_t kBufferCap = std::size_t{8} << 20;

class CountingFailDisplay : public OperationFailDisplay {
public:
    void ShowOperationFail() override { ++count; }
    int count = 0;
};

// A valid 64 K-word 16-bit device of 40 pins, loaded before odd-length inputs.
const char* const kPreviousDevice =
    "[DE_48ExternValue]\r\nUserWav=FUZZ.BIN\r\nBRAND=PREV\r\nName=P27C1024\r\nType=Memory\r\n"
    "Data_Width=0xFFFF\r\nmax_address_Hi=0\r\nmax_address_Low=0xFFFF\r\nPIN=40\r\n"
    "Gnd_pin1=20\r\nVcc_pin1=40\r\nprogram_pulse_unit=uS\r\nerase_pulse_unit=mS\r\n"
    "protect_pulse_unit=uS\r\nunprotect_pulse_unit=S\r\nAllPinDef=S40:0FFFFFFFFFF00\r\n";

struct AppDirectory {
    std::filesystem::path root;
    std::string appDir;  // root + '/'
    std::string deviceFile, deviceStored, previousStored;

    AppDirectory() {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/bm_device_ini_fuzz_XXXXXX";
        Check(mkdtemp(pattern.data()) != nullptr);
        root = pattern;
        appDir = pattern + "/";
        std::filesystem::create_directories(root / "INI" / "FUZZ");
        std::filesystem::create_directories(root / "FPGA");
        std::ofstream(root / "FPGA" / "FUZZ.BIN", std::ios::binary) << std::string(100, '\x5A');
        std::ofstream(root / "INI" / "FUZZ" / "PREV.INI", std::ios::binary) << kPreviousDevice;
        deviceFile = (root / "INI" / "FUZZ" / "DEVICE.INI").string();
        // Stored as the catalogue stores them.
        deviceStored = appDir + "INI\\FUZZ\\DEVICE.INI";
        previousStored = appDir + "INI\\FUZZ\\PREV.INI";
    }
    ~AppDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
};

AppDirectory& Dir() {
    static AppDirectory dir;
    return dir;
}

bool IsPulseUnit(const std::string& u) { return u == "uS" || u == "mS" || u == "S"; }

// No component of a stored name is "..".
bool NoParentStep(const std::string& name) {
    std::size_t from = 0;
    for (;;) {
        const std::size_t to = name.find_first_of("\\/", from);
        if (name.substr(from, to == std::string::npos ? std::string::npos : to - from) == "..")
            return false;
        if (to == std::string::npos) return true;
        from = to + 1;
    }
}

// What must hold after any load, whatever the file said.
void CheckRecord(DeviceLoadResult result, const DeviceRecord& rec,
                 const FpgaImage& fpga, std::size_t messagesOfLoad) {
    Check(result != DeviceLoadResult::NoPath);
    Check(rec.DeviceValid == (result == DeviceLoadResult::Loaded));
    // Every refusal tells the operator; a load that runs to its end says nothing.
    Check((messagesOfLoad == 0) == (result == DeviceLoadResult::Loaded));

    Check(rec.DeviceBytes <= kMaxBufferBytes && rec.BufferBytes <= kMaxBufferBytes);
    Check(rec.DeviceBytes <= rec.BufferBytes);
    for (uint8_t flag : rec.PinFlags) Check(flag <= 1);
    Check(rec.DataDoNotCare.size() <= kMaxDataDoNotCareChars);
    if (result == DeviceLoadResult::FpgaMissing || result == DeviceLoadResult::FpgaLoadFailed ||
        result == DeviceLoadResult::FpgaNameOutside)
        Check(rec.FpgaFileMissing != 0);
    // An image is only ever read from the FPGA folder and option pages from
    // the program's folder: no parent step in their names, whatever the load
    // left in the record.
    Check(NoParentStep(rec.Menu));
    if (result != DeviceLoadResult::Loaded) return;
    Check(NoParentStep(rec.FpgaFilePath.substr(rec.AppDir.size())));

    Check(rec.FpgaFileMissing == 0 && fpga.Owned());
    for (const std::string& unit : rec.PulseUnits) Check(IsPulseUnit(unit));

    // Supply and ground land on socket pins; each pair names at least one.
    Check(rec.PinCount >= 1 && rec.PinCount <= kSocketPins);
    for (std::size_t word : {param::GndPins, param::VccPins}) {
        const uint16_t pins = rec.DeviceParamBlock.Word(word);
        Check((pins & 0xFF) <= kSocketPins && (pins >> 8) <= kSocketPins);
        Check((pins & 0xFF) != 0 || (pins >> 8) != 0);
    }

    // The fuse grid fits the fuse map (fuse count + 4096 cells).
    if (rec.HasFuseMap) {
        Check(rec.FuseCols > 0 && rec.FuseRows > 0 && rec.FuseCount >= 1);
        Check(uint64_t(rec.FuseCols) * uint64_t(rec.FuseRows) <= uint64_t{rec.FuseCount} + 4096);
    }

    // The sizes the operations use agree with the address words they send.
    const DeviceSizes sizes = ComputeDeviceSizes(rec.DeviceParamBlock, rec.Data_Width);
    if (sizes.deviceBytes) {
        Check(rec.DeviceBytes == *sizes.deviceBytes && rec.BufferBytes == *sizes.bufferBytes);
        Check(rec.HasExtArea == sizes.hasExtArea);
    }
    Check(rec.DeviceParamBlock.Word(param::TransferSize) == sizes.transferSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    AppDirectory& dir = Dir();
    {
        std::ofstream out(dir.deviceFile, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        Check(static_cast<bool>(out));
    }
    QuietMessages messages;
    QuietProgress progress;
    CountingFailDisplay fail;
    BufferSizing sizing;
    DeviceRecord record;
    record.AppDir = dir.appDir;
    FpgaImage fpga(messages, fail);
    DataBuffer buffer(messages, progress, dir.appDir + "History_1.ini", kBufferCap);
    const DeviceLoadContext ctx{record, messages, fpga};

    if (size % 2 == 1) {
        record.IcFileName = dir.previousStored;
        Check(ApplyDeviceBufferSize(ctx, sizing, buffer) == DeviceLoadResult::Loaded);
        Check(record.DeviceBytes == 0x20000 && buffer.GetBufferSize() == 0x20000 + 1024);
        Check(messages.texts.empty() && messages.boxes.empty());
    }

    record.IcFileName = dir.deviceStored;
    const auto voltageSet = static_cast<uint16_t>((size / 2) % 6);
    const auto bank = static_cast<uint16_t>(size > 0 ? data[0] : 0);
    const DeviceLoadResult first = LoadDeviceIni(ctx, voltageSet, bank, 0x8000);
    CheckRecord(first, record, fpga, messages.texts.size());
    if (first == DeviceLoadResult::Loaded) {
        Check(record.DeviceParamBlock.Word(param::TransferBank) == bank);
        Check(record.DeviceParamBlock.Word(param::TransferOffset) == 0x8000);
    }

    messages.texts.clear();
    messages.boxes.clear();
    const uint32_t loadedBefore = sizing.LoadedBufferSize;
    const DeviceLoadResult second = ApplyDeviceBufferSize(ctx, sizing, buffer);
    CheckRecord(second, record, fpga, messages.texts.size());
    // The same file gives the same verdict (the test voltages are read only
    // for their own set, so a bad one stops only that load).
    if (voltageSet != kTestVoltages) Check(second == first);

    // The buffer never shrinks within a run and covers the device whenever
    // the size could be had.
    Check(sizing.LoadedBufferSize == sizing.BufferSize && sizing.BufferSize >= loadedBefore);
    if (uint64_t{sizing.BufferSize} + DataBuffer::kBlockSlack <= kBufferCap) {
        Check(messages.boxes.empty());
        // A size of 0 equals a fresh buffer's last request and is skipped.
        if (sizing.BufferSize != 0)
            Check(buffer.GetBufferSize() ==
                  uint64_t{sizing.BufferSize} + DataBuffer::kLengthSlack);
        Check(buffer.GetBufferSize() >= record.DeviceBytes);
        if (second == DeviceLoadResult::Loaded && ComputeDeviceSizes(
                record.DeviceParamBlock, record.Data_Width).deviceBytes)
            Check(buffer.GetBufferSize() >= record.BufferBytes);
    } else {
        Check(messages.boxes.size() == 1 && messages.boxes[0] == "Memory error !");
    }
    return 0;
}
