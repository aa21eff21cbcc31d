// The Load and Save commands over a fresh application directory: the data
// buffer, a device record, the operation frame and the downloads over the
// simulated programmer, recording ports and a recording process starter. Tests
// write the dialogs' hand-back sections and small data files themselves.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "buffer/data_buffer.h"
#include "flow/load_flow.h"
#include "flow/save_flow.h"
#include "catalogue/device_facts.h"
#include "catalogue/device_loader.h"
#include "fusemap/fuse_map.h"
#include "link/fpga_image.h"
#include "link/programmer_link.h"
#include "operations/copy_page_model.h"
#include "operations/download_operations.h"
#include "operations/operation_frame.h"
#include "platform/profile.h"
#include "support/fake_ports.h"
#include "support/flow_fakes.h"
#include "support/simulated_programmer.h"
#include "support/temp_dir.h"
#include "unit/catalogue/catalogue_fixture.h"

namespace burnmark::testing {

using Keys = std::map<std::string, std::string>;

class FlowTest : public ::testing::Test {
protected:
    FlowTest() {
        buffer.SetDeviceSizeProvider([this] { return DeviceSizeOf(device); });
    }

    std::string History() const { return device.HistoryIniPath; }

    void WriteSection(const std::string& section, const Keys& keys) {
        Profile history(History());
        for (const auto& [k, v] : keys) history.WriteString(section, k, v);
    }
    std::string ReadKey(const std::string& section, const std::string& key) const {
        return Profile(History()).ReadString(section, key, "<missing>");
    }

    std::string WriteData(const std::string& name, const std::string& bytes) {
        return dir.Write("data/" + name, bytes);
    }

    // A [LoadDlg] as the dialog's Load button leaves it, with the whole file
    // as the range, destination 0, auto-detection and the fill off.
    void HandBack(const std::string& path, Keys overrides = {}) {
        const uint32_t size = GetFileSizeByName(path);
        Keys keys = {{"SourceSAdd", "0"}, {"SourceEAdd", std::to_string(size - 1)},
                     {"DistSAdd", "0"},   {"UserFill", "255"},
                     {"Format", "0"},     {"UnuserFillCheck", "0"},
                     {"Name", path},      {"OK", "1"}};
        for (const auto& [k, v] : overrides) keys[k] = v;
        WriteSection("LoadDlg", keys);
    }

    // The answer a dialog gave that left [LoadDlg] as it is now.
    LoadSettings HandedBack() const { return ReadLoadSettings(Profile(History())); }

    // A device file under INI/TESTCO, written into [SelectDlg] and loaded and
    // sized as the selection dialog's OK does.
    void SelectDevice(DeviceKeys keys, const std::string& extendPro = {}) {
        std::filesystem::create_directories(dir.Path() + "FPGA");
        dir.Write("FPGA/TEST.BIN", std::string(100, '\x5A'));
        std::string text = "[" + std::string(kDeviceSection) + "]\r\n";
        for (const auto& [k, v] : keys.Keys()) text += k + "=" + v + "\r\n";
        text += extendPro;
        dir.Write("INI/TESTCO/DEV.INI", text);
        const std::string stored = device.AppDir + "INI\\TESTCO\\DEV.INI";
        device.IcFileName = stored;
        device.Manufacturer = "TESTCO";
        WriteSection("SelectDlg", {{"IcFileName", stored}});
        ASSERT_EQ(ApplyDeviceBufferSize(LoadContext(), sizing, buffer), DeviceLoadResult::Loaded);
        messages.Clear();
    }

    DeviceLoadContext LoadContext() { return DeviceLoadContext{device, messages, fpga}; }

    FlowContext Context() {
        return FlowContext{busy,
                           device,
                           options,
                           buffer,
                           messages,
                           player,
                           progress,
                           pump,
                           processes,
                           link,
                           frame,
                           downloads,
                           fpga,
                           [] { return uint64_t{0x5A00017}; }};
    }

    std::vector<uint8_t> Bytes(uint32_t at, std::size_t count) {
        BufferLock lock = buffer.GetBufferHandle();
        return {lock.data() + at, lock.data() + at + count};
    }
    uint8_t Byte(uint32_t at) { return Bytes(at, 1)[0]; }
    void FillBuffer(uint8_t value) {
        BufferLock lock = buffer.GetBufferHandle();
        std::fill(lock.data(), lock.data() + lock.size(), value);
    }

    static DeviceRecord DeviceIn(const TempDir& d) {
        DeviceRecord r;
        r.AppDir = d.Path();
        r.HistoryIniPath = d.Path() + "History_1.ini";
        return r;
    }

    TempDir dir;
    BusyState busy;
    DeviceOptions options;
    BufferSizing sizing;
    FakeMessages messages;
    FakeSounds sounds;
    SoundPlayer player{sounds, messages};
    FakeProgress progress;
    FakePump pump;
    FakeProcesses processes;
    DeviceRecord device = DeviceIn(dir);
    DataBuffer buffer{messages, progress, device.HistoryIniPath};
    SimulatedProgrammer sim;
    CopyPageModel page;
    // The frame is the failure display of the link and the fuse map, which
    // it holds by reference only.
    OperationFrame frame{device, options, buffer, fuseMap, link, page, messages, player, pump};
    DownloadOperations downloads{frame};
    FuseMap fuseMap{messages, frame};
    FpgaImage fpga{messages, frame};
    ProgrammerLink link{sim, messages, player, frame, fpga};
};

}  // namespace burnmark::testing
