// The option pages over a fresh application directory: a device record whose
// "Menu" names a definition the test writes, the option value store, and the
// option exchange over the simulated programmer with recording ports.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "buffer/checksum_view.h"
#include "buffer/data_buffer.h"
#include "catalogue/device_options.h"
#include "catalogue/device_record.h"
#include "catalogue/option_exchange.h"
#include "catalogue/option_layout.h"
#include "link/fpga_image.h"
#include "link/programmer_link.h"
#include "platform/profile.h"
#include "support/fake_checksum_field.h"
#include "support/fake_ports.h"
#include "support/simulated_programmer.h"
#include "support/temp_dir.h"

namespace burnmark::testing {

class OptionFixture : public ::testing::Test {
protected:
    OptionFixture() {
        device.AppDir = dir.Path();
        device.HistoryIniPath = dir.Path() + "History_1.ini";
        device.Menu = "OPTION\\TEST.INI";
        device.DeviceValid = true;
        device.FuseTypeDigit = 2;
        device.Voltages[kReadVcc] = 50;
        device.Voltages[kReadVpp] = 51;
        device.Voltages[kReadVhh] = 52;
        dir.Write("FPGA/TEST.BIN", std::string(64, '\x5A'));
        EXPECT_TRUE(fpga.LoadFpgaFile(dir.Path() + "FPGA/TEST.BIN"));
        checksum.SetField(&field);
        exchange.SetBufferSender([this] {
            ++downloads;
            return downloadOk;
        });
    }

    // The definition file "Menu" names (CRLF lines).
    void Definition(const std::string& text) { dir.Write("OPTION/TEST.INI", Crlf(text)); }
    void Store(const std::string& text) { dir.Write("temp.ini", Crlf(text)); }
    std::string Stored(const std::string& key) const {
        return Profile(dir.Path() + "temp.ini").ReadString(kOptionStoreSection, key, "<missing>");
    }
    OptionLayout Layout() const {
        return ReadDeviceOptionLayout(device, options.OptionValuesSaved);
    }
    std::vector<uint16_t> Packed(std::size_t count) {
        PackOptionWords(Layout(), options.OptionWords);
        return {options.OptionWords.begin(), options.OptionWords.begin() + count};
    }

    static std::string Crlf(const std::string& text) {
        std::string out;
        for (char c : text) {
            if (c == '\n') out += '\r';
            out += c;
        }
        return out;
    }

    TempDir dir;
    DeviceRecord device;
    DeviceOptions options;
    SimulatedProgrammer sim;
    FakeMessages messages;
    FakeSounds sounds;
    FakeFailDisplay fail;
    FakeProgress progress;
    SoundPlayer player{sounds, messages};
    FpgaImage fpga{messages, fail};
    ProgrammerLink link{sim, messages, player, fail, fpga};
    DataBuffer buffer{messages, progress, dir.Path() + "History_1.ini"};
    RecordingField field;
    ChecksumDisplay checksum;
    OptionExchange exchange{
        OptionExchangeParts{device, options, buffer, link, messages, fail, checksum}};
    int downloads = 0;
    bool downloadOk = true;
};

}  // namespace burnmark::testing
