// The Copy page's Type step in the core: the device dialog's choice taken
// over by the page, the fuse map built for a new logic device and kept for
// the same one, a load that waited for the device, and the option-type-1
// set-up over the real buffer download on the simulated programmer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "link/programmer_requests.h"
#include "platform/settings_report.h"
#include "platform/profile.h"
#include "shell/program_core.h"
#include "shell/start_up.h"
#include "support/fake_checksum_field.h"
#include "support/fake_ports.h"
#include "support/flow_fakes.h"
#include "support/simulated_programmer.h"
#include "support/temp_dir.h"

namespace burnmark::testing {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// The dialog as the operator uses it: a script runs while it is "open".
class ScriptedSelectDialog : public SelectDialogPort {
public:
    void RunSelectDialog() override {
        ++runs;
        if (onRun) onRun();
    }
    std::function<void()> onRun;
    int runs = 0;
};

class CountingEditor : public FuseMapEditor {
public:
    void Rebind() override { ++rebinds; }
    void ShowModal() override {}
    int rebinds = 0;
};

class TypeStepTest : public ::testing::Test {
protected:
    TypeStepTest() {
        fs::copy(BURNMARK_SAMPLE_DIR, dir.Path(), fs::copy_options::recursive);
        // A second maker with a type of the same name and a larger fuse map.
        std::string select = dir.Read("Select.ini");
        select.replace(select.find("Value=5"), 7, "Value=6\n0006=OTHERCHIP");
        dir.Write("Select.ini", select +
                                    "\n[OTHERCHIP]\nValue=1\n0001=NC16L8\n"
                                    "NC16L8=OTHERCHIP\\NC16L8.INI\n");
        std::string other = dir.Read("INI/NORTHCHIP/NC16L8.INI");
        other.replace(other.find("max_address_Low=0x001B"), 22, "max_address_Low=0x001C");
        other.replace(other.find("fuse_row=32"), 11, "fuse_row=64");
        dir.Write("INI/OTHERCHIP/NC16L8.INI", other);

        ApplyEntryRules(dir.Path());
        state.AppDir = dir.Path();
        core = std::make_unique<ProgramCore>(
            state, CorePorts{sim, messages, sounds, pump, progress, processes}, settings);
        core->Checksum().SetField(&field);
        CopySourceSteps& steps = core->Steps();
        steps.SetSelectDialog(&dialog);
        steps.SetLoadDialog(&loadDialog);
        steps.ShowSelectedType = [this](const std::string& maker, const std::string& type) {
            shown.push_back(maker + " " + type);
        };
        steps.MakeFuseMapEditor = [this]() -> FuseMapEditor* {
            ++editorsMade;
            return &editor;
        };
    }

    // The start-up: the last device restored, then the dialog made.
    void Start(const std::string& maker, const std::string& type, const std::string& file) {
        Profile history(state.HistoryIniPath());
        history.WriteString("SelectDlg", "Manufacturer", maker);
        history.WriteString("SelectDlg", "TypeNum", type);
        const DeviceFacts facts = core->RestoreDevice(dir.Path() + "INI\\" + file);
        core->SizeBufferForRestore();
        if (facts.HasFuseMap == 1) core->InitFuseMapForDevice();
        core->Selection().FormCreate();
        messages.Clear();
    }

    // The operator's choice in the dialog, then OK.
    void Choose(const std::string& maker, const std::string& type) {
        dialog.onRun = [this, maker, type] {
            DeviceSelection& s = core->Selection();
            s.ManuEditChange(maker, EditSource::Program);
            s.IcTypeEditChange(type, EditSource::Program);
            ASSERT_EQ(s.Manufacturer(), maker);
            ASSERT_EQ(s.TypeNum(), type);
            ASSERT_EQ(s.OKBtnClick(), OkEnd::Accepted);
        };
        core->Steps().TypeStepClick();
    }
    void Cancel() {
        dialog.onRun = [this] { ASSERT_TRUE(core->Selection().CancelBtnClick()); };
        core->Steps().TypeStepClick();
    }

