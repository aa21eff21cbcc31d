// The automatic run on the simulator: which steps run in which order, how a
// failing step and Stop end it, the sounds of a whole run; Stop on its own;
// the Edit area's OK and the sum it shows.
#include <gtest/gtest.h>

#include <functional>
#include <numeric>

#include "operation_rig.h"
#include "operations/automatic_run.h"

namespace burnmark::testing {
namespace {

struct Ticks {
    bool erase, blank, program, verify, protect;
};

class RunRig : public OperationRig {
public:
    void Tick(const Ticks& t) {
        page.SetChecked(CopyCheckBox::CheckBox1, t.erase);
        page.SetChecked(CopyCheckBox::CheckBox2, t.blank);
        page.SetChecked(CopyCheckBox::CheckBox3, t.program);
        page.SetChecked(CopyCheckBox::CheckBox4, t.verify);
        page.SetChecked(CopyCheckBox::CheckBox5, t.protect);
    }
    std::vector<uint16_t> Operations() const {
        std::vector<uint16_t> ops;
        for (const SimExecution& e : sim.Executions()) ops.push_back(e.operation);
        return ops;
    }
    int SetUps() const {
        const std::vector<std::string> wire = sim.TraceLines();
        return static_cast<int>(std::count(wire.begin(), wire.end(), "open"));
    }
};

const DeviceShape kByte32K{"0x00FF", 0, 0x7FFF};
const DeviceShape kByteExt{"0x00FF", 0, 0x7FFF, 0, 0x03FF};
constexpr Ticks kAll{true, true, true, true, true};

struct RunOrder {
    const char* name;
    DeviceShape shape;
    uint16_t fuseType;
    Ticks ticks;
    std::vector<uint16_t> operations;
    int setUps;  // the run's own, and protect's
};

void PrintTo(const RunOrder& c, std::ostream* os) { *os << c.name; }

class RunOrderTest : public ::testing::TestWithParam<RunOrder> {};

TEST_P(RunOrderTest, RunsTheTickedStepsInOrderOnOneSetUp) {
    const RunOrder& c = GetParam();
    RunRig rig;
    rig.UseDevice(c.shape);
    rig.device.FuseTypeDigit = c.fuseType;
    rig.FillBufferPattern();
    rig.Tick(c.ticks);

    EXPECT_TRUE(rig.run.Run_HintClick());
    EXPECT_EQ(rig.Operations(), c.operations);
    EXPECT_EQ(rig.SetUps(), c.setUps);
    EXPECT_TRUE(rig.messages.shown.empty());
    EXPECT_EQ(rig.PassSounds(), 1);  // once for the whole run
    EXPECT_EQ(rig.FailSounds(), 0);
    EXPECT_EQ(rig.page.Status(), StatusLook::Passed);
    EXPECT_EQ(rig.frame.Run.RunActive, 0);
    EXPECT_EQ(rig.frame.Run.RunFailed, 0);
    EXPECT_EQ(rig.frame.Run.RunReady, 1);
    if (c.ticks.program && c.ticks.verify) {
        const std::vector<uint8_t>& main = rig.sim.Chip().main;
        EXPECT_TRUE(main == rig.BufferBytes(0, main.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Devices, RunOrderTest,
    ::testing::Values(
        RunOrder{
            "Byte", kByte32K, 0, kAll, {OpErase, OpBlankCheck, OpProgram, OpRead, OpProtect}, 2},
        RunOrder{"ByteWithoutProtect",
                 kByte32K,
                 0,
                 {true, true, true, true, false},
                 {OpErase, OpBlankCheck, OpProgram, OpRead},
                 1},
        RunOrder{"ExtendedArea",
                 kByteExt,
                 0,
                 {false, false, true, true, false},
                 {OpProgram, OpProgramExt, OpRead, OpReadExt},
                 1},
        // The programmer's own devices verify on it and have no extended steps.
        RunOrder{"OptionTypeOne",
                 kByteExt,
                 1,
                 {true, false, true, true, false},
                 {OpErase, OpProgram, OpVerify},
                 1},
        RunOrder{"OnlyProtect", kByte32K, 0, {false, false, false, false, true}, {OpProtect}, 2},
        RunOrder{"NothingTicked", kByte32K, 0, {false, false, false, false, false}, {}, 0}),
    [](const ::testing::TestParamInfo<RunOrder>& info) { return info.param.name; });

TEST(RunTest, NothingTickedSendsNothing) {
    RunRig rig;
    rig.Tick({false, false, false, false, false});
    EXPECT_TRUE(rig.run.Run_HintClick());
    EXPECT_TRUE(rig.sim.Trace().empty());
}

TEST(RunTest, ATickTheDeviceDoesNotBackRunsNothing) {
    RunRig rig;
    rig.device.DeviceParamBlock.SetWord(param::erase_mode, 0);
    rig.device.DeviceParamBlock.SetWord(param::prot_mode, 0);
    rig.Tick({true, true, false, false, true});
    EXPECT_TRUE(rig.run.Run_HintClick());
    EXPECT_EQ(rig.Operations(), std::vector<uint16_t>{OpBlankCheck});
}

TEST(RunTest, AFailingStepEndsTheRunWithOneFailureSound) {
    struct Case {
        const char* name;
        Ticks ticks;
        std::function<void(RunRig&)> arrange;
        std::vector<uint16_t> operations;
        CopyStep failed;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"BlankCheck",
         {false, true, true, true, true},
         [](RunRig& r) { r.sim.Chip().main[5] = 0; },
         {OpBlankCheck},
         CopyStep::Check,
         {}},
        {"Verify",
         kAll,
         [](RunRig& r) {
             r.sim.OverrideStatus(OpRead, {1, 0});
         },
         {OpErase, OpBlankCheck, OpProgram, OpRead},
         CopyStep::Verify,
         {kErrProtectedCannotRead}},
        {"ProgramsRequest",
         kAll,
         [](RunRig& r) {
             r.sim.InjectFault(SimCallKind::VendorOut, 3, SimFault::Fail, CmdExecute);
         },
         {OpErase, OpBlankCheck},
         CopyStep::Program,
         {kErrExecuteProgram}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunRig rig;
        rig.Tick(c.ticks);
        rig.FillBufferPattern();
        c.arrange(rig);
        EXPECT_FALSE(rig.run.Run_HintClick());
        EXPECT_EQ(rig.Operations(), c.operations);
        EXPECT_EQ(rig.messages.Texts(), c.messages);
        // (A chip that could not be read offers its step again over the failed picture.)
        EXPECT_TRUE(rig.page.Visible(c.failed, StepImage::Fail));
        EXPECT_FALSE(rig.page.Visible(c.failed, StepImage::Pass));
        EXPECT_EQ(rig.page.Status(), StatusLook::Failed);
        EXPECT_EQ(rig.FailSounds(), 1);
        EXPECT_EQ(rig.PassSounds(), 0);
        EXPECT_EQ(rig.frame.Run.RunFailed, 1);
        EXPECT_EQ(rig.frame.Run.RunActive, 0);
        EXPECT_EQ(rig.frame.Run.RunReady, 1);
    }
}

TEST(RunTest, AFailedSetUpEndsTheRunAsFailed) {
    struct Case {
        const char* name;
        std::function<void(RunRig&)> arrange;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"NoProgrammer", [](RunRig& r) { r.sim.ClearSlots(); }, {kHardwareMissingText}},
        // Refused silently, nothing sent.
        {"FpgaFileMissing", [](RunRig& r) { r.device.FpgaFileMissing = 1; }, {}},
        // The programmer answers, but its FPGA did not get the image.
        {"FpgaPageWrite", [](RunRig& r) { r.sim.InjectFault(SimCallKind::BulkOut, 6); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunRig rig;
        rig.Tick(kAll);
        c.arrange(rig);
        EXPECT_FALSE(rig.run.Run_HintClick());
        EXPECT_TRUE(rig.sim.Executions().empty());
        EXPECT_EQ(rig.messages.Texts(), c.messages);
        EXPECT_EQ(rig.page.Status(), StatusLook::Failed);
        EXPECT_EQ(rig.FailSounds(), 1);
        EXPECT_EQ(rig.PassSounds(), 0);
        EXPECT_EQ(rig.frame.Run.RunFailed, 1);
    }
}

// ---- Stop
// -----------------------------------------------------------------------------------------

TEST(StopTest, DuringAStepTheRunEndsAfterItWithUserStop) {
    RunRig rig;
    rig.Tick(kAll);
    rig.FillBufferPattern();
    // Stop arrives while program waits for its transfer.
    rig.pump.onProcess = [&] {
        if (rig.Operations() == std::vector<uint16_t>{OpErase, OpBlankCheck} &&
            rig.frame.Run.RunActive == 1) {
            rig.run.Stop_HintClick();
            EXPECT_TRUE(rig.messages.shown.empty()) << "no box inside the transfer";
        }
    };
    EXPECT_FALSE(rig.run.Run_HintClick());
    // Program finishes its transfer; verify and protect do not run.
    EXPECT_EQ(rig.Operations(), (std::vector<uint16_t>{OpErase, OpBlankCheck, OpProgram}));
    EXPECT_EQ(rig.messages.Texts(), std::vector<std::string>{kUserStopText});
    EXPECT_EQ(rig.page.Status(), StatusLook::Failed);
    EXPECT_EQ(rig.FailSounds(), 1);  // the press itself
    EXPECT_EQ(rig.PassSounds(), 0);
    EXPECT_EQ(rig.frame.Run.RunFailed, 1);
    EXPECT_EQ(rig.frame.Run.StopFlag, 0);
}

// Outside a run a press may end a routine's wait; within one no press may,
// the first (which ends the run) or any after it in the same step.
TEST(StopTest, NoPressDuringARunMayEndATransfer) {
    RunRig rig;
    rig.Tick(kAll);
    rig.FillBufferPattern();
    EXPECT_TRUE(rig.run.StopMayCancelTransfer());
    std::vector<bool> mayCancel;
    rig.pump.onProcess = [&] {
        if (rig.Operations() != std::vector<uint16_t>{OpErase} || !mayCancel.empty()) return;
        for (int press = 0; press < 2; ++press) {
            mayCancel.push_back(rig.run.StopMayCancelTransfer());
            rig.run.Stop_HintClick();
        }
    };
    EXPECT_FALSE(rig.run.Run_HintClick());
    EXPECT_EQ(mayCancel, (std::vector<bool>{false, false}));
    EXPECT_EQ(rig.Operations(), (std::vector<uint16_t>{OpErase, OpBlankCheck}));
    EXPECT_EQ(rig.messages.Texts(), std::vector<std::string>{kUserStopText});
    EXPECT_TRUE(rig.run.StopMayCancelTransfer());
}

TEST(StopTest, BeforeTheFirstStepTheRunEndsStopped) {
    RunRig rig;
    rig.Tick(kAll);
    bool pressed = false;
    // The run's own refresh pumps before the set-up: Stop finds no active run.
    rig.pump.onProcess = [&] {
        if (pressed) return;
        pressed = true;
        rig.run.Stop_HintClick();
    };
    EXPECT_FALSE(rig.run.Run_HintClick());
    EXPECT_TRUE(pressed);
    EXPECT_TRUE(rig.sim.Executions().empty());
    EXPECT_EQ(rig.page.Status(), StatusLook::Failed);
    EXPECT_EQ(rig.FailSounds(), 1);
    EXPECT_EQ(rig.PassSounds(), 0);
    EXPECT_EQ(rig.frame.Run.RunFailed, 1);
}

TEST(StopTest, WhenIdleItSoundsEvenWithSoundOffAndTheNextRunStartsClean) {
    RunRig rig;
    rig.player.SoundOn = 0;
    rig.run.Stop_HintClick();
    EXPECT_EQ(rig.FailSounds(), 1);
    EXPECT_EQ(rig.frame.Run.StopFlag, 1);
    EXPECT_TRUE(rig.messages.shown.empty());
    EXPECT_FALSE(rig.run.TakeUserStop());

    // What a stop, a failing step and a blank-check picture's reset left
    // behind does not hold the next run nor skip its blank check.
    rig.frame.Run.RunReady = 0;
    rig.frame.Run.RunFailed = 1;
    rig.frame.Guards.BlankGuard = 1;
    rig.player.SoundOn = 1;
    rig.Tick({true, true, false, false, false});
    EXPECT_TRUE(rig.run.Run_HintClick());
    EXPECT_EQ(rig.Operations(), (std::vector<uint16_t>{OpErase, OpBlankCheck}));
    EXPECT_EQ(rig.frame.Run.StopFlag, 0);
    EXPECT_EQ(rig.PassSounds(), 1);
}

// ---- The Edit area's OK
// --------------------------------------------------------------------------

TEST(EditOkTest, ShowsTheBufferSumOverTheDeviceRangeRedOnlyWhenItChanged) {
    struct Case {
        const char* name;
        DeviceShape shape;
        uint64_t bytes;  // of the device range
    };
    const Case cases[] = {
        {"Byte32K", kByte32K, 0x8000},
        {"ByteWithExtArea", kByteExt, 0x8400},
        {"Word16K", {"0xFFFF", 0, 0x3FFF}, 0x8000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunRig rig;
        rig.UseDevice(c.shape);
        rig.FillBufferPattern();
        const std::vector<uint8_t> bytes = rig.BufferBytes(0, c.bytes);
        const uint32_t sum = std::accumulate(bytes.begin(), bytes.end(), uint32_t{0});
        rig.page.SetEnabled(CopyControl::Run, false);  // as the Edit page leaves it
        EXPECT_TRUE(rig.editSum.v_HintClick());
        EXPECT_TRUE(rig.editSum.v_HintClick());
        EXPECT_EQ(rig.field.texts, (std::vector<std::string>(2, ChecksumDisplay::Format(sum))));
        EXPECT_EQ(rig.field.highlights, (std::vector<bool>{true, false}));
        EXPECT_TRUE(rig.sim.Trace().empty());
        EXPECT_TRUE(rig.page.Enabled(CopyControl::Run));
    }
}

TEST(EditOkTest, OptionTypeOneShowsTheProgrammersChecksumOfTheDownload) {
    RunRig rig;
    rig.device.FuseTypeDigit = 1;
    rig.FillBufferPattern();
    rig.page.SetEnabled(CopyControl::Run, false);
    EXPECT_TRUE(rig.editSum.v_HintClick());
    const std::vector<std::string> wire = rig.sim.TraceLines();
    ASSERT_GE(wire.size(), 3u);
    EXPECT_EQ(wire[0], "close");
    EXPECT_EQ(wire[1], "open");
    EXPECT_EQ(wire[2], "out 47 4000 4000");  // the FPGA image, then the block
    EXPECT_EQ(wire[wire.size() - 2], "out 49 4000 0C00");
    EXPECT_EQ(wire.back(), "in 42 0000 0000 16");
    // The simulator's checksum: the byte sum of the download over the chip.
    const std::vector<uint8_t> bytes = rig.BufferBytes(0, 0x8000);
    const auto sum = static_cast<uint16_t>(std::accumulate(bytes.begin(), bytes.end(), 0u));
    EXPECT_EQ(rig.field.texts, std::vector<std::string>{ChecksumDisplay::Format(sum)});
    EXPECT_EQ(rig.sim.Executions().front().vcc, rig.device.Voltages[kReadVcc]);
    EXPECT_TRUE(rig.messages.shown.empty());
    EXPECT_TRUE(rig.page.Enabled(CopyControl::Run));
}

TEST(EditOkTest, OptionTypeOneShowsNoSumOnAnyFailure) {
    struct Case {
        const char* name;
        std::function<void(RunRig&)> arrange;
        std::vector<std::string> messages;
        bool sent;
    };
    const Case cases[] = {
        {"MissingFpgaFile", [](RunRig& r) { r.device.FpgaFileMissing = 1; }, {}, false},
        {"IncompleteDevice", [](RunRig& r) { r.device.DeviceValid = false; }, {}, false},
        {"NoProgrammer", [](RunRig& r) { r.sim.ClearSlots(); }, {kHardwareMissingText}, true},
        {"Download",
         [](RunRig& r) { r.sim.InjectFault(SimCallKind::BulkOut, 11); },
         {kErrReadData},
         true},
        {"Execute",
         [](RunRig& r) {
             r.sim.InjectFault(SimCallKind::VendorOut, 1, SimFault::Fail, CmdExecute);
         },
         {kErrExecute49},
         true},
        {"StatusRequest",
         [](RunRig& r) { r.sim.InjectFault(SimCallKind::VendorIn, 1, SimFault::Fail, CmdStatus); },
         {},
         true},
        {"Status",
         [](RunRig& r) {
             r.sim.OverrideStatus(OpApplyOptions, {1, 0});
         },
         {},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunRig rig;
        rig.device.FuseTypeDigit = 1;
        c.arrange(rig);
        EXPECT_FALSE(rig.editSum.v_HintClick());
        EXPECT_TRUE(rig.field.texts.empty());
        EXPECT_EQ(rig.messages.Texts(), c.messages);
        EXPECT_EQ(!rig.sim.Trace().empty(), c.sent);
        EXPECT_EQ(rig.page.Status(), StatusLook::Failed);
        EXPECT_EQ(rig.FailSounds(), 1);
    }
}

}  // namespace
}  // namespace burnmark::testing
