// The program's core without a window: the start-up restore's work on the
// sample catalogue, the Copy page's Load, Save and Edit steps with their
// tails, and the fuse-map editor's life across devices.
#include "shell/program_core.h"

#include "unit/shell/core_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <span>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "shell/start_up.h"
#include "support/fake_checksum_field.h"
#include "support/fake_ports.h"
#include "support/flow_fakes.h"
#include "support/simulated_programmer.h"
#include "support/temp_dir.h"

namespace burnmark::testing {
namespace {

namespace fs = std::filesystem;

// The fuse-map editor window as the steps see it.
class CountingFuseEditor : public FuseMapEditor {
public:
    void Rebind() override { ++rebinds; }
    void ShowModal() override { ++shown; }
    int rebinds = 0;
    int shown = 0;
};

// The window's Edit area: what the Edit step asked of it, in order.
class RecordingEditArea : public BufferEditorArea {
public:
    void ShowEditArea() override { calls.push_back("area"); }
    void ShowBufferEditor(std::optional<EditorPage> page) override {
        calls.push_back(!page ? "editor" : *page == EditorPage::Bits8 ? "editor 8" : "editor 16");
    }
    std::vector<std::string> calls;
};

class ProgramCoreTest : public CoreTest {
protected:
    MainSettings settings;
};

TEST_F(ProgramCoreTest, TheRestoreLoadsTheLastDeviceKeepingItsPath) {
    struct Case {
        const char* maker;
        const char* type;
        const char* file;
        uint8_t verifyList;
        uint8_t fuseMap;
    } cases[] = {
        {"ATMEL", "AT89C51", "ATMEL\\AT89C51.INI", 1, 0},
        {"VALEMICRO", "VM89X52", "VALEMICRO\\VM89X52.INI", 0, 0},  // option type 1
        {"NORTHCHIP", "NC16L8", "NORTHCHIP\\NC16L8.INI", 0, 1},    // a logic device
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Select(c.maker, c.type);
        core->Options().OptionValuesSaved = 1;
        core->Frame().Run.RunReady = 0;
        // The record names another file: the restore's path is the one loaded.
        core->Device().IcFileName = Stored("GENERAL\\27C256.INI");

        const DeviceFacts facts = core->RestoreDevice(Stored(c.file));
        const DeviceRecord& device = core->Device();
        EXPECT_TRUE(device.DeviceValid);
        EXPECT_EQ(device.Name, c.type);
        EXPECT_EQ(device.Manufacturer, c.maker);
        EXPECT_EQ(device.IniPathInUse, Stored(c.file));
        EXPECT_EQ(device.SkipIniPathCopy, 0);
        EXPECT_EQ(facts.HasFuseMap, c.fuseMap);
        EXPECT_EQ(device.HasFuseMap, c.fuseMap);
        EXPECT_EQ(core->Options().OptionValuesSaved, 0);
        EXPECT_EQ(core->Options().VerifyListWanted, c.verifyList);
        EXPECT_EQ(core->Frame().Run.RunReady, 1);
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(sim.Trace().empty());
}

TEST_F(ProgramCoreTest, TheRestoreSizesTheBufferWithoutEarlierLoads) {
    core->RestoreDevice(Stored("ATMEL\\AT89C51.INI"));
    core->Sizing().LoadedBufferSize = 0x80000;
    core->SizeBufferForRestore();
    EXPECT_EQ(core->Sizing().BufferSize, 0x10000u);
    EXPECT_EQ(core->Buffer().GetBufferSize(), 0x10000u + DataBuffer::kLengthSlack);
}

TEST_F(ProgramCoreTest, SoundSettingsReachThePlayer) {
    settings.SoundOn = 0;
    settings.SoundMode = 3;
    ProgramCore quiet(state, CorePorts{sim, messages, sounds, pump, progress, processes}, settings);
    EXPECT_EQ(quiet.Sounds().SoundOn, 0);
    EXPECT_EQ(quiet.Sounds().SoundMode, 3);
}

TEST_F(ProgramCoreTest, ALoadShowsTheDeviceSumRedOnlyWhenItChanged) {
    core->RestoreDevice(Stored("ATMEL\\AT89C51.INI"));
    core->SizeBufferForRestore();
    const std::string file = dir.Write("data/four.bin", std::string(4, '\x01'));
    loadDialog.onRun = [&] {
        Profile history(state.HistoryIniPath());
        for (auto [k, v] :
             std::vector<std::pair<const char*, std::string>>{{"Name", file},
                                                              {"SourceSAdd", "0"},
                                                              {"SourceEAdd", "3"},
                                                              {"Format", "3"},
                                                              {"DistSAdd", "0"},
                                                              {"UserFill", "255"},
                                                              {"UnuserFillCheck", "1"},
                                                              {"OK", "1"}})
            history.WriteString("LoadDlg", k, v);
    };
    // The 4 KB device: four bytes of 1 and 4092 of 0xFF.
    const std::string sum = ChecksumDisplay::Format(4 + 4092 * 0xFF);
    for (int load = 0; load < 2; ++load) {
        core->Steps().LoadStepClick();
        ASSERT_FALSE(field.texts.empty());
        EXPECT_EQ(field.texts.back(), sum);
        // The next load keeps the operator's ticks.
        if (load == 0) core->Page().SetChecked(CopyCheckBox::CheckBox1, false);
    }
    EXPECT_FALSE(core->Page().Box(CopyCheckBox::CheckBox1).checked);
    EXPECT_EQ(field.highlights, (std::vector<bool>{true, false}));
    EXPECT_FALSE(state.Busy.Busy());
    EXPECT_EQ(loadDialog.runs, 2);
}

TEST_F(ProgramCoreTest, TheEditAreasRangeCommandsWorkOnTheCoresBufferAndField) {
    core->RestoreDevice(Stored("ATMEL\\AT89C51.INI"));
    core->SizeBufferForRestore();
    ScriptedFillDialog fill;
    ScriptedSumDialog sum;
    core->Ranges().SetFillDialog(&fill);
    core->Ranges().SetSumDialog(&sum);
    fill.script = [](FillDialogLogic& logic) {
        FillFields f = logic.Opening();  // the device's 4 KB
        f.select = 1;                    // "All Bit 0"
        return logic.Accept(f).answer;
    };
    sum.script = [](SumDialogLogic& logic) {
        RangeFields f = logic.Opening();
        f.byteEnd = "1000";  // one byte past the device, which is 0xFF
        return logic.Accept(f).answer;
    };
    EXPECT_EQ(core->Ranges().FillDataClick(), RangeEnd::Done);
    EXPECT_EQ(core->Ranges().GetSumClick(), RangeEnd::Done);
    EXPECT_EQ(field.texts, std::vector<std::string>{"000000FF"});
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"SUM : 000000FF"});
    EXPECT_FALSE(state.Busy.Busy());
}

TEST_F(ProgramCoreTest, StepsClickedWhileBusyDoNothing) {
    core->RestoreDevice(Stored("ATMEL\\AT89C51.INI"));
    BusyScope busy(state.Busy);
    core->Steps().LoadStepClick();
    core->Steps().SaveStepClick();
    EXPECT_EQ(loadDialog.runs, 0);
    EXPECT_EQ(saveDialog.runs, 0);
}

TEST_F(ProgramCoreTest, ALogicDeviceLoadsItsJedecFileIntoTheMap) {
    core->RestoreDevice(Stored("NORTHCHIP\\NC16L8.INI"));
    core->SizeBufferForRestore();
    CountingFuseEditor editor;
    core->Steps().SetFuseMapEditor(&editor);
    // Without a map built for the device there is nothing to load into.
    fuseFiles.loadPath = dir.Write("in.jed", "\x02*QF2048*F0*L0 1111*\x03");
    core->Steps().LoadStepClick();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{" Insufficient memory! "});
    EXPECT_EQ(loadPath, "unchanged");

