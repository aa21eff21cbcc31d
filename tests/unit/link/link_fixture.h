// A programmer link over the simulated programmer, with recording ports and a
// scratch folder for FPGA files.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/fpga_image.h"
#include "link/programmer_link.h"
#include "support/fake_ports.h"
#include "support/simulated_programmer.h"

namespace burnmark::testing {

class LinkFixture : public ::testing::Test {
protected:
    LinkFixture() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::path(::testing::TempDir()) / "burnmark_link" /
               info->test_suite_name() / info->name();
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(0x80 + i);
    }
    ~LinkFixture() override { std::filesystem::remove_all(dir_); }

    std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::filesystem::path path = dir_ / name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    // Loads a short FPGA file and forgets what the load showed.
    void LoadShortFpga() {
        ASSERT_TRUE(fpga.LoadFpgaFile(WriteFile("short.fpga", kShortFpga)));
        messages.Clear();
        fail.count = 0;
    }

    SetupDevice Device() const { return SetupDevice{ParamBlockView(block)}; }

    std::vector<std::string> Lines() const { return sim.TraceLines(); }

    static inline const std::vector<uint8_t> kShortFpga = {0x10, 0x21, 0x32, 0x43, 0x54,
                                                           0x65, 0x76, 0x87, 0x98, 0xA9};

    SimulatedProgrammer sim;
    FakeMessages messages;
    FakeSounds sounds;
    FakeFailDisplay fail;
    SoundPlayer player{sounds, messages};
    FpgaImage fpga{messages, fail};
    ProgrammerLink link{sim, messages, player, fail, fpga};
    std::array<uint8_t, 128> block{};

private:
    std::filesystem::path dir_;
};

}  // namespace burnmark::testing