    TempDir dir;
    AppState state;
    MainSettings settings;
    SimulatedProgrammer sim;
    FakeMessages messages;
    FakeSounds sounds;
    FakePump pump;
    FakeProgress progress;
    FakeProcesses processes;
    RecordingField field;
    ScriptedSelectDialog dialog;
    ScriptedLoadDialog loadDialog;
    CountingEditor editor;
    Names shown;
    int editorsMade = 0;
    std::unique_ptr<ProgramCore> core;
};

TEST_F(TypeStepTest, ANewLogicDeviceGetsItsFuseMapAndTheSameDeviceKeepsIt) {
    Start("ATMEL", "AT89C51", "ATMEL\\AT89C51.INI");
    FuseMap& fuses = core->Fuses();
    state.ProjectOpened = 1;

    Choose("NORTHCHIP", "NC16L8");
    EXPECT_EQ(state.ProjectOpened, 0);
    EXPECT_TRUE(core->Page().MultiVisible());
    ASSERT_TRUE(fuses.HasBlock());
    EXPECT_EQ(fuses.FuseCount(), 2048);
    EXPECT_EQ(state.Form2Created, 1);
    EXPECT_EQ(shown, Names{"NORTHCHIP NC16L8"});
    // The definition loaded once, at the dialog's OK: its information only.
    EXPECT_EQ(messages.Texts(), Names{core->Device().InfoText});
    EXPECT_EQ(core->Options().VerifyListWanted, 0);
    ASSERT_TRUE(fuses.SetFuse(100, 1));

    Choose("NORTHCHIP", "NC16L8");
    EXPECT_EQ(fuses.FuseAt(100), 1);
    EXPECT_EQ(editor.rebinds, 1);

    // The same type under another maker is another device.
    Choose("OTHERCHIP", "NC16L8");
    EXPECT_EQ(fuses.FuseCount(), 4096);
    EXPECT_EQ(fuses.FuseAt(100), 0);
    EXPECT_EQ(editor.rebinds, 2);
    EXPECT_EQ(core->Steps().FuseEditor(), &editor);  // one editor for every map

    Choose("General Type", "27C256");
    EXPECT_FALSE(fuses.HasBlock());
    EXPECT_EQ(state.Form2Created, 0);
    EXPECT_EQ(core->Options().VerifyListWanted, 1);
    EXPECT_EQ(shown.back(), "General Type 27C256");
    EXPECT_EQ(state.DeviceIniPath, dir.Path() + "INI\\GENERAL\\27C256.INI");
    EXPECT_FALSE(state.Busy.Busy());
}

TEST_F(TypeStepTest, TheRestoredDeviceChosenAgainIsNoNewDevice) {
    Start("NORTHCHIP", "NC16L8", "NORTHCHIP\\NC16L8.INI");
    ASSERT_TRUE(core->Fuses().SetFuse(7, 1));
    Choose("NORTHCHIP", "NC16L8");
    EXPECT_FALSE(core->Device().TypeChanged);
    EXPECT_EQ(core->Fuses().FuseAt(7), 1);
    EXPECT_EQ(editorsMade, 0);
}

TEST_F(TypeStepTest, TheStepsFollowTheDeviceAndNeverOfferWhatItLacks) {
    Start("ATMEL", "AT89C51", "ATMEL\\AT89C51.INI");
    CopyPageModel& page = core->Page();
    // The 27C256 has no erase: three OKs in turn (new, same, same again, the
    // last of which makes the steps usable again) never show it.
    for (int ok = 0; ok < 3; ++ok) {
        Choose("General Type", "27C256");
        EXPECT_FALSE(page.Visible(CopyStep::Erase, StepImage::Ready)) << ok;
        EXPECT_FALSE(page.Box(CopyCheckBox::CheckBox1).enabled) << ok;
        EXPECT_TRUE(page.Visible(CopyStep::Check, StepImage::Ready)) << ok;
        EXPECT_TRUE(page.Visible(CopyStep::Type, StepImage::Ready)) << ok;
    }
    Choose("ATMEL", "AT89C51");
    EXPECT_TRUE(page.Visible(CopyStep::Erase, StepImage::Ready));
    EXPECT_TRUE(page.Box(CopyCheckBox::CheckBox1).checked);
    EXPECT_EQ(core->Frame().Run.RunReady, 1);
}

TEST_F(TypeStepTest, CancelLeavesTheDeviceAndItsFuseMap) {
    Start("NORTHCHIP", "NC16L8", "NORTHCHIP\\NC16L8.INI");
    ASSERT_TRUE(core->Fuses().SetFuse(3, 1));
    core->Loader().LoadPending = 1;
    Cancel();
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(core->Fuses().FuseAt(3), 1);
    EXPECT_EQ(core->Device().TypeNum, "NC16L8");
    EXPECT_EQ(core->Loader().LoadPending, 0);
    EXPECT_EQ(loadDialog.runs, 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(TypeStepTest, ALoadRefusedForWantOfADeviceContinuesOnceADeviceIsChosen) {
    struct Case {
        const char* maker;  // nullptr: Cancel
        const char* type;
        int loads;
        uint8_t pendingAfter;
        int refusals;
    } cases[] = {
        {"ATMEL", "AT89C51", 1, 0, 1},
        // Still no device: the load is refused again and waits, without the
        // dialog coming back by itself.
        {"First Setup", "NONE", 0, 1, 2},
        {nullptr, nullptr, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.maker ? c.maker : "Cancel");
        Start("First Setup", "NONE", "FIRST\\SETUP.INI");
        dialog.runs = 0;
        loadDialog.runs = 0;
        dialog.onRun = [this, &c] {
            DeviceSelection& s = core->Selection();
            if (!c.maker) {
                ASSERT_TRUE(s.CancelBtnClick());
                return;
            }
            s.ManuEditChange(c.maker, EditSource::Program);
            s.IcTypeEditChange(c.type, EditSource::Program);
            ASSERT_EQ(s.OKBtnClick(), OkEnd::Accepted);
        };
        core->Steps().LoadStepClick();
        EXPECT_EQ(dialog.runs, 1);
        EXPECT_EQ(loadDialog.runs, c.loads);
        EXPECT_EQ(core->Loader().LoadPending, c.pendingAfter);
        int refusals = 0;
        for (const std::string& text : messages.Texts()) refusals += text == "Please Selete IC...";
        EXPECT_EQ(refusals, c.refusals);
    }
}

TEST_F(TypeStepTest, OptionTypeOneDownloadsTheBufferAndShowsTheProgrammersSum) {
    Start("ATMEL", "AT89C51", "ATMEL\\AT89C51.INI");
    sim.ClearTrace();
    Choose("VALEMICRO", "VM89X52");
    ASSERT_FALSE(sim.Executions().empty());
    EXPECT_EQ(sim.Executions().back().operation, OpExtractOptions);
    EXPECT_FALSE(sim.Download().empty());
    EXPECT_TRUE(sim.ProtocolErrors().empty());
    const std::array<uint8_t, 16>& status = sim.StatusBytes();
    ASSERT_FALSE(field.texts.empty());
    EXPECT_EQ(field.texts.back(), ChecksumDisplay::Format(status[2] | status[3] << 8));
    EXPECT_EQ(messages.Texts(), Names{core->Device().InfoText});
    EXPECT_EQ(core->Options().VerifyListWanted, 0);
}

TEST_F(TypeStepTest, AMissingFpgaFileIsToldOnceAndOnlyTheSumIsShown) {
    Start("ATMEL", "AT89C51", "ATMEL\\AT89C51.INI");
    fs::remove(dir.Path() + "FPGA/MEM8.BIN");
    {
        BufferLock lock = core->Buffer().GetBufferHandle();
        std::fill(lock.data(), lock.data() + lock.size(), 0x5A);
    }
    sim.ClearTrace();
    Choose("General Type", "27C256");
    EXPECT_EQ(messages.Texts(), (Names{"No found MEM8.BIN", core->Device().InfoText}));
    EXPECT_TRUE(sim.Trace().empty());
    EXPECT_EQ(shown, Names{"General Type 27C256"});
    // The sum of the device's 32 KB of the buffer is shown without the programmer.
    EXPECT_EQ(field.texts, Names{ChecksumDisplay::Format(0x8000 * 0x5A)});
}

TEST_F(TypeStepTest, AChoiceThatCannotBeSavedHoldsForThisRun) {
    Start("First Setup", "NONE", "FIRST\\SETUP.INI");
    const std::string history = state.HistoryIniPath();
    ASSERT_EQ(::chmod(history.c_str(), 0444), 0);
    Choose("General Type", "27C256");
    ::chmod(history.c_str(), 0644);
    EXPECT_EQ(messages.Texts(), (Names{SettingsWriteFailText({history}), core->Device().InfoText}));
    EXPECT_EQ(Profile(history).ReadString("SelectDlg", "Manufacturer", ""), "First Setup");
    // The steps follow the device chosen, not the "First Setup" stored: the
    // 27C256 has no erase.
    EXPECT_FALSE(core->Page().Visible(CopyStep::Erase, StepImage::Ready));
    EXPECT_TRUE(core->Page().Visible(CopyStep::Check, StepImage::Ready));
    EXPECT_EQ(state.DeviceIniPath, dir.Path() + "INI\\GENERAL\\27C256.INI");
}

TEST_F(TypeStepTest, TheTypeStepWaitsWhileTheProgramIsBusy) {
    Start("ATMEL", "AT89C51", "ATMEL\\AT89C51.INI");
    BusyScope busy(state.Busy);
    core->Steps().TypeStepClick();
    EXPECT_FALSE(core->Steps().Image14Click());
    EXPECT_EQ(dialog.runs, 0);
}

TEST_F(TypeStepTest, TheDeviceChoiceAloneTakesTheDeviceAndLeavesTheTypeStep) {
    Start("ATMEL", "AT89C51", "ATMEL\\AT89C51.INI");
    CopyPageModel& page = core->Page();
    const bool typeReady = page.Visible(CopyStep::Type, StepImage::Ready);
    const bool typeHighlight = page.Visible(CopyStep::Type, StepImage::Highlight);
    dialog.onRun = [this] {
        DeviceSelection& s = core->Selection();
        s.ManuEditChange("NORTHCHIP", EditSource::Program);
        s.IcTypeEditChange("NC16L8", EditSource::Program);
        ASSERT_EQ(s.OKBtnClick(), OkEnd::Accepted);
    };
    EXPECT_TRUE(core->Steps().Image14Click());
    EXPECT_EQ(shown, Names{"NORTHCHIP NC16L8"});
    EXPECT_EQ(messages.Texts(), Names{core->Device().InfoText});
    // The page follows the new logic device as after the Type step.
    EXPECT_TRUE(core->Fuses().HasBlock());
    EXPECT_EQ(state.Form2Created, 1);
    EXPECT_EQ(core->Options().VerifyListWanted, 0);
    EXPECT_EQ(page.Visible(CopyStep::Type, StepImage::Ready), typeReady);
    EXPECT_EQ(page.Visible(CopyStep::Type, StepImage::Highlight), typeHighlight);

    // A dialog that could not be shown, even right after an OK, or Cancel takes none.
    dialog.onRun = nullptr;
    EXPECT_FALSE(core->Steps().Image14Click());
    dialog.onRun = [this] { ASSERT_TRUE(core->Selection().CancelBtnClick()); };
    EXPECT_FALSE(core->Steps().Image14Click());
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(core->Device().TypeNum, "NC16L8");
}

}  // namespace
}  // namespace burnmark::testing