    // Nor is there a map to edit.
    core->Steps().EditStepClick();
    EXPECT_EQ(editor.shown, 0);

    messages.Clear();
    core->InitFuseMapForDevice();
    // A file that is no JEDEC file is not named as loaded.
    const std::string good = fuseFiles.loadPath;
    fuseFiles.loadPath = dir.Write("bad.jed", "no fuses here");
    core->Steps().LoadStepClick();
    EXPECT_EQ(loadPath, "unchanged");

    fuseFiles.loadPath = good;
    core->Steps().LoadStepClick();
    EXPECT_EQ(core->Fuses().FuseAt(0), 1);
    EXPECT_EQ(core->Fuses().FuseAt(4), 0);
    EXPECT_EQ(loadPath, fuseFiles.loadPath);
    ASSERT_FALSE(field.texts.empty());
    EXPECT_EQ(loadDialog.runs, 0);  // the data buffer's dialog is not used
}

// ---- The Edit step ------------------------------------------------------------------------------

TEST(EditPageForWidthTest, OnlyTheKnownSpellingsChooseAPage) {
    const std::optional<EditorPage> keep;
    const std::pair<const char*, std::optional<EditorPage>> cases[] = {
        {"0x00FF", EditorPage::Bits8},
        {"0x00ff", EditorPage::Bits8},
        {"0xFF", EditorPage::Bits8},
        {"0xff", EditorPage::Bits8},
        {"0xFFFF", EditorPage::Bits16},
        {"0xffff", EditorPage::Bits16},
        // Mixed case, other forms and padding are no width the page knows.
        {"0xffFF", keep},
        {"0xFFff", keep},
        {"0x00Ff", keep},
        {"0XFF", keep},
        {"0x0FF", keep},
        {" 0xFF", keep},
        {"", keep},
        {"None", keep},
    };
    for (const auto& [text, page] : cases) EXPECT_EQ(EditPageForWidth(text), page) << text;
}

