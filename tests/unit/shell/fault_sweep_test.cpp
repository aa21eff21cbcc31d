// The fault sweep: every programmer request of every operation failed in
// turn, in every way the simulated programmer can fail it. Each scenario runs
// once clean to count its calls; then for each call n and each fault kind a
// fresh program core runs it again with call n failed. Every such run must end
// as a reported failure with one failure display, send nothing after the
// failed call, and leave the data buffer unlocked.
//
// A new operation joins the sweep with one row of the scenario table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "operations/device_check.h"
#include "platform/profile.h"
#include "shell/program_core.h"
#include "support/fake_ports.h"
#include "support/flow_fakes.h"
#include "support/simulated_programmer.h"
#include "support/temp_dir.h"
#include "unit/catalogue/catalogue_fixture.h"

namespace burnmark::testing {
namespace {

// One program core over a fresh simulated programmer, with the scenario's
// device restored as at start-up and a patterned buffer.
struct World {
    World(const TempDir& dir, const std::string& device, bool fuseMap, bool programmerOpen) {
        state.AppDir = dir.Path();
        state.DeviceIniPath = device;
        core = std::make_unique<ProgramCore>(
            state, CorePorts{sim, messages, sounds, pump, progress, processes});
        core->RestoreDevice(device);
        core->SizeBufferForRestore();
        if (fuseMap) {
            core->InitFuseMapForDevice();
            for (int64_t i = 0; i < core->Fuses().FuseCount(); i += 3) core->Fuses().SetFuse(i, 1);
        }
        {
            BufferLock lock = core->Buffer().GetBufferHandle();
            for (std::size_t i = 0; i < lock.size(); ++i)
                lock[i] = static_cast<uint8_t>((i * 7 + (i >> 16) * 13 + 0x3C) & 0xFF);
        }
        // A blank chip of the device's shape.
        const DeviceRecord& d = core->Device();
        auto addresses = [&](std::size_t hi, std::size_t low) {
            const DeviceParamBlock& block = d.DeviceParamBlock;
            return ((uint32_t{block.Word(hi)} << 16) | block.Word(low)) + 1;
        };
        const uint32_t main = addresses(param::max_address_Hi, param::max_address_Low);
        const uint32_t ext =
            d.HasExtArea ? addresses(param::ext_address_Hi, param::ext_address_Low) : 0;
        sim.InsertChip(OperationDataWidth(d) == DataWidth::Word16, main, ext);
        core->Frame().UpdateCopyButtons(0);
        // As the automatic run's set-up or the About box leaves it.
        if (programmerOpen) sim.UsbOpen(ProgrammerProductId);
        sim.ClearTrace();
        messages.Clear();
        sounds.calls.clear();
    }

    int Sounds(const char* which) const {
        return static_cast<int>(std::count(sounds.calls.begin(), sounds.calls.end(), which));
    }

