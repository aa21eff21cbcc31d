#include "operations/device_check.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "operation_rig.h"

namespace burnmark::testing {
namespace {

std::string SampleFile(const std::string& relative) {
    std::ifstream in(std::string(BURNMARK_SAMPLE_DIR) + "/" + relative, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The rig with the sample's default device in its application directory.
struct CheckRig {
    CheckRig() {
        rig.dir.Write("INI/ATMEL/AT89C51.INI", SampleFile("INI/ATMEL/AT89C51.INI"));
        rig.dir.Write("FPGA/MCU51.BIN", SampleFile("FPGA/MCU51.BIN"));
        // As the start-up restore leaves them.
        deviceIniPath = rig.dir.Path() + "INI\\ATMEL\\AT89C51.INI";
        rig.device.IcFileName = deviceIniPath;
        // The About box left the programmer open.
        rig.sim.UsbOpen(ProgrammerProductId);
        rig.sim.ClearTrace();
        // The step as UpdateCopyButtons leaves it: ready on top.
        rig.page.Show(CopyStep::Verify, StepImage::Ready);
        rig.page.Show(CopyStep::Verify, StepImage::Highlight);
        rig.page.Show(CopyStep::Verify, StepImage::Working);
    }

    // The picture the operator sees: the top visible one of the step's stack.
    StepImage Seen() const {
        for (StepImage image : {StepImage::Ready, StepImage::Highlight, StepImage::Working,
                                StepImage::Pass, StepImage::Fail, StepImage::Off})
            if (rig.page.Visible(CopyStep::Verify, image)) return image;
        return StepImage::Off;
    }

    bool Check() {
        DeviceLoadContext ctx{rig.device, rig.messages, rig.fpga};
        return CheckDeviceAfterAbout(rig.frame, ctx, deviceIniPath, rig.link, rig.page,
                                     rig.messages);
    }

    static std::vector<std::string> SetupLines() {
        std::vector<std::string> lines = {"out 47 0B00 0080", "bulk-out 128", "out 47 4000 4000"};
        for (int page = 0; page < 8; ++page) {
            char buf[32];
            std::snprintf(buf, sizeof buf, "out 43 %04X 0000", page);
            lines.push_back(buf);
            lines.push_back("bulk-out 16384");
        }
        return lines;
    }

    OperationRig rig;
    std::string deviceIniPath;
};

class DeviceCheckTest : public ::testing::Test, public CheckRig {};

TEST_F(DeviceCheckTest, ReloadsSetsUpAndVerifiesOnTheProgrammer) {
    rig.sim.OverrideStatus(OpVerify, {});
    EXPECT_TRUE(Check());
    auto expected = SetupLines();
    expected.push_back("out 49 4000 0600");
    expected.push_back("in 42 0000 0000 16");
    EXPECT_EQ(rig.sim.TraceLines(), expected);
    // The definition was read again from the file.
    EXPECT_NE(rig.device.FpgaFilePath.find("MCU51.BIN"), std::string::npos);
    EXPECT_TRUE(rig.device.DeviceValid);
    EXPECT_EQ(Seen(), StepImage::Pass);
    EXPECT_FALSE(rig.page.Visible(CopyStep::Verify, StepImage::Fail));
    EXPECT_TRUE(rig.messages.shown.empty());
    EXPECT_EQ(rig.FailSounds(), 0);
}

TEST_F(DeviceCheckTest, FailuresShowTheVerifyStepFailedOnce) {
    struct Case {
        const char* name;
        std::function<void(OperationRig&)> arrange;
        std::vector<std::string> messages;
        bool failPicture;  // false: the pictures stay as they were
        int failSounds;
    } cases[] = {
        {"status not a pass",
         [](OperationRig& r) {
             std::array<uint8_t, 16> s{};
             s[0] = 1;
             r.sim.OverrideStatus(OpVerify, s);
         },
         {}, true, 1},
        {"execute fails",
         [](OperationRig& r) { r.sim.InjectFault(SimCallKind::VendorOut, 1, SimFault::Fail, 0x49); },
         {"Error 49! Command Fail"}, true, 1},
        // A status that never arrived is no pass either.
        {"status read fails",
         [](OperationRig& r) { r.sim.InjectFault(SimCallKind::VendorIn, 1, SimFault::Fail, 0x42); },
         {}, true, 1},
        {"status read short",
         [](OperationRig& r) { r.sim.InjectFault(SimCallKind::VendorIn, 1, SimFault::Short, 0x42); },
         {}, true, 1},
        {"parameter block fails",
         [](OperationRig& r) { r.sim.InjectFault(SimCallKind::BulkOut, 1); }, {}, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CheckRig fresh;
        OperationRig& r = fresh.rig;
        c.arrange(r);
        const bool failBefore = r.page.Visible(CopyStep::Verify, StepImage::Fail);
        const bool passBefore = r.page.Visible(CopyStep::Verify, StepImage::Pass);
        EXPECT_FALSE(fresh.Check());
        EXPECT_EQ(r.messages.Texts(), c.messages);
        if (c.failPicture) {
            EXPECT_EQ(fresh.Seen(), StepImage::Fail);
            EXPECT_FALSE(r.page.Visible(CopyStep::Verify, StepImage::Pass));
        } else {
            EXPECT_EQ(r.page.Visible(CopyStep::Verify, StepImage::Fail), failBefore);
            EXPECT_EQ(r.page.Visible(CopyStep::Verify, StepImage::Pass), passBefore);
            EXPECT_TRUE(r.page.Visible(CopyStep::Verify, StepImage::Working));
        }
        EXPECT_EQ(r.FailSounds(), c.failSounds);
    }
}

TEST_F(DeviceCheckTest, NothingIsSentWithoutAUsableDevice) {
    // No device restored at start-up.
    deviceIniPath.clear();
    EXPECT_FALSE(Check());
    EXPECT_TRUE(rig.sim.Trace().empty());

    // A device whose FPGA file has gone: the loader says so once, nothing is sent.
    std::filesystem::remove(rig.dir.Path() + "FPGA/MCU51.BIN");
    deviceIniPath = rig.dir.Path() + "INI\\ATMEL\\AT89C51.INI";
    EXPECT_FALSE(Check());
    EXPECT_TRUE(rig.sim.Trace().empty());
    EXPECT_EQ(rig.messages.Texts(), std::vector<std::string>{"No found MCU51.BIN"});
    EXPECT_EQ(rig.FailSounds(), 0);
}

}  // namespace
}  // namespace burnmark::testing