TEST_F(ProgramCoreTest, TheEditStepOfADataDeviceShowsTheEditorOnItsWidthsPage) {
    core->RestoreDevice(Stored("GENERAL\\27C1024.INI"));
    RecordingEditArea area;
    core->Steps().SetBufferEditorArea(&area);
    core->Steps().EditStepClick();
    EXPECT_EQ(area.calls, (std::vector<std::string>{"area", "editor 16"}));

    area.calls.clear();
    core->Device().Data_Width = "0xff";
    core->Steps().EditStepClick();
    core->Device().Data_Width = "0xFfFf";  // the editor keeps the page it shows
    core->Steps().EditStepClick();
    EXPECT_EQ(area.calls, (std::vector<std::string>{"area", "editor 8", "area", "editor"}));

    area.calls.clear();
    {
        BusyScope busy(state.Busy);
        core->Steps().EditStepClick();
    }
    EXPECT_TRUE(area.calls.empty());
    EXPECT_TRUE(messages.shown.empty());
}

// ---- The fuse-map editor across devices
// -----------------------------------------------------------

TEST_F(ProgramCoreTest, OneFuseMapEditorFollowsEachNewLogicDevice) {
    CountingFuseEditor editor;
    int made = 0;
    core->Steps().MakeFuseMapEditor = [&]() -> FuseMapEditor* {
        ++made;
        return &editor;
    };
    RecordingEditArea area;
    core->Steps().SetBufferEditorArea(&area);

    core->RestoreDevice(Stored("NORTHCHIP\\NC16L8.INI"));
    ASSERT_TRUE(core->Steps().FuseMapForNewDevice());
    EXPECT_EQ(state.Form2Created, 1);
    EXPECT_EQ(core->Steps().FuseEditor(), &editor);
    ASSERT_TRUE(core->Fuses().HasBlock());
    core->Fuses().SetFuse(3, 1);
    EXPECT_EQ(editor.rebinds, 1);

    // A second logic device: the same window, reset to a fresh map.
    ASSERT_TRUE(core->Steps().FuseMapForNewDevice());
    EXPECT_EQ(core->Steps().FuseEditor(), &editor);
    EXPECT_EQ(core->Fuses().FuseAt(3), 0);
    EXPECT_EQ(editor.rebinds, 2);
    core->Steps().EditStepClick();
    EXPECT_EQ(editor.shown, 1);
    EXPECT_TRUE(area.calls.empty());  // the buffer editor is not asked

    // A data device: the map goes, the window stays and shows none.
    core->RestoreDevice(Stored("ATMEL\\AT89C51.INI"));
    ASSERT_TRUE(core->Steps().FuseMapForNewDevice());
    EXPECT_EQ(state.Form2Created, 0);
    EXPECT_FALSE(core->Fuses().HasBlock());
    EXPECT_EQ(editor.rebinds, 3);
    core->Steps().EditStepClick();
    EXPECT_EQ(editor.shown, 1);
    EXPECT_EQ(area.calls, (std::vector<std::string>{"area", "editor 8"}));
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ProgramCoreTest, ALogicDeviceWithoutItsEditorSaysSoAtEachStep) {
    core->RestoreDevice(Stored("NORTHCHIP\\NC16L8.INI"));
    core->Steps().MakeFuseMapEditor = []() -> FuseMapEditor* { throw std::bad_alloc(); };
    EXPECT_FALSE(core->Steps().FuseMapForNewDevice());
    EXPECT_EQ(state.Form2Created, 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kFuseEditorMissingText);

    fuseFiles.loadPath = dir.Write("in.jed", "\x02*QF2048*F0*L0 1111*\x03");
    fuseFiles.savePath = dir.Path() + "out.jed";
    using Step = void (CopySourceSteps::*)();
    for (Step step : {&CopySourceSteps::LoadStepClick, &CopySourceSteps::SaveStepClick,
                      &CopySourceSteps::EditStepClick}) {
        messages.Clear();
        sounds.calls.clear();
        (core->Steps().*step)();
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{kFuseEditorMissingText});
        EXPECT_EQ(core->Page().Status(), StatusLook::Failed);
        EXPECT_EQ(std::count(sounds.calls.begin(), sounds.calls.end(), "error"), 1);
    }
    // Nothing was asked of the operator, nothing written.
    EXPECT_EQ(fuseFiles.loads + fuseFiles.saves, 0);
    EXPECT_FALSE(fs::exists(fuseFiles.savePath));
    EXPECT_EQ(loadDialog.runs, 0);
}