    AppState state;
    SimulatedProgrammer sim;
    FakeMessages messages;
    FakeSounds sounds;
    FakePump pump;
    FakeProgress progress;
    FakeProcesses processes;
    std::unique_ptr<ProgramCore> core;
};

struct Scenario {
    const char* name;
    DeviceKeys device;
    bool fuseMap = false;         // the device is a logic device with its map built
    bool programmerOpen = false;  // the programmer is open before the scenario starts
    // Runs the scenario; true when it passed.
    std::function<bool(World&)> run;
};

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name; }

// ---- The devices ---------------------------------------------------------------------------

DeviceKeys Byte8Device() { return ValidDevice(); }

// 128 KB: two banks, so every chunk and the last one are faulted.
DeviceKeys TwoBankDevice() {
    return ValidDevice().Set("max_address_Hi", "0x0001").Set("max_address_Low", "0xFFFF");
}

// 64 K words: both chunks of one 128 KB bank.
DeviceKeys Word16Device() {
    return ValidDevice().Set("Data_Width", "0xFFFF").Set("max_address_Low", "0xFFFF");
}

DeviceKeys ExtAreaDevice() { return ValidDevice().Set("ext_address_Low", "0x03FF"); }

// 2048 fuses (the address words give the count as 1 << 11).
DeviceKeys LogicDevice() {
    return ValidDevice()
        .Set("Type", "PLD")
        .Set("max_address_Hi", "0x0001")
        .Set("max_address_Low", "0x001B")
        .Set("fuse_row", "32")
        .Set("fuse_col", "64");
}

DeviceKeys OptionTypeOneDevice() { return ValidDevice().Set("Option_Fuse_Type", "0x01"); }

// The 16-bit device read by the 16-bit engine.
DeviceKeys Word16ReadDevice() { return Word16Device().Set("read_mode", "0x0401"); }

// The chip holds what the buffer holds, at the read's places.
void ChipHoldsTheBuffer(World& w) {
    BufferLock lock = w.core->Buffer().GetBufferHandle();
    std::vector<uint8_t>& main = w.sim.Chip().main;
    std::vector<uint8_t>& ext = w.sim.Chip().ext;
    std::copy_n(lock.data(), main.size(), main.begin());
    std::copy_n(lock.data() + main.size(), ext.size(), ext.begin());
}

bool StepPassed(World& w, CopyStep step) {
    return w.core->Page().Status() == StatusLook::Passed &&
           w.core->Page().Visible(step, StepImage::Pass) &&
           !w.core->Page().Visible(step, StepImage::Ready);
}

// ---- The scenarios -------------------------------------------------------------------------

const Scenario kScenarios[] = {
    {"EraseReady", Byte8Device(), false, false,
     [](World& w) { return w.core->Simple().erase_1Click(kModeReady); }},
    {"EraseInTheRun", Byte8Device(), false, true,
     [](World& w) { return w.core->Simple().erase_1Click(kModeRun); }},
    {"BlankCheckReady", Byte8Device(), false, false,
     [](World& w) { return w.core->Simple().check_1Click(kModeReady); }},
    {"BlankCheckInTheRun", Byte8Device(), false, true,
     [](World& w) { return w.core->Simple().check_1Click(kModeRun); }},
    {"ProtectReady", Byte8Device(), false, false,
     [](World& w) { return w.core->Simple().ProtectDevice(kModeReady); }},
    {"ProtectInTheRun", Byte8Device(), false, true,
     [](World& w) { return w.core->Simple().ProtectDevice(kModeRun); }},
    {"ProtectRerun", Byte8Device(), false, false,
     [](World& w) { return w.core->Simple().ProtectDevice(kModeRerun); }},
    {"Program8BitTwoBanks", TwoBankDevice(), false, false,
     [](World& w) { return w.core->Downloads().program_1Click(kModeReady); }},
    {"Program16Bit", Word16Device(), false, false,
     [](World& w) { return w.core->Downloads().program_1Click(kModeReady); }},
    {"ProgramFuseMap", LogicDevice(), true, false,
     [](World& w) { return w.core->Downloads().program_1Click(kModeReady); }},
    {"ProgramInTheRun", Byte8Device(), false, true,
     [](World& w) { return w.core->Downloads().program_1Click(kModeRun); }},
    // The program picture runs the extended area after the main one.
    {"ProgramWithExtendedArea", ExtAreaDevice(), false, false,
     [](World& w) {
         w.core->Downloads().prog_nClick();
         return w.core->Page().Status() == StatusLook::Passed &&
                w.core->Page().Top(CopyStep::Program) == StepImage::Pass;
     }},
    {"Download", TwoBankDevice(), false, true,
     [](World& w) { return w.core->Downloads().SendBufferToProgrammer(); }},
    {"DeviceCheckAfterAbout", Byte8Device(), false, true,
     [](World& w) {
         return CheckDeviceAfterAbout(w.core->Frame(), w.core->LoadContext(), w.state.DeviceIniPath,
                                      w.core->Link(), w.core->Page(), w.messages);
     }},
    {"OptionExchangeAfterLoad", OptionTypeOneDevice(), false, false,
     [](World& w) { return w.core->Loader().ExchangeOptionsAfterLoad(); }},
    {"Read8BitTwoBanks", TwoBankDevice(), false, false,
     [](World& w) { return w.core->ReadBacks().readClick(); }},
    {"Read16Bit", Word16ReadDevice(), false, false,
     [](World& w) { return w.core->ReadBacks().readClick(); }},
    {"ReadWithExtendedArea", ExtAreaDevice(), false, false,
     [](World& w) { return w.core->ReadBacks().readClick(); }},
    {"ReadFuseMap", LogicDevice(), true, false,
     [](World& w) { return w.core->ReadBacks().readClick(); }},
    {"ReadOptionBlock", OptionTypeOneDevice(), false, false,
     [](World& w) { return w.core->ReadBacks().readClick(); }},
    // The Read picture confirms what it read.
    {"ReadAndConfirm", ExtAreaDevice(), false, false,
     [](World& w) {
         w.core->Page().SetChecked(CopyCheckBox::check_confirm, true);
         w.core->ReadBacks().read_nClick();
         return StepPassed(w, CopyStep::Read) && StepPassed(w, CopyStep::Confirm);
     }},
    {"Verify16Bit", Word16Device(), false, false,
     [](World& w) {
         ChipHoldsTheBuffer(w);
         return w.core->ReadBacks().verify_1Click(kModeReady);
     }},
    {"VerifyWithExtendedArea", ExtAreaDevice(), false, false,
     [](World& w) {
         ChipHoldsTheBuffer(w);
         w.core->ReadBacks().verify_nClick();
         return StepPassed(w, CopyStep::Verify);
     }},
    {"ConfirmOnTheProgrammer", OptionTypeOneDevice(), false, true,
     [](World& w) {
         ChipHoldsTheBuffer(w);
         w.core->ReadBacks().confirm_nClick();
         return StepPassed(w, CopyStep::Confirm);
     }},
    {"AutomaticRun", ExtAreaDevice(), false, false,
     [](World& w) { return w.core->AutoRun().Run_HintClick(); }},
    {"EditAreaOkOnTheProgrammer", OptionTypeOneDevice(), false, false,
     [](World& w) { return w.core->EditSum().v_HintClick(); }},
};

class FaultSweep : public ::testing::TestWithParam<Scenario> {
protected:
    void SetUp() override {
        const Scenario& s = GetParam();
        dir.Write("FPGA/TEST.BIN", std::string(100, '\x5A'));
        std::string text = "[" + std::string(kDeviceSection) + "]\r\n";
        for (const auto& [k, v] : s.device.Keys()) text += k + "=" + v + "\r\n";
        dir.Write("INI/TESTCO/DEV.INI", text);
        device = dir.Path() + "INI\\TESTCO\\DEV.INI";
        Profile history(dir.Path() + "History_1.ini");
        ASSERT_TRUE(history.WriteString("SelectDlg", "Manufacturer", "TESTCO"));
        ASSERT_TRUE(history.WriteString("SelectDlg", "TypeNum", "DEV"));
        ASSERT_TRUE(history.WriteString("SelectDlg", "IcFileName", device));
    }

