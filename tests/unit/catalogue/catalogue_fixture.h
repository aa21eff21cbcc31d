// A temporary application directory with an FPGA folder and device files that
// the tests write key by key, and the loader's collaborators wired to fakes.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/device_loader.h"
#include "link/fpga_image.h"
#include "buffer/buffer_sizing.h"
#include "support/fake_ports.h"

namespace burnmark::testing {

// The keys of a device file in file order; Set replaces or appends, Remove
// drops a key so that the loader sees its default.
class DeviceKeys {
public:
    DeviceKeys& Set(const std::string& key, const std::string& value) {
        for (auto& kv : keys_) {
            if (kv.first == key) {
                kv.second = value;
                return *this;
            }
        }
        keys_.emplace_back(key, value);
        return *this;
    }
    DeviceKeys& Remove(const std::string& key) {
        std::erase_if(keys_, [&](const auto& kv) { return kv.first == key; });
        return *this;
    }
    const std::vector<std::pair<std::string, std::string>>& Keys() const { return keys_; }

private:
    std::vector<std::pair<std::string, std::string>> keys_;
};

// A complete, valid 8-bit 32 KB memory device of 28 pins.
inline DeviceKeys ValidDevice() {
    DeviceKeys d;
    const char* pairs[][2] = {
        {"UserWav", "TEST.BIN"}, {"BRAND", "TESTCO"}, {"Name", "T27C256"}, {"Type", "Memory"},
        {"UserEdit", "MainEdit"}, {"start_address_Hi", "0"}, {"start_address_Low", "0"},
        {"Data_DoNotCare", "0xFF"}, {"Data_Width", "0x00FF"}, {"max_address_Hi", "0x0000"},
        {"max_address_Low", "0x7FFF"}, {"ext_address_Hi", "0"}, {"ext_address_Low", "0"},
        {"fuse_row", "0"}, {"fuse_col", "0"}, {"Intact", "0"}, {"id_address", "0"},
        {"id1_address", "1"}, {"id2_address", "0"}, {"id3_address", "0"},
        {"Option_Fuse_Type", "0x00"}, {"id_vcc", "50"}, {"id_vpp", "50"}, {"id_vhh", "120"},
        {"read_vcc", "50"}, {"read_vpp", "50"}, {"read_vhh", "0"}, {"erase_vcc", "50"},
        {"erase_vpp", "50"}, {"erase_vhh", "0"}, {"program_vcc", "62"}, {"program_vpp", "127"},
        {"program_vhh", "0"}, {"protect_vcc", "50"}, {"protect_vpp", "50"}, {"protect_vhh", "0"},
        {"vc2", "0"}, {"vp2", "0"}, {"vh2", "0"}, {"Gnd_pin2", "0"}, {"Gnd_pin1", "14"},
        {"PIN", "28"}, {"Vcc_pin2", "0"}, {"Vcc_pin1", "28"}, {"read_mode", "0x0101"},
        {"erase_mode", "0"}, {"blank_mode", "0x0101"}, {"prog_mode", "0x0102"},
        {"verify_mode", "0x0101"}, {"prot_mode", "0"}, {"test_mode", "0"}, {"id_mode", "1"},
        {"program_pulse", "100"}, {"erase_pulse", "0"}, {"protect_pulse", "0"},
        {"unprotect_pulse", "0"}, {"Menu", "0"}, {"program_pulse_unit", "uS"},
        {"erase_pulse_unit", "mS"}, {"protect_pulse_unit", "uS"},
        {"unprotect_pulse_unit", "S"}, {"program_times", "25"}, {"erase_times", "0"},
        {"protect_times", "0"}, {"unprotect_times", "0"}, {"program_retry", "3"},
        {"erase_retry", "0"}, {"protect_retry", "0"}, {"unprotect_retry", "0"},
        {"prot_address", "0"}, {"Current_Limit", "80"}, {"para1", "0"}, {"para2", "0"},
        {"unprotect_mode", "0"}, {"page_size", "0"}, {"IC_Information1", "Test EPROM"},
        {"IC_Information2", "None"}, {"IC_Information3", "None"}, {"IC_Information4", "None"},
        {"IC_Information5", "None"}, {"AllPinDef", "S28:000FFFFFFF000"}};
    for (const auto& p : pairs) d.Set(p[0], p[1]);
    return d;
}

class CatalogueFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/bm_catalogue_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        std::filesystem::create_directories(root_ / "INI" / "TESTCO");
        std::filesystem::create_directories(root_ / "FPGA");
        WriteFpga("TEST.BIN", 100, 0x5A);
        record.AppDir = root_.string() + "/";
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    void WriteFpga(const std::string& name, std::size_t size, uint8_t fill) {
        std::ofstream out(root_ / "FPGA" / name, std::ios::binary);
        out << std::string(size, static_cast<char>(fill));
    }

    // Writes INI/TESTCO/<file> and returns its stored path (AppDir + "INI\...").
    std::string WriteDevice(const std::string& file, const DeviceKeys& keys,
                            const std::string& section = kDeviceSection) {
        std::ofstream out(root_ / "INI" / "TESTCO" / file, std::ios::binary);
        out << "[" << section << "]\r\n";
        for (const auto& [k, v] : keys.Keys()) out << k << "=" << v << "\r\n";
        return record.AppDir + "INI\\TESTCO\\" + file;
    }

    // Selects a device file as the selection dialog's OK does, and loads it.
    DeviceLoadResult Load(const std::string& storedPath) {
        record.IcFileName = storedPath;
        return LoadDeviceIni(Context());
    }

    DeviceLoadContext Context() { return DeviceLoadContext{record, messages, fpga}; }

    std::filesystem::path root_;
    DeviceRecord record;
    BufferSizing sizing;
    FakeMessages messages;
    FakeFailDisplay fail;
    FpgaImage fpga{messages, fail};
};

}  // namespace burnmark::testing