// ---- The Load step of an option-type-1 device
// -------------------------------------------------------

class OptionTypeOneLoadTest : public ProgramCoreTest {
protected:
    void SetUp() override {
        Select("VALEMICRO", "VM89X52");
        core->RestoreDevice(Stored("VALEMICRO\\VM89X52.INI"));
        ASSERT_EQ(core->Device().FuseTypeDigit, 1);
        core->SizeBufferForRestore();
        sim.InsertChip(false, 0x2000);
        for (std::size_t i = 0; i < sim.Chip().chipOptionBlock.size(); ++i)
            sim.Chip().chipOptionBlock[i] = static_cast<uint8_t>(0x30 + i);
        {
            BufferLock lock = core->Buffer().GetBufferHandle();
            for (std::size_t i = 0; i < lock.Bytes().size(); ++i)
                lock.Bytes()[i] = static_cast<uint8_t>(i * 7);
        }
        core->Options().ChipOptionWords.fill(0xC0DE);
        core->Steps().StoreOptionWords = [this] { ++stored; };
        // The block goes out with another step's voltages than the read's.
        core->Frame().SetVoltages(kProgramVcc);
        sim.ClearTrace();
    }

    // The 16-bit byte sum of the device's 8 KB as the buffer holds them.
    uint16_t DeviceSum() {
        BufferLock lock = core->Buffer().GetBufferHandle();
        uint32_t sum = 0;
        for (std::size_t i = 0; i < 0x2000; ++i) sum += lock.Bytes()[i];
        return static_cast<uint16_t>(sum);
    }
    void HandBack(const std::string& file) {
        loadDialog.onRun = [this, file] {
            Profile history(state.HistoryIniPath());
            for (auto [k, v] :
                 std::vector<std::pair<const char*, std::string>>{{"Name", file},
                                                                  {"SourceSAdd", "0"},
                                                                  {"SourceEAdd", "3"},
                                                                  {"Format", "3"},
                                                                  {"DistSAdd", "0"},
                                                                  {"UnuserFillCheck", "0"},
                                                                  {"OK", "1"}})
                history.WriteString("LoadDlg", k, v);
        };
    }
    bool ChipWordsUntouched() const {
        const auto& words = core->Options().ChipOptionWords;
        return std::all_of(words.begin(), words.end(), [](uint16_t w) { return w == 0xC0DE; });
    }

    int stored = 0;
};

TEST_F(OptionTypeOneLoadTest, TheTailDownloadsAndShowsTheProgrammersChecksum) {
    ASSERT_TRUE(core->Steps().ProgrammerChecksumAfterLoad());

    std::vector<std::string> expected = {"close", "open", "out 47 0B00 0080", "bulk-out 128",
                                         "out 47 4000 4000"};
    for (int page = 0; page < 8; ++page) {
        expected.push_back("out 43 000" + std::to_string(page) + " 0000");
        expected.push_back("bulk-out 16384");
    }
    for (const char* line :
         {"out 47 0B00 0080", "bulk-out 128", "out 43 0000 0000", "out 4C 8000 8000",
          "bulk-out 32768", "out 4C 8000 8000", "bulk-out 32768", "out 49 4000 0B00",
          "in 42 0000 0000 16", "out 46 0E00 0100", "bulk-in 256"})
        expected.push_back(line);
    EXPECT_EQ(sim.TraceLines(), expected);
    EXPECT_TRUE(sim.ProtocolErrors().empty());

    // The download went with the read voltages.
    EXPECT_EQ(sim.ParamWord(param::CurrentVcc), 50);
    EXPECT_EQ(sim.ParamWord(param::CurrentVpp), 50);
    EXPECT_EQ(sim.ParamWord(param::CurrentVhh), 0);
    ASSERT_FALSE(field.texts.empty());
    EXPECT_EQ(field.texts.back(), ChecksumDisplay::Format(DeviceSum()));
    EXPECT_EQ(core->Options().ChipOptionWords[0], 0x3130);
    EXPECT_EQ(core->Options().ChipOptionWords[127], static_cast<uint16_t>(0x2F2E));
    EXPECT_EQ(stored, 1);
    EXPECT_TRUE(messages.shown.empty());
}