    std::unique_ptr<World> MakeWorld() {
        const Scenario& s = GetParam();
        auto w = std::make_unique<World>(dir, device, s.fuseMap, s.programmerOpen);
        EXPECT_TRUE(w->core->Device().DeviceValid);
        return w;
    }

    TempDir dir;
    std::string device;
};

const char* KindName(SimFault f) {
    switch (f) {
        case SimFault::Fail:
            return "fail";
        case SimFault::Short:
            return "short";
        default:
            return "unplug";
    }
}

// A failed call: closing never counts (it has nothing to fail).
bool FailedCall(const SimCall& c) { return !c.ok && c.kind != SimCallKind::Close; }

TEST_P(FaultSweep, EveryFailedCallEndsTheScenarioAsAReportedFailure) {
    const Scenario& s = GetParam();
    std::vector<SimCall> clean;
    std::vector<std::string> cleanLines;
    {
        auto w = MakeWorld();
        ASSERT_TRUE(s.run(*w)) << "the clean run passes";
        EXPECT_EQ(w->Sounds("error"), 0);
        EXPECT_TRUE(w->sim.ProtocolErrors().empty());
        EXPECT_FALSE(w->core->Buffer().Locked());
        clean = w->sim.Trace();
        cleanLines = w->sim.TraceLines();
    }
    ASSERT_FALSE(clean.empty());

    for (std::size_t n = 1; n <= clean.size(); ++n) {
        const SimCall& target = clean[n - 1];
        for (SimFault fault : {SimFault::Fail, SimFault::Short, SimFault::Unplug}) {
            // Closing a handle cannot fail; the programmer can still go away there.
            if (target.kind == SimCallKind::Close && fault != SimFault::Unplug) continue;
            SCOPED_TRACE("call " + std::to_string(n) + " of " + std::to_string(clean.size()) +
                         " (" + cleanLines[n - 1] + "), " + KindName(fault));
            auto w = MakeWorld();
            w->sim.InjectFaultAtCall(static_cast<int>(n), fault);

            EXPECT_FALSE(s.run(*w));
            // One failure display: Fail shows, and the failure sounds once,
            // with no pass sound after it (the main area of a device with an
            // extended area sounds its pass before the extended area runs).
            EXPECT_EQ(w->core->Page().Status(), StatusLook::Failed);
            EXPECT_EQ(w->Sounds("error"), 1);
            const auto& calls = w->sounds.calls;
            EXPECT_EQ(
                std::find(std::find(calls.begin(), calls.end(), "error"), calls.end(), "beep"),
                calls.end());
            EXPECT_FALSE(w->core->Buffer().Locked());

            // Nothing goes to the programmer after the first failed call, and
            // that is the faulted one (after a close, the open that follows it).
            const std::vector<SimCall>& trace = w->sim.Trace();
            std::size_t failed = trace.size();
            for (std::size_t i = 0; i < trace.size(); ++i) {
                if (FailedCall(trace[i])) {
                    failed = i;
                    break;
                }
            }
            ASSERT_LT(failed, trace.size()) << "no call failed";
            EXPECT_EQ(failed + 1, trace.size()) << "calls were made after the failed one";
            if (target.kind == SimCallKind::Close)
                EXPECT_EQ(failed, n);
            else
                EXPECT_EQ(failed, n - 1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, FaultSweep, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace burnmark::testing
