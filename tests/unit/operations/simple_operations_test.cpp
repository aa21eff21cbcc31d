// Erase, blank check and protect on the wire, and how each of them fails.
#include <gtest/gtest.h>

#include <functional>

#include "operation_rig.h"

namespace burnmark::testing {
namespace {

std::vector<std::string> SetupLines() {
    std::vector<std::string> lines = {
        "close",           "open",
        "out 47 0B00 0080", "bulk-out 256",
        "out 47 0B00 0100", "bulk-out 256",
        "out 47 0B00 0080", "bulk-out 128",
        "out 47 4000 4000",
    };
    for (int page = 0; page < 8; ++page) {
        lines.push_back("out 43 000" + std::to_string(page) + " 0000");
        lines.push_back("bulk-out 16384");
    }
    return lines;
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(EraseTest, ReadyModeSetsUpThenErasesA32KDevice) {
    OperationRig rig;
    rig.sim.Chip().main.assign(0x8000, 0x12);
    ASSERT_TRUE(rig.simple.erase_1Click(kModeReady));

    EXPECT_EQ(rig.sim.TraceLines(),
              Concat(SetupLines(), {"out 47 0B00 0080", "bulk-out 128", "out 49 4000 0200",
                                    "in 42 0000 0000 16"}));
    ASSERT_EQ(rig.Executed(OpErase), (std::vector<SentWords>{{0, 0, 0x7FFF}}));
    EXPECT_EQ(rig.sim.ParamWord(param::CurrentVcc), rig.device.Voltages[kEraseVcc]);
    EXPECT_EQ(rig.sim.ParamWord(param::CurrentVhh), rig.device.Voltages[kEraseVhh]);
    EXPECT_EQ(rig.sim.Chip().main, std::vector<uint8_t>(0x8000, 0xFF));

    EXPECT_EQ(rig.page.Top(CopyStep::Erase), StepImage::Pass);
    EXPECT_EQ(rig.page.Status(), StatusLook::Passed);
    EXPECT_FALSE(rig.page.ProgressBar21().visible);
    EXPECT_TRUE(rig.page.ProgressBar2().visible);
    EXPECT_EQ(rig.sounds.calls, (std::vector<std::string>{"beep"}));
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(EraseTest, RunModeSendsNoSetupAndNoPassSoundDuringARun) {
    OperationRig rig;
    rig.OpenAsRunDid();
    rig.frame.Run.RunActive = 1;
    ASSERT_TRUE(rig.simple.erase_1Click(kModeRun));
    EXPECT_EQ(rig.sim.TraceLines(), (std::vector<std::string>{"out 47 0B00 0080", "bulk-out 128",
                                                              "out 49 4000 0200",
                                                              "in 42 0000 0000 16"}));
    EXPECT_TRUE(rig.sounds.calls.empty());
}

TEST(EraseTest, SmallSizeCountsTheExtendedAreaAndStartWordsFollowTheStartAddress) {
    struct Case {
        const char* name;
        DeviceShape shape;
        uint16_t startLow;
        SentWords words;  // bank (start_address_Hi), offset (start_address_Low), size
    };
    const Case cases[] = {
        {"Byte4KWithExt256", {"0x00FF", 0, 0x0FFF, 0, 0x00FF}, 0x2100, {0, 0x2100, 0x10FE}},
        // The last address of 64 KB fits the word; the size does not.
        {"Byte64K", {"0x00FF", 0, 0xFFFF}, 0, {0, 0, 0}},
        {"Byte128K", {"0x00FF", 1, 0xFFFF}, 0, {0, 0, 0}},
        {"Byte128KFromBank1", {"0x00FF", 1, 0xFFFF, 0, 0, 1}, 0x0040, {1, 0x0040, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        rig.UseDevice(c.shape);
        rig.device.DeviceParamBlock.SetWord(param::start_address_Low, c.startLow);
        rig.device.StartAddress = ComputeStartAddress(c.shape.startHi, c.startLow);
        ASSERT_TRUE(rig.simple.erase_1Click(kModeReady));
        EXPECT_EQ(rig.Executed(OpErase), std::vector<SentWords>{c.words});
    }
}

TEST(BlankCheckTest, ReportsBlankAndNonBlankChipsWithTheReadVoltages) {
    OperationRig rig;
    rig.UseDevice({"0x00FF", 0, 0x0FFF, 0, 0x00FF});
    ASSERT_TRUE(rig.simple.check_1Click(kModeReady));
    // Main area only in the size word, read voltages.
    EXPECT_EQ(rig.Executed(OpBlankCheck), (std::vector<SentWords>{{0, 0, 0x0FFF}}));
    EXPECT_EQ(rig.sim.ParamWord(param::CurrentVpp), rig.device.Voltages[kReadVpp]);
    EXPECT_EQ(rig.page.Top(CopyStep::Check), StepImage::Pass);

    rig.sim.Chip().ext[7] = 0x00;
    rig.sounds.calls.clear();
    EXPECT_FALSE(rig.simple.check_1Click(kModeRerun));
    EXPECT_EQ(rig.page.Top(CopyStep::Check), StepImage::Fail);
    EXPECT_EQ(rig.page.Status(), StatusLook::Failed);
    EXPECT_EQ(rig.sounds.calls, (std::vector<std::string>{"error"}));
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(ProtectTest, EveryModeSetsUpThenWritesTheOptionWordsAndProtects) {
    for (int mode : {kModeReady, kModeRun, kModeRerun}) {
        SCOPED_TRACE(mode);
        OperationRig rig;
        if (mode == kModeRun) rig.OpenAsRunDid();
        rig.options.OptionWords[0] = 0xA55A;
        rig.options.OptionWords[63] = 0x1234;
        rig.options.OptionWords[64] = 0xEEEE;  // beyond the 64 words that travel
        ASSERT_TRUE(rig.simple.ProtectDevice(mode));

        EXPECT_EQ(rig.sim.TraceLines(),
                  Concat(SetupLines(), {"out 43 0000 0000", "out 47 0B80 0080", "bulk-out 128",
                                        "out 49 4000 0700", "in 42 0000 0000 16"}));
        // The set-up's block carried the protect voltages.
        EXPECT_EQ(rig.sim.ParamWord(param::CurrentVcc), rig.device.Voltages[kProtectVcc]);
        const auto& words = rig.sim.Chip().optionWords;
        EXPECT_EQ(words[0], 0x5A);
        EXPECT_EQ(words[1], 0xA5);
        EXPECT_EQ(words[126], 0x34);
        EXPECT_EQ(words[127], 0x12);
        EXPECT_TRUE(rig.sim.Chip().protectedFlag);
        EXPECT_EQ(rig.page.Top(CopyStep::Secur), StepImage::Pass);
    }
}

TEST(ProtectTest, RerunFromThePassPictureSoundsTwiceEvenDuringARun) {
    OperationRig rig;
    rig.frame.Run.RunActive = 1;
    rig.simple.secur_pClick();
    EXPECT_EQ(rig.PassSounds(), 1);  // the operation itself stays quiet during a run
    rig.frame.Run.RunActive = 0;
    rig.simple.secur_fClick();
    EXPECT_EQ(rig.PassSounds(), 3);
    EXPECT_EQ(rig.frame.Guards.SecurityGuard, 0u);
}

TEST(SimpleProgressTest, EachOperationMovesTheStepBarThroughItsOwnPositions) {
    struct Case {
        const char* name;
        int operation;  // 0 erase, 1 blank check, 2 protect
        std::vector<int32_t> positions;
    };
    const Case cases[] = {
        {"erase", 0, {10, 20, 30, 85, 100}},
        {"blank check", 1, {10, 30, 60, 100}},
        {"protect", 2, {10, 40, 85, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OperationRig rig;
        BarRecorder bars(rig.page);
        bool ok = false;
        if (c.operation == 0) ok = rig.simple.erase_1Click(kModeReady);
        if (c.operation == 1) ok = rig.simple.check_1Click(kModeReady);
        if (c.operation == 2) ok = rig.simple.ProtectDevice(kModeReady);
        ASSERT_TRUE(ok);
        EXPECT_EQ(bars.bar21, c.positions);
        EXPECT_TRUE(bars.bar2.empty());
        EXPECT_FALSE(rig.page.ProgressBar21().visible);
        EXPECT_TRUE(rig.page.ProgressBar2().visible);
    }
}

// The option-page window's send reports its own failures (through its link);
// a chip whose option words did not arrive is not protected: the step fails
// there, with one failure sound, and nothing further goes out. A send that
// worked lets protect run to its pass.
TEST(ProtectTest, AFailedOptionSendEndsProtectThere) {
    for (bool sendWorks : {true, false}) {
        SCOPED_TRACE(sendWorks);
        OperationRig rig;
        struct Sender : OptionDataSender {
            Sender(OperationFrame& f, bool works) : frame(f), works(works) {}
            bool SendOptionData() override {
                ++sends;
                if (!works) frame.ShowOperationFail();
                return works;
            }
            OperationFrame& frame;
            bool works;
            int sends = 0;
        } sender(rig.frame, sendWorks);
        rig.simple.SetOptionDataSender(&sender);

        EXPECT_EQ(rig.simple.ProtectDevice(kModeReady), sendWorks);
        EXPECT_EQ(sender.sends, 1);
        EXPECT_EQ(rig.Executed(OpProtect).size(), sendWorks ? 1u : 0u);
        if (sendWorks) {
            EXPECT_EQ(rig.page.Status(), StatusLook::Passed);
            EXPECT_EQ(rig.page.Top(CopyStep::Secur), StepImage::Pass);
            EXPECT_EQ(rig.FailSounds(), 0);
        } else {
            EXPECT_EQ(rig.FailSounds(), 1);
            EXPECT_EQ(rig.page.Status(), StatusLook::Failed);
            EXPECT_EQ(rig.page.Top(CopyStep::Secur), StepImage::Fail);
            EXPECT_FALSE(rig.page.ProgressBar21().visible);
        }
    }
}

// ---- Failures ---------------------------------------------------------------------------------

struct SimpleFailure {
    const char* name;
    int operation;  // 0 erase, 1 blank check, 2 protect
    int mode;
    std::function<void(OperationRig&)> arrange;
    std::vector<std::string> messages;
    bool setupFailure;  // the ready picture shows again over the failed one
};

void PrintTo(const SimpleFailure& c, std::ostream* os) { *os << c.name; }

class SimpleFailureTest : public ::testing::TestWithParam<SimpleFailure> {};

TEST_P(SimpleFailureTest, FailsOnceWithTheFailedPicture) {
    const SimpleFailure& c = GetParam();
    OperationRig rig;
    c.arrange(rig);
    rig.messages.Clear();
    const CopyStep steps[] = {CopyStep::Erase, CopyStep::Check, CopyStep::Secur};
    const CopyStep step = steps[c.operation];
    bool result = true;
    if (c.operation == 0) result = rig.simple.erase_1Click(c.mode);
    if (c.operation == 1) result = rig.simple.check_1Click(c.mode);
    if (c.operation == 2) result = rig.simple.ProtectDevice(c.mode);

    EXPECT_FALSE(result);
    EXPECT_EQ(rig.FailSounds(), 1);
    EXPECT_EQ(rig.PassSounds(), 0);
    EXPECT_EQ(rig.messages.Texts(), c.messages);
    EXPECT_TRUE(rig.page.Visible(step, StepImage::Fail));
    EXPECT_FALSE(rig.page.Visible(step, StepImage::Pass));
    EXPECT_FALSE(rig.page.Visible(step, StepImage::Working));
    EXPECT_EQ(rig.page.Top(step), c.setupFailure ? StepImage::Ready : StepImage::Fail);
    EXPECT_EQ(rig.page.Status(), StatusLook::Failed);
    EXPECT_FALSE(rig.page.ProgressBar21().visible);
    EXPECT_EQ(rig.page.ProgressBar2().position, rig.page.ProgressBar2().maximum);
    EXPECT_TRUE(rig.sim.ProtocolErrors().empty());
}

const std::vector<std::string> kNoMessage;

INSTANTIATE_TEST_SUITE_P(
    Cases, SimpleFailureTest,
    ::testing::Values(
        SimpleFailure{"NoProgrammer", 0, kModeReady,
                      [](OperationRig& r) { r.sim.ClearSlots(); },
                      {kHardwareMissingText}, true},
        SimpleFailure{"FpgaFileMissing", 0, kModeRerun,
                      [](OperationRig& r) { r.device.FpgaFileMissing = 1; }, kNoMessage, true},
        SimpleFailure{"DeviceLoadIncompleteInRunMode", 0, kModeRun,
                      [](OperationRig& r) {
                          r.OpenAsRunDid();
                          r.device.DeviceValid = false;
                      },
                      kNoMessage, true},
        SimpleFailure{"SetupClearRequest", 0, kModeReady,
                      [](OperationRig& r) { r.sim.InjectFault(SimCallKind::VendorOut, 1,
                                                              SimFault::Fail, 0x47); },
                      {kErrBlockWrite}, true},
        SimpleFailure{"ParamBlockBeforeErase", 0, kModeRun,
                      [](OperationRig& r) {
                          r.OpenAsRunDid();
                          r.sim.InjectFault(SimCallKind::BulkOut, 1);
                      },
                      kNoMessage, false},
        SimpleFailure{"EraseExecute", 0, kModeReady,
                      [](OperationRig& r) { r.sim.InjectFault(SimCallKind::VendorOut, 1,
                                                              SimFault::Fail, 0x49); },
                      {kErrExecute}, false},
        SimpleFailure{"EraseStatusRequest", 0, kModeReady,
                      [](OperationRig& r) { r.sim.InjectFault(SimCallKind::VendorIn, 1,
                                                              SimFault::Fail, 0x42); },
                      kNoMessage, false},
        SimpleFailure{"EraseStatusNotPass", 0, kModeRerun,
                      [](OperationRig& r) { r.sim.OverrideStatus(OpErase, {0, 4}); },
                      kNoMessage, false},
        SimpleFailure{"BlankExecute", 1, kModeReady,
                      [](OperationRig& r) { r.sim.InjectFault(SimCallKind::VendorOut, 1,
                                                              SimFault::Fail, 0x49); },
                      {kErrExecute}, false},
        SimpleFailure{"BlankStatusRequest", 1, kModeRun,
                      [](OperationRig& r) {
                          r.OpenAsRunDid();
                          r.sim.InjectFault(SimCallKind::VendorIn, 1, SimFault::Short, 0x42);
                      },
                      kNoMessage, false},
        SimpleFailure{"ProtectSetupInRunMode", 2, kModeRun,
                      [](OperationRig& r) { r.sim.ClearSlots(); },
                      {kHardwareMissingText}, true},
        SimpleFailure{"ProtectPageSelect", 2, kModeRun,
                      // the ninth 0x43: eight for the set-up's FPGA pages
                      [](OperationRig& r) { r.sim.InjectFault(SimCallKind::VendorOut, 9,
                                                              SimFault::Fail, 0x43); },
                      {kErrChangePage}, false},
        SimpleFailure{"ProtectOptionWordsRequest", 2, kModeReady,
                      // the fifth 0x47: four in the set-up, then 0x0B80
                      [](OperationRig& r) { r.sim.InjectFault(SimCallKind::VendorOut, 5,
                                                              SimFault::Fail, 0x47); },
                      kNoMessage, false},
        SimpleFailure{"ProtectOptionWordsDataType1", 2, kModeReady,
                      // the twelfth bulk write: eleven in the set-up
                      [](OperationRig& r) {
                          r.device.FuseTypeDigit = 1;
                          r.sim.InjectFault(SimCallKind::BulkOut, 12);
                      },
                      {kErrBlockReadData}, false},
        SimpleFailure{"ProtectOptionWordsDataType0", 2, kModeReady,
                      [](OperationRig& r) { r.sim.InjectFault(SimCallKind::BulkOut, 12); },
                      kNoMessage, false},
        SimpleFailure{"ProtectExecute", 2, kModeRerun,
                      [](OperationRig& r) { r.sim.InjectFault(SimCallKind::VendorOut, 1,
                                                              SimFault::Fail, 0x49); },
                      {kErrExecuteProtect}, false},
        SimpleFailure{"ProtectStatusNotPass", 2, kModeReady,
                      [](OperationRig& r) { r.sim.OverrideStatus(OpProtect, {1, 0}); },
                      kNoMessage, false}),
    [](const ::testing::TestParamInfo<SimpleFailure>& info) { return info.param.name; });

}  // namespace
}  // namespace burnmark::testing