struct TailFault {
    const char* name;
    SimCallKind kind;
    int request;          // -1: any
    bool statusFails;     // no fault on the wire: the status says failure
    const char* message;  // nullptr: no text, only the failure display
    bool sumShown;        // the status step passed before the failure
    bool programFailed;   // the program step's failed picture is uncovered
};

void PrintTo(const TailFault& c, std::ostream* os) { *os << c.name; }

class OptionTypeOneTailFaults : public OptionTypeOneLoadTest,
                                public ::testing::WithParamInterface<TailFault> {};

TEST_P(OptionTypeOneTailFaults, StopsAtTheFailingStepAndKeepsWhatItDidNotGet) {
    const TailFault& f = GetParam();
    if (f.statusFails) {
        std::array<uint8_t, 16> failed{};
        failed[0] = 1;
        failed[2] = 0x34;  // a checksum that must not be shown
        sim.OverrideStatus(OpExtractOptions, failed);
    } else {
        sim.InjectFault(f.kind, 1, SimFault::Fail, f.request);
    }
    core->Page().Show(CopyStep::Program, StepImage::Ready);
    core->Page().Show(CopyStep::Program, StepImage::Highlight);
    sounds.calls.clear();

    EXPECT_FALSE(core->Steps().ProgrammerChecksumAfterLoad());
    EXPECT_EQ(messages.Texts(),
              f.message ? std::vector<std::string>{f.message} : std::vector<std::string>{});
    EXPECT_EQ(core->Page().Status(), StatusLook::Failed);
    EXPECT_EQ(std::count(sounds.calls.begin(), sounds.calls.end(), "error"), 1);
    EXPECT_EQ(field.texts.size(), f.sumShown ? 1u : 0u);
    EXPECT_TRUE(ChipWordsUntouched());
    EXPECT_EQ(stored, 0);
    EXPECT_EQ(core->Page().Top(CopyStep::Program) == StepImage::Fail, f.programFailed);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, OptionTypeOneTailFaults,
    ::testing::Values(
        TailFault{"Reopen", SimCallKind::Open, -1, false, kHardwareMissingText, false, false},
        TailFault{"ParameterBlock", SimCallKind::VendorOut, CmdBlockWrite, false, nullptr, false,
                  false},
        TailFault{"FpgaPage", SimCallKind::VendorOut, CmdChangePage, false, nullptr, false, false},
        TailFault{"Download", SimCallKind::VendorOut, CmdDataWrite, false, kErrDataWrite, false,
                  false},
        TailFault{"Execute", SimCallKind::VendorOut, CmdExecute, false, kErrExecute49, false,
                  false},
        TailFault{"StatusRead", SimCallKind::VendorIn, CmdStatus, false, nullptr, false, true},
        TailFault{"StatusFails", SimCallKind::VendorIn, -1, true, nullptr, false, true},
        TailFault{"ChipBlockRequest", SimCallKind::VendorOut, CmdBlockRead, false, kErrBlockRead,
                  true, false},
        TailFault{"ChipBlockData", SimCallKind::BulkIn, -1, false, kErrBlockReadData, true, false}),
    [](const ::testing::TestParamInfo<TailFault>& info) { return info.param.name; });

TEST_F(OptionTypeOneLoadTest, TheTailSendsNothingForADeviceThatIsNotUsable) {
    for (bool fpgaMissing : {true, false}) {
        SCOPED_TRACE(fpgaMissing ? "FPGA file missing" : "definition incomplete");
        core->Device().FpgaFileMissing = fpgaMissing ? 1 : 0;
        core->Device().DeviceValid = fpgaMissing;
        EXPECT_FALSE(core->Steps().ProgrammerChecksumAfterLoad());
        EXPECT_TRUE(sim.Trace().empty());
        EXPECT_EQ(core->Page().Status(), StatusLook::Failed);
        EXPECT_TRUE(field.texts.empty());
        EXPECT_TRUE(ChipWordsUntouched());
    }
    EXPECT_TRUE(messages.shown.empty());  // the device's load said why
}

