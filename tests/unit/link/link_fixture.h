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
#include "support/temp_dir.h"

namespace burnmark::testing {

class LinkFixture : public ::testing::Test {
protected:
    LinkFixture() {
        for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(0x80 + i);
    }

    // In a folder of this test's own: the same test of another build may be
    // running at the same time.
    std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        return dir_.Write(name, std::string(bytes.begin(), bytes.end()));
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
    TempDir dir_;
};

}  // namespace burnmark::testing
