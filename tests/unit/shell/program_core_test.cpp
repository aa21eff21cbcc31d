// The program's core without a window: the start-up restore's work on the
// sample catalogue and the Copy page's Load and Save steps with their tails.
#include "shell/program_core.h"

#include <gtest/gtest.h>

#include <filesystem>
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

class ProgramCoreTest : public ::testing::Test {
protected:
    ProgramCoreTest() {
        fs::copy(BURNMARK_SAMPLE_DIR, dir.Path(), fs::copy_options::recursive);
        ApplyEntryRules(dir.Path());
        state.AppDir = dir.Path();
        core = std::make_unique<ProgramCore>(
            state, CorePorts{sim, messages, sounds, pump, progress, processes}, settings);
        core->Checksum().SetField(&field);
        core->Steps().SetLoadDialog(&loadDialog);
        core->Steps().SetSaveDialog(&saveDialog);
        core->Steps().SetFuseFileChooser(&fuseFiles);
        core->Steps().ShowLoadPath = [this](const std::string& path) { loadPath = path; };
    }

    std::string Stored(const std::string& relative) const {
        return dir.Path() + "INI\\" + relative;
    }
    void Select(const std::string& maker, const std::string& type) {
        Profile history(state.HistoryIniPath());
        history.WriteString("SelectDlg", "Manufacturer", maker);
        history.WriteString("SelectDlg", "TypeNum", type);
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
    ScriptedLoadDialog loadDialog;
    ScriptedSaveDialog saveDialog;
    ScriptedFuseFiles fuseFiles;
    std::string loadPath = "unchanged";
    std::unique_ptr<ProgramCore> core;
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
        core->Engine().Run.RunReady = 0;
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
        EXPECT_EQ(core->Engine().Run.RunReady, 1);
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
    ProgramCore quiet(state, CorePorts{sim, messages, sounds, pump, progress, processes},
                      settings);
    EXPECT_EQ(quiet.Sounds().SoundOn, 0);
    EXPECT_EQ(quiet.Sounds().SoundMode, 3);
}

TEST_F(ProgramCoreTest, ALoadShowsTheDeviceSumRedOnlyWhenItChanged) {
    core->RestoreDevice(Stored("ATMEL\\AT89C51.INI"));
    core->SizeBufferForRestore();
    const std::string file = dir.Write("data/four.bin", std::string(4, '\x01'));
    loadDialog.onRun = [&] {
        Profile history(state.HistoryIniPath());
        for (auto [k, v] : std::vector<std::pair<const char*, std::string>>{
                 {"Name", file}, {"SourceSAdd", "0"}, {"SourceEAdd", "3"}, {"Format", "3"},
                 {"DistSAdd", "0"}, {"UserFill", "255"}, {"UnuserFillCheck", "1"}, {"OK", "1"}})
            history.WriteString("LoadDlg", k, v);
    };
    // The 4 KB device: four bytes of 1 and 4092 of 0xFF.
    const std::string sum = ChecksumDisplay::Format(4 + 4092 * 0xFF);
    for (int load = 0; load < 2; ++load) {
        core->Steps().LoadStepClick();
        ASSERT_FALSE(field.texts.empty());
        EXPECT_EQ(field.texts.back(), sum);
    }
    EXPECT_EQ(field.highlights, (std::vector<bool>{true, false}));
    EXPECT_FALSE(state.Busy.Busy());
    EXPECT_EQ(loadDialog.runs, 2);
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
    // Without a map built for the device there is nothing to load into.
    fuseFiles.loadPath = dir.Write("in.jed", "\x02*QF2048*F0*L0 1111*\x03");
    core->Steps().LoadStepClick();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{" Insufficient memory! "});
    EXPECT_EQ(loadPath, "unchanged");

    messages.Clear();
    core->InitFuseMapForDevice();
    core->Steps().LoadStepClick();
    EXPECT_EQ(core->Fuses().FuseAt(0), 1);
    EXPECT_EQ(core->Fuses().FuseAt(4), 0);
    EXPECT_EQ(loadPath, fuseFiles.loadPath);
    ASSERT_FALSE(field.texts.empty());
    EXPECT_EQ(loadDialog.runs, 0);  // the data buffer's dialog is not used
}

// ---- The option pages --------------------------------------------------------------------

TEST_F(ProgramCoreTest, ProtectSendsTheStoredOptionsPackedTwice) {
    core->RestoreDevice(Stored("VALEMICRO\\VM87X54.INI"));
    core->SizeBufferForRestore();
    dir.Write("temp.ini",
              "[CurrentUserPageSetup]\r\nPage0Com0Set=2\r\nPage0Com1Set=1\r\nPage0Com2Set=0\r\n"
              "Page0Com3Set=8\r\nPage0Com4Set=165\r\nPage1Com1Set=70000\r\nPage1Com4Set=AB\r\n");
    core->Options().OptionValuesSaved = 1;
    core->Engine().secur_nClick();

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
                 {"ATMEL\\AT89C51.INI", OptionWindowChoice::Nothing}};
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

    const std::unique_ptr<OptionPages> pages = core->MakeOptionPages(true);
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
    const std::unique_ptr<OptionPages> pages = core->MakeOptionPages(true);
    ASSERT_TRUE(pages->OKBitBtnClick());
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{kHardwareMissingText}));
    EXPECT_TRUE(field.texts.empty());
    EXPECT_EQ(sounds.calls.size(), 1u);  // one failure sound
}

}  // namespace
}  // namespace burnmark::testing