TEST_F(OptionTypeOneLoadTest, TheLoadStepEndsOnTheProgrammersChecksumOrAtItsFirstFailure) {
    HandBack(dir.Write("data/four.bin", "\x01\x02\x03\x04"));
    core->Steps().LoadStepClick();
    ASSERT_EQ(field.texts.size(), 1u);
    EXPECT_EQ(field.texts[0], ChecksumDisplay::Format(DeviceSum()));
    EXPECT_EQ(stored, 1);
    EXPECT_TRUE(core->Page().MultiVisible());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(state.Busy.Busy());

    // A file that does not load sends nothing to the programmer.
    sim.ClearTrace();
    HandBack(dir.Path() + "data/none.bin");
    core->Steps().LoadStepClick();
    EXPECT_TRUE(sim.Trace().empty());
    EXPECT_EQ(field.texts.size(), 1u);
    EXPECT_EQ(stored, 1);
    HandBack(dir.Path() + "data/four.bin");
    messages.Clear();

    // Without a programmer the operator is told once, and the field keeps its value.
    sim.ClearSlots();
    core->Page().SetMulti(false);
    core->Steps().LoadStepClick();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{kHardwareMissingText});
    EXPECT_EQ(field.texts.size(), 1u);
    EXPECT_EQ(stored, 1);
    EXPECT_FALSE(core->Page().MultiVisible());
    EXPECT_FALSE(state.Busy.Busy());
}

// ---- The option pages --------------------------------------------------------------------

TEST_F(ProgramCoreTest, ProtectSendsTheStoredOptionsPackedTwice) {
    core->RestoreDevice(Stored("VALEMICRO\\VM87X54.INI"));
    core->SizeBufferForRestore();
    dir.Write("temp.ini",
              "[CurrentUserPageSetup]\r\nPage0Com0Set=2\r\nPage0Com1Set=1\r\nPage0Com2Set=0\r\n"
              "Page0Com3Set=8\r\nPage0Com4Set=165\r\nPage1Com1Set=70000\r\nPage1Com4Set=AB\r\n");
    core->Options().OptionValuesSaved = 1;
    core->Simple().secur_nClick();

    const std::vector<uint16_t> words = {2, 1, 0,   8,   0xA5, 0, 0, 70000 & 0xFFFF,
                                         0, 0, 'A', 'B', 0,    0, 0, 0};
    std::vector<std::vector<uint8_t>> sent;
    const auto& trace = sim.Trace();
    for (std::size_t i = 0; i + 1 < trace.size(); ++i)
        if (trace[i].kind == SimCallKind::VendorOut && trace[i].request == CmdBlockWrite &&
            trace[i].value == kOptionWordsAddr)
            sent.push_back(trace[i + 1].data);
    ASSERT_EQ(sent.size(), 2u);
    for (const auto& block : sent) {
        ASSERT_EQ(block.size(), 128u);
        for (std::size_t w = 0; w < words.size(); ++w)
            EXPECT_EQ(block[2 * w] | (block[2 * w + 1] << 8), words[w]) << "word " << w;
    }
    EXPECT_EQ(std::vector<uint8_t>(sim.Chip().optionWords.begin(), sim.Chip().optionWords.end()),
              sent[1]);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ProgramCoreTest, TheParametersControlOpensWhatTheDeviceHas) {
    struct Case {
        const char* file;
        OptionWindowChoice choice;
    } cases[] = {{"VALEMICRO\\VM89X52.INI", OptionWindowChoice::Pages},
                 {"VALEMICRO\\VM87X54.INI", OptionWindowChoice::Pages},
                 {"ATMEL\\AT89C51.INI", OptionWindowChoice::PagelessOverMain},
                 {"GENERAL\\27C256.INI", OptionWindowChoice::PagelessOverMain}};
    for (const Case& c : cases) {
        core->RestoreDevice(Stored(c.file));
        EXPECT_EQ(core->OptionWindowToShow(), c.choice) << c.file;
    }
    {
        BusyScope busy(state.Busy);
        EXPECT_EQ(core->OptionWindowToShow(), OptionWindowChoice::Nothing);
    }
    state.ExitGuard = 1;
    EXPECT_EQ(core->OptionWindowToShow(), OptionWindowChoice::Nothing);
}

TEST_F(ProgramCoreTest, AnOptionTypeOneOkPatchesTheBufferAndShowsTheChecksumOnce) {
    core->RestoreDevice(Stored("VALEMICRO\\VM89X52.INI"));
    core->SizeBufferForRestore();
    dir.Write("temp.ini", "[CurrentUserPageSetup]\r\nPage1Com4Set=50\r\n");
    sim.patchList.fill(0xFF);
    sim.patchList[0] = 0x00;  // 0x0100 <- 0xA55A
    sim.patchList[1] = 0x01;
    sim.patchList[2] = 0x00;
    sim.patchList[3] = 0x00;
    sim.patchList[4] = 0x5A;
    sim.patchList[5] = 0xA5;
    std::array<uint8_t, 16> pass{};
    std::array<uint8_t, 16> sum{};
    sum[2] = 0xEF;
    sum[3] = 0xBE;
    sim.OverrideStatus(OpApplyOptions, pass);
    sim.OverrideStatus(OpApplyOptions, sum);
    std::vector<bool> busyWhilePumping;
    pump.onProcess = [&] { busyWhilePumping.push_back(state.Busy.Busy()); };

    const std::unique_ptr<OptionPages> pages = core->MakeOptionPages(OptionWindowChoice::Pages);
    ASSERT_TRUE(pages->HasPages());
    ASSERT_TRUE(pages->OKBitBtnClick());
    {
        BufferLock lock = core->Buffer().GetBufferHandle();
        EXPECT_EQ(lock.Bytes()[0x100], 0x5A);
        EXPECT_EQ(lock.Bytes()[0x101], 0xA5);
    }
    EXPECT_EQ(field.texts, (std::vector<std::string>{"0000BEEF"}));
    EXPECT_EQ(field.highlights, (std::vector<bool>{true}));
    EXPECT_FALSE(busyWhilePumping.empty());
    EXPECT_EQ(busyWhilePumping, std::vector<bool>(busyWhilePumping.size(), true));
    EXPECT_FALSE(state.Busy.Busy());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ProgramCoreTest, AnOptionTypeOneOkWithoutAProgrammerSaysSoOnce) {
    core->RestoreDevice(Stored("VALEMICRO\\VM89X52.INI"));
    dir.Write("temp.ini", "[CurrentUserPageSetup]\r\nPage1Com4Set=50\r\n");
    sim.ClearSlots();
    const std::unique_ptr<OptionPages> pages = core->MakeOptionPages(OptionWindowChoice::Pages);
    ASSERT_TRUE(pages->OKBitBtnClick());
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{kHardwareMissingText}));
    EXPECT_TRUE(field.texts.empty());
    EXPECT_EQ(sounds.calls.size(), 1u);  // one failure sound
}

// The chip in the socket, shaped as the device the core loaded, holding a
// pattern of its own (fuses, one per byte, for a logic device).
void InsertChipFor(SimulatedProgrammer& sim, const DeviceRecord& device) {
    const DeviceParamBlock& b = device.DeviceParamBlock;
    const bool wide = ComputeDeviceSizes(b, device.Data_Width).width == DataWidth::Word16;
    const uint32_t main =
        ((uint32_t{b.Word(param::max_address_Hi)} << 16) | b.Word(param::max_address_Low)) + 1;
    const uint32_t ext =
        device.HasExtArea
            ? ((uint32_t{b.Word(param::ext_address_Hi)} << 16) | b.Word(param::ext_address_Low)) + 1
            : 0;
    sim.InsertChip(wide, main, ext);
    uint32_t i = 0;
    for (auto* area : {&sim.Chip().main, &sim.Chip().ext})
        for (uint8_t& byte : *area) {
            byte = device.HasFuseMap ? (i % 3 == 0 ? 1 : 0) : static_cast<uint8_t>(i * 7 + 3);
            ++i;
        }
    sim.UsbOpen(ProgrammerProductId);
    sim.ClearTrace();
}

TEST_F(ProgramCoreTest, EverySampleDeviceReadsConfirmsAndVerifiesFromTheCopyPage) {
    struct Case {
        const char* maker;
        const char* type;
        const char* file;
    } cases[] = {
        {"ATMEL", "AT89C51", "ATMEL\\AT89C51.INI"},
        {"General Type", "27C256", "GENERAL\\27C256.INI"},
        {"General Type", "29F040", "GENERAL\\29F040.INI"},
        {"General Type", "27C1024", "GENERAL\\27C1024.INI"},  // 16-bit
        {"VALEMICRO", "VM89E58", "VALEMICRO\\VM89E58.INI"},    // an extended area
        {"VALEMICRO", "VM89X52", "VALEMICRO\\VM89X52.INI"},    // option type 1
        {"VALEMICRO", "VM87X54", "VALEMICRO\\VM87X54.INI"},    // option type 2
        {"NORTHCHIP", "NC16L8", "NORTHCHIP\\NC16L8.INI"},      // a fuse map
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Select(c.maker, c.type);
        core->RestoreDevice(Stored(c.file));
        core->SizeBufferForRestore();
        const DeviceRecord& device = core->Device();
        if (device.HasFuseMap) core->InitFuseMapForDevice();
        InsertChipFor(sim, device);
        core->Page().SetChecked(CopyCheckBox::check_confirm, true);
        messages.Clear();
        sounds.calls.clear();
        field.texts.clear();

        core->ReadBacks().read_nClick();
        EXPECT_EQ(core->Page().Top(CopyStep::Read), StepImage::Pass);
        EXPECT_EQ(core->Page().Top(CopyStep::Confirm), StepImage::Pass);
        const std::vector<uint8_t>& chip = sim.Chip().main;
        if (device.HasFuseMap) {
            const std::span<const uint8_t> fuses = core->Fuses().GetFuseBuffer();
            EXPECT_TRUE(std::equal(fuses.begin(), fuses.end(), chip.begin()));
        } else {
            BufferLock lock = core->Buffer().GetBufferHandle();
            EXPECT_TRUE(std::equal(chip.begin(), chip.end(), lock.data()));
            const std::vector<uint8_t>& ext = sim.Chip().ext;
            EXPECT_TRUE(std::equal(ext.begin(), ext.end(), lock.data() + chip.size()));
        }
        EXPECT_FALSE(field.texts.empty());

        core->ReadBacks().verify_nClick();
        EXPECT_EQ(core->Page().Top(CopyStep::Verify), StepImage::Pass);
        core->ReadBacks().confirm_nClick();
        EXPECT_EQ(core->Page().Top(CopyStep::Confirm), StepImage::Pass);
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(std::count(sounds.calls.begin(), sounds.calls.end(), "error"), 0);
        EXPECT_TRUE(sim.ProtocolErrors().empty());
    }
}

TEST_F(ProgramCoreTest, TheRunHoldsTheProgramBusyAndOnlyStopActsMeanwhile) {
    core->RestoreDevice(Stored("ATMEL\\AT89C51.INI"));
    core->SizeBufferForRestore();
    InsertChipFor(sim, core->Device());
    for (CopyCheckBox box : {CopyCheckBox::CheckBox1, CopyCheckBox::CheckBox2,
                             CopyCheckBox::CheckBox3, CopyCheckBox::CheckBox4})
        core->Page().SetChecked(box, true);
    bool copyPageShown = false;
    core->Steps().ShowCopyPage = [&] { copyPageShown = true; };
    bool during = false;
    pump.onProcess = [&] {
        if (during || core->Frame().Run.RunActive != 1) return;
        during = true;
        EXPECT_TRUE(state.Busy.Busy());
        core->RunClick();     // no second run
        core->EditOkClick();  // no sum meanwhile
        core->StopClick();
    };
    core->RunClick();
    ASSERT_TRUE(during);
    EXPECT_FALSE(state.Busy.Busy());
    EXPECT_FALSE(copyPageShown);
    EXPECT_TRUE(field.texts.empty());
    // Stop came during the erase: it finished, nothing followed.
    ASSERT_EQ(sim.Executions().size(), 1u);
    EXPECT_EQ(sim.Executions().front().operation, OpErase);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"User Stop"});

    // Idle again: the Edit area's OK shows the Copy page and the device's sum.
    pump.onProcess = nullptr;
    core->EditOkClick();
    EXPECT_TRUE(copyPageShown);
    EXPECT_EQ(field.texts.size(), 1u);
    // And the next run runs.
    core->RunClick();
    EXPECT_EQ(sim.Executions().size(), 5u);
    EXPECT_EQ(core->Page().Status(), StatusLook::Passed);
}

TEST_F(ProgramCoreTest, AReadOfAnOptionTypeTwoChipBringsItsOptionsBackIntoTheStore) {
    Select("VALEMICRO", "VM87X54");
    core->RestoreDevice(Stored("VALEMICRO\\VM87X54.INI"));
    core->SizeBufferForRestore();
    InsertChipFor(sim, core->Device());
    // The chip's security level 2 (word 0) and a clock divider of 8 (word 3).
    sim.Chip().optionWords.fill(0);
    sim.Chip().optionWords[0] = 2;
    sim.Chip().optionWords[6] = 8;
    core->Page().SetChecked(CopyCheckBox::check_confirm, false);

    core->ReadBacks().read_nClick();
    EXPECT_EQ(core->Page().Top(CopyStep::Read), StepImage::Pass);
    EXPECT_EQ(core->Options().OptionWords[0], 2);
    EXPECT_EQ(core->Options().OptionWords[3], 8);
    const Profile store(dir.Path() + "temp.ini");
    EXPECT_EQ(store.ReadString("CurrentUserPageSetup", "Page0Com0Set", "<none>"), "2");
    EXPECT_EQ(store.ReadString("CurrentUserPageSetup", "Page0Com3Set", "<none>"), "8");
    EXPECT_EQ(core->Options().OptionValuesSaved, 1);
}

}  // namespace
}  // namespace burnmark::testing
