// The selection dialog's state and handlers on a copy of the sample
// catalogue: the start from the history, selection by list and by edit, the
// history box, the web button, and the OK and Cancel with what they write,
// load and send to the simulated programmer.
#include "catalogue/device_selection.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "link/programmer_requests.h"
#include "platform/profile.h"
#include "platform/settings_report.h"
#include "support/child_process.h"
#include "support/fake_checksum_field.h"
#include "support/fake_ports.h"
#include "support/simulated_programmer.h"
#include "support/temp_dir.h"

namespace burnmark::testing {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class RecordingOpener : public WebOpener {
public:
    bool OpenUrl(const std::string& address) override {
        opened.push_back(address);
        return works;
    }
    Names opened;
    bool works = true;
};

class RecordingView : public SelectionView {
public:
    void Changed() override { ++changes; }
    int changes = 0;
};

class DeviceSelectionTest : public ::testing::Test {
protected:
    DeviceSelectionTest() {
        fs::copy(BURNMARK_SAMPLE_DIR, dir.Path(), fs::copy_options::recursive);
        device.AppDir = dir.Path();
        device.HistoryIniPath = dir.Path() + "History_1.ini";
        buffer.SetChecksumView(&checksum);
        checksum.SetField(&field);
        selection.SendBufferToProgrammer = [this] {
            ++downloads;
            return downloadWorks;
        };
        selection.DeviceTaken = [this](bool previous) { taken.push_back(previous); };
        selection.SelectionCancelled = [this] { ++cancels; };
    }

    Profile History() const { return Profile(dir.Path() + "History_1.ini"); }
    std::string Ring() const { return dir.Read("SelIcHst.ini"); }
    std::string Stored(const std::string& file) const { return dir.Path() + "INI\\" + file; }

    // The operator picks the maker and the type in the lists.
    void Pick(const std::string& maker, const std::string& type) {
        const Names& makers = selection.Makers();
        const auto m = std::find(makers.begin(), makers.end(), maker);
        ASSERT_NE(m, makers.end()) << maker;
        selection.MaunListBoxClick(static_cast<int>(m - makers.begin()));
        const Names& types = selection.Types();
        const auto t = std::find(types.begin(), types.end(), type);
        ASSERT_NE(t, types.end()) << type;
        selection.NumListBoxClick(static_cast<int>(t - types.begin()));
    }
    OkEnd Choose(const std::string& maker, const std::string& type) {
        Pick(maker, type);
        return selection.OKBtnClick();
    }

    TempDir dir;
    DeviceRecord device;
    FakeMessages messages;
    FakeSounds sounds;
    FakeProgress progress;
    FakeFailDisplay fail;
    SimulatedProgrammer sim;
    SoundPlayer player{sounds, messages};
    FpgaImage fpga{messages, fail};
    BufferSizing sizing;
    DataBuffer buffer{messages, progress, dir.Path() + "History_1.ini"};
    ProgrammerLink link{sim, messages, player, fail, fpga};
    RecordingField field;
    ChecksumDisplay checksum;
    DeviceOptions options;
    BusyState busy;
    DeviceSelection selection{SelectionParts{device, messages, fpga, sizing, buffer, link, checksum,
                                             fail, options, busy}};
    int downloads = 0;
    bool downloadWorks = true;
    std::vector<bool> taken;
    int cancels = 0;
};

// ---- The start ---------------------------------------------------------------------------

TEST_F(DeviceSelectionTest, AFreshStartShowsGeneralTypeAndNoHistory) {
    RecordingView view;
    selection.SetView(&view);
    selection.FormCreate();
    EXPECT_EQ(view.changes, 1);  // one notice for the whole creation
    EXPECT_EQ(selection.Makers(),
              (Names{"ATMEL", "First Setup", "General Type", "NORTHCHIP", "VALEMICRO"}));
    EXPECT_EQ(selection.ManuEditText(), "General Type");
    EXPECT_EQ(selection.MakerIndex(), 2);
    EXPECT_EQ(selection.Types(), (Names{"27C1024", "27C256", "29F040"}));
    EXPECT_EQ(selection.TypeIndex(), 0);
    EXPECT_EQ(selection.IcTypeEditText(), "27C1024");
    EXPECT_EQ(selection.Info().PinLabel, "PIN : 40");
    EXPECT_EQ(selection.Info().SizeLabel, "SIZE : 64K x 16 ");
    EXPECT_EQ(selection.HistoryItems(), Names{"None"});
    EXPECT_EQ(selection.HistoryText(), "None");
    EXPECT_EQ(fs::path(selection.PicturePath()).filename(), "General Type.bmp");
    EXPECT_FALSE(selection.WebEnabled());
    EXPECT_EQ(selection.WebHint(), "None");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DeviceSelectionTest, TheLastEntryOfTheHistoryIsSelectedAgain) {
    struct Case {
        const char* last;
        const char* maker;
        const char* type;
    } cases[] = {
        {"VALEMICRO_IC_VM89X52", "VALEMICRO", "VM89X52"},
        // A type the maker no longer lists: its first type, and the edit says so.
        {"VALEMICRO_IC_VM99", "VALEMICRO", "VM87X54"},
        // A maker the catalogue no longer lists, or no entry: as a fresh ring.
        {"GONE_IC_X1", "General Type", "27C1024"},
        {"NULL", "General Type", "27C1024"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.last);
        dir.Write("SelIcHst.ini",
                  std::string("[HISTORY]\r\n1=VALEMICRO_IC_VM89X52\r\nLast=") + c.last + "\r\n");
        selection.FormCreate();
        EXPECT_EQ(selection.Manufacturer(), c.maker);
        EXPECT_EQ(selection.ManuEditText(), c.maker);
        EXPECT_EQ(selection.TypeNum(), c.type);
        EXPECT_EQ(selection.IcTypeEditText(), c.type);
        EXPECT_EQ(selection.HistoryText(), c.last);
        EXPECT_EQ(selection.HistoryItems(), Names{"VALEMICRO_IC_VM89X52"});
    }
}

TEST_F(DeviceSelectionTest, ACatalogueWithoutTheStartMakerSelectsNothing) {
    selection.FormCreate();
    Pick("ATMEL", "AT89C51");
    dir.Write("Select.ini",
              "[ITEM]\r\nValue=1\r\n0001=ATMEL\r\n[ATMEL]\r\nValue=1\r\n"
              "0001=AT89C51\r\nAT89C51=ATMEL\\AT89C51.INI\r\n");
    selection.FormCreate();
    EXPECT_EQ(selection.Makers(), Names{"ATMEL"});
    EXPECT_EQ(selection.MakerIndex(), -1);
    EXPECT_EQ(selection.ManuEditText(), "");
    EXPECT_TRUE(selection.Types().empty());
    EXPECT_EQ(selection.IcTypeEditText(), "");
    EXPECT_EQ(selection.OKBtnClick(), OkEnd::NoType);
}

TEST_F(DeviceSelectionTest, AShowingReadsTheCatalogueOnce) {
    History().WriteString("SelectDlg", "Type", "2");
    selection.BeginShowing();
    selection.ManuEditChange("VALEMICRO", EditSource::Program);
    const Names mpu = {"VM87X54", "VM89E58", "VM89X52"};
    EXPECT_EQ(selection.Types(), mpu);
    // Changed while the dialog shows: a type added, another no longer MPU.
    std::string select = dir.Read("Select.ini");
    select.replace(select.find("[VALEMICRO]\r\nValue=3"), 20,
                   "[VALEMICRO]\r\nValue=4\r\n0004=VMNEW\r\nVMNEW=VALEMICRO\\VM89X52.INI");
    dir.Write("Select.ini", select);
    std::string device = dir.Read("INI/VALEMICRO/VM89E58.INI");
    device.replace(device.find("Type=MPU"), 8, "Type=PLD");
    dir.Write("INI/VALEMICRO/VM89E58.INI", device);
    selection.ManuEditChange("ATMEL", EditSource::Program);
    selection.ManuEditChange("VALEMICRO", EditSource::Program);
    EXPECT_EQ(selection.Types(), mpu);
    // The next showing reads them.
    selection.EndShowing();
    selection.BeginShowing();
    selection.ManuEditChange("ATMEL", EditSource::Program);
    selection.ManuEditChange("VALEMICRO", EditSource::Program);
    EXPECT_EQ(selection.Types(), (Names{"VM87X54", "VM89X52", "VMNEW"}));
}

TEST_F(DeviceSelectionTest, TheTotalOfADamagedCatalogueIsCountedNotListed) {
    // 65,535 makers "0" (the keys are missing), whose one section claims
    // 65,535 types of which one is named: the total is counted in the time
    // the file takes to read, not listed maker by maker.
    dir.Write("Select.ini",
              "[ITEM]\r\nValue=FFFF\r\n[0]\r\nValue=FFFF\r\n0001=T\r\nT=ATMEL\\AT89C51.INI\r\n");
    selection.FormCreate();
    EXPECT_EQ(selection.Makers().size(), 0xFFFFu);
    EXPECT_EQ(selection.CountAllTypes(), 0xFFFFL * 0xFFFF);
    selection.TypeGroupClick(2);  // only T's device file is of a category
    EXPECT_EQ(selection.CountAllTypes(), 0xFFFFL);
}

TEST_F(DeviceSelectionTest, TheFilterComesFromTheSettings) {
    struct Case {
        const char* type;
        const char* maker;
        Names types;
    } cases[] = {
        {"1", "NORTHCHIP", {"NC16L8"}},
        {"1", "VALEMICRO", {}},
        {"2", "VALEMICRO", {"VM87X54", "VM89E58", "VM89X52"}},
        {"7", "General Type", {"27C1024", "27C256", "29F040"}},  // out of range: all
    };
    for (const Case& c : cases) {
        History().WriteString("SelectDlg", "Type", c.type);
        selection.FormCreate();
        selection.ManuEditChange(c.maker, EditSource::Program);
        EXPECT_EQ(selection.Types(), c.types) << c.type << " " << c.maker;
    }
    // A history entry sets the filter back to all.
    dir.Write("SelIcHst.ini",
              "[HISTORY]\r\n1=VALEMICRO_IC_VM89E58\r\nLast=VALEMICRO_IC_VM89E58\r\n");
    History().WriteString("SelectDlg", "Type", "1");
    selection.FormCreate();
    selection.HistCBoxChange("VALEMICRO_IC_VM89E58");
    EXPECT_EQ(selection.Filter(), 0);
    EXPECT_EQ(selection.TypeNum(), "VM89E58");
    EXPECT_EQ(selection.Types().size(), 3u);
}

// ---- Selecting ----------------------------------------------------------------------------

TEST_F(DeviceSelectionTest, TypingSelectsAndLeavingTheEditShowsTheSelection) {
    selection.FormCreate();
    struct Step {
        const char* typed;
        const char* type;  // selected afterwards
    } steps[] = {
        {"27C2", "27C256"}, {"27c25", "27C256"}, {"29", "29F040"}, {"x", "29F040"}, {"", "29F040"},
    };
    for (const Step& s : steps) {
        selection.IcTypeEditChange(s.typed, EditSource::Operator);
        EXPECT_EQ(selection.TypeNum(), s.type) << s.typed;
        EXPECT_EQ(selection.IcTypeEditText(), s.typed);  // what the operator typed stays
    }
    selection.IcTypeEditExit();
    EXPECT_EQ(selection.IcTypeEditText(), "29F040");
    EXPECT_EQ(selection.Info().SizeLabel, "SIZE : 512K x 8 ");

    selection.ManuEditChange("val", EditSource::Operator);
    EXPECT_EQ(selection.Manufacturer(), "VALEMICRO");
    EXPECT_EQ(selection.TypeNum(), "VM87X54");
    EXPECT_EQ(selection.IcTypeEditText(), "VM87X54");
    EXPECT_TRUE(selection.WebEnabled());
    EXPECT_EQ(selection.WebHint(), "VALEMICRO.url");
    EXPECT_EQ(fs::path(selection.PicturePath()).filename(), "VALEMICRO.bmp");
    selection.ManuEditChange("valx", EditSource::Operator);
    EXPECT_EQ(selection.Manufacturer(), "VALEMICRO");
    selection.ManuEditExit();
    EXPECT_EQ(selection.ManuEditText(), "VALEMICRO");

    // Set by the program, an edit never holds a text that selected nothing.
    selection.IcTypeEditChange("NOPE", EditSource::Program);
    EXPECT_EQ(selection.IcTypeEditText(), "VM87X54");
}

TEST_F(DeviceSelectionTest, AMakerWithoutTypesSelectsNoneAndOkDoesNothing) {
    std::string select = dir.Read("Select.ini");
    select.replace(select.find("Value=5"), 7, "Value=6\r\n0006=EMPTYCO");
    dir.Write("Select.ini", select + "\r\n[EMPTYCO]\r\nValue=0\r\n");
    selection.FormCreate();
    const std::string history = dir.Read("History_1.ini");

    selection.ManuEditChange("EMPTYCO", EditSource::Program);
    EXPECT_TRUE(selection.Types().empty());
    EXPECT_EQ(selection.TypeIndex(), -1);
    EXPECT_EQ(selection.TypeNum(), "");
    EXPECT_EQ(selection.IcTypeEditText(), "");
    EXPECT_EQ(selection.Info(), DeviceInfoTexts{});
    EXPECT_EQ(selection.OKBtnClick(), OkEnd::NoType);
    selection.NumListBoxClick(0);  // nothing to click on
    EXPECT_EQ(selection.OKBtnClick(), OkEnd::NoType);
    EXPECT_EQ(dir.Read("History_1.ini"), history);
    EXPECT_FALSE(fs::exists(dir.Path() + "SelIcHst.ini"));
    EXPECT_TRUE(taken.empty());
    EXPECT_TRUE(sim.Trace().empty());

    // An emptied type edit is refused with its message.
    selection.ManuEditChange("ATMEL", EditSource::Program);
    selection.IcTypeEditChange("", EditSource::Operator);
    EXPECT_EQ(selection.OKBtnClick(), OkEnd::NoTypeText);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "You have not choice any Number of IC");
    EXPECT_EQ(messages.shown[0].title, "ERROR");
}

TEST_F(DeviceSelectionTest, TheHistoryBoxSelectsOnlyItsOwnEntries) {
    dir.Write(
        "SelIcHst.ini",
        "[HISTORY]\r\n1=NORTHCHIP_IC_NC16L8\r\n2=ATMEL_IC_AT89C51\r\nLast=ATMEL_IC_AT89C51\r\n");
    selection.FormCreate();
    EXPECT_EQ(selection.HistoryItems(), (Names{"NORTHCHIP_IC_NC16L8", "ATMEL_IC_AT89C51"}));
    selection.HistCBoxChange("NORTHCHIP_IC_NC16L8");
    EXPECT_EQ(selection.Manufacturer(), "NORTHCHIP");
    EXPECT_EQ(selection.TypeNum(), "NC16L8");
    EXPECT_EQ(selection.Info().SizeLabel, "FUSE : 2048  ");
    // A text that is no item goes back to the first item and selects nothing.
    selection.HistCBoxChange("VALEMICRO_IC_VM89X52");
    EXPECT_EQ(selection.HistoryText(), "NORTHCHIP_IC_NC16L8");
    EXPECT_EQ(selection.Manufacturer(), "NORTHCHIP");

    // Without a last entry the box offers "None", which names no device.
    fs::remove(dir.Path() + "SelIcHst.ini");
    selection.FillHistoryList();
    selection.HistCBoxChange("None");
    EXPECT_EQ(selection.Manufacturer(), "NORTHCHIP");
    // A ring whose slots are all empty: no item to go back to.
    dir.Write("SelIcHst.ini", "[HISTORY]\r\nLast=A_IC_B\r\n");
    selection.FillHistoryList();
    EXPECT_TRUE(selection.HistoryItems().empty());
    selection.HistCBoxChange("X");
    EXPECT_EQ(selection.HistoryText(), "A_IC_B");
}

TEST_F(DeviceSelectionTest, TheWebButtonOpensTheMakersPage) {
    selection.FormCreate();
    RecordingOpener opener;
    selection.ManuEditChange("ATMEL", EditSource::Program);
    selection.ConnetWEBBitBtnClick(opener);
    selection.ManuEditChange("NORTHCHIP", EditSource::Program);
    selection.ConnetWEBBitBtnClick(opener);
    EXPECT_EQ(opener.opened,
              (Names{"https://atmel.example.com/", "https://northchip.example.com/logic"}));
    EXPECT_TRUE(messages.shown.empty());

    opener.works = false;
    selection.ConnetWEBBitBtnClick(opener);
    EXPECT_EQ(messages.Texts(), Names{"Could not create process"});

    messages.Clear();
    selection.ManuEditChange("General Type", EditSource::Program);
    selection.ConnetWEBBitBtnClick(opener);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Not found any WEB name in URL Listing File.");
    EXPECT_EQ(messages.shown[0].title, "Connect to WEB");
    EXPECT_EQ(opener.opened.size(), 3u);
}

// ---- OK and Cancel ----------------------------------------------------------------------

TEST_F(DeviceSelectionTest, OkWritesTheChoiceAndCancelOnlyItsResult) {
    selection.FormCreate();
    options.OptionValuesSaved = 1;
    ASSERT_EQ(Choose("ATMEL", "AT89C51"), OkEnd::Accepted);
    const Profile history = History();
    EXPECT_EQ(history.ReadString("SelectDlg", "Manufacturer", ""), "ATMEL");
    EXPECT_EQ(history.ReadString("SelectDlg", "TypeNum", ""), "AT89C51");
    EXPECT_EQ(history.ReadString("SelectDlg", "IcFileName", ""), Stored("ATMEL\\AT89C51.INI"));
    EXPECT_EQ(history.ReadString("SelectDlg", "OK", ""), "1");
    EXPECT_EQ(history.ReadString("SelectDlg", "ISPmode", ""), "0");
    EXPECT_EQ(Profile(dir.Path() + "SelIcHst.ini").ReadString("HISTORY", "Last", ""),
              "ATMEL_IC_AT89C51");
    EXPECT_EQ(selection.HistoryItems(), Names{"ATMEL_IC_AT89C51"});
    EXPECT_EQ(device.Manufacturer, "ATMEL");
    EXPECT_EQ(device.TypeNum, "AT89C51");
    EXPECT_EQ(device.LastTypeNum, "AT89C51");
    EXPECT_EQ(device.Name, "AT89C51");
    EXPECT_TRUE(device.DeviceValid);
    EXPECT_EQ(device.Cancelled, 0u);
    EXPECT_EQ(options.OptionValuesSaved, 0);
    EXPECT_EQ(sizing.BufferSize, 0x10000u);
    EXPECT_EQ(buffer.GetBufferSize(), 0x10000u + DataBuffer::kLengthSlack);

    // Maker and type together say whether the device is new.
    struct Next {
        const char* maker;
        const char* type;
        bool changed;
    } next[] = {
        {"ATMEL", "AT89C51", false},
        {"General Type", "27C256", true},
        {"General Type", "27C256", false},
        {"VALEMICRO", "VM89E58", true},
    };
    for (const Next& n : next) {
        ASSERT_EQ(Choose(n.maker, n.type), OkEnd::Accepted) << n.type;
        EXPECT_EQ(device.TypeChanged, n.changed) << n.type;
    }
    // Each OK hands on what TypeChanged held before it: the first start's
    // false, then the values above.
    EXPECT_EQ(taken, (std::vector<bool>{false, true, false, true, false}));

    const std::string ring = Ring();
    ASSERT_TRUE(selection.CancelBtnClick());
    EXPECT_FALSE(device.TypeChanged);
    EXPECT_EQ(device.Cancelled, 1u);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(History().ReadString("SelectDlg", "OK", ""), "0");
    EXPECT_EQ(History().ReadString("SelectDlg", "TypeNum", ""), "VM89E58");
    EXPECT_EQ(Ring(), ring);
}

TEST_F(DeviceSelectionTest, AChoiceThatCannotBeSavedIsTakenAndSaidOnce) {
    selection.FormCreate();
    ASSERT_EQ(Choose("ATMEL", "AT89C51"), OkEnd::Accepted);
    const std::string settings = dir.Path() + "History_1.ini";
    const std::string ring = dir.Path() + "SelIcHst.ini";
    struct Case {
        const char* maker;
        const char* type;
        Names readOnly;
    } cases[] = {
        {"General Type", "27C256", {settings}},
        {"VALEMICRO", "VM89E58", {ring}},
        {"ATMEL", "AT89C51", {settings, ring}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Names before;
        for (const std::string& file : c.readOnly) {
            before.push_back(dir.Read(fs::path(file).filename().string()));
            ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
        }
        messages.Clear();
        taken.clear();
        EXPECT_EQ(Choose(c.maker, c.type), OkEnd::Accepted);
        for (const std::string& file : c.readOnly) ::chmod(file.c_str(), 0644);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, SettingsWriteFailText(c.readOnly));
        EXPECT_EQ(messages.shown[0].title, "Settings");
        // The device is the one chosen for this run; the files it could not
        // write are as they were.
        EXPECT_EQ(device.Manufacturer, c.maker);
        EXPECT_EQ(device.TypeNum, c.type);
        EXPECT_EQ(taken.size(), 1u);
        for (std::size_t i = 0; i < c.readOnly.size(); ++i)
            EXPECT_EQ(dir.Read(fs::path(c.readOnly[i]).filename().string()), before[i]);
        // The box offers it the next time, whether or not the ring took it.
        const std::string entry = std::string(c.maker) + "_IC_" + c.type;
        EXPECT_EQ(selection.HistoryText(), entry);
        EXPECT_NE(
            std::find(selection.HistoryItems().begin(), selection.HistoryItems().end(), entry),
            selection.HistoryItems().end());
    }

    ASSERT_EQ(::chmod(settings.c_str(), 0444), 0);
    messages.Clear();
    EXPECT_TRUE(selection.CancelBtnClick());
    ::chmod(settings.c_str(), 0644);
    EXPECT_EQ(device.Cancelled, 1u);
    EXPECT_EQ(messages.Texts(), Names{SettingsWriteFailText({settings})});
    EXPECT_EQ(History().ReadString("SelectDlg", "OK", ""), "1");
}

TEST_F(DeviceSelectionTest, AFullDiskLeavesTheStoredDeviceWhole) {
    selection.FormCreate();
    ASSERT_EQ(Choose("ATMEL", "AT89C51"), OkEnd::Accepted);
    const std::string before = dir.Read("History_1.ini");
    // Room for the longer maker, but not for the longer path as well.
    const std::string stored = WithFileSizeLimit(before.size() + 4, [&] {
        if (Choose("VALEMICRO", "VM89E58") != OkEnd::Accepted) return std::string("refused");
        const Profile history = History();
        std::string answer;
        for (const char* key : {"Manufacturer", "TypeNum", "IcFileName"})
            answer += history.ReadString("SelectDlg", key, "") + "|";
        return answer + device.TypeNum + "|" + std::to_string(messages.shown.size());
    });
    EXPECT_EQ(stored, "ATMEL|AT89C51|" + Stored("ATMEL\\AT89C51.INI") + "|VM89E58|1");
    EXPECT_EQ(dir.Read("History_1.ini"), before);
}

TEST_F(DeviceSelectionTest, ADeviceThatDoesNotLoadLeavesTheDeviceInForceWhole) {
    selection.FormCreate();
    ASSERT_EQ(Choose("ATMEL", "AT89C51"), OkEnd::Accepted);
    const DeviceRecord before = device;
    const std::string history = dir.Read("History_1.ini");
    const std::string ring = Ring();
    field.texts.clear();
    sim.ClearTrace();
    taken.clear();

    // A definition that stops at its pulse units, one whose supply pin lies
    // outside the chip, and one whose file is gone.
    std::string bad = dir.Read("INI/GENERAL/27C256.INI");
    bad.replace(bad.find("program_pulse_unit=uS"), 21, "program_pulse_unit=us");
    dir.Write("INI/GENERAL/27C256.INI", bad);
    std::string offChip = dir.Read("INI/GENERAL/27C1024.INI");
    offChip.replace(offChip.find("Vcc_pin1=40"), 11, "Vcc_pin1=41");
    dir.Write("INI/GENERAL/27C1024.INI", offChip);
    fs::remove(dir.Path() + "INI/GENERAL/29F040.INI");
    struct Case {
        const char* type;
        const char* message;
    } cases[] = {
        {"27C256", "INI:Program_pulse_unit Error !"},
        {"27C1024", "INI:Vcc_pin1 Error ! Pin 41 is not a pin of a 40-pin device."},
        {"29F040", "Ini File missing !!"},
    };
    for (const Case& c : cases) {
        messages.Clear();
        EXPECT_EQ(Choose("General Type", c.type), OkEnd::LoadFailed) << c.type;
        EXPECT_EQ(messages.Texts(), Names{c.message});
        EXPECT_EQ(device.Manufacturer, "ATMEL");
        EXPECT_EQ(device.TypeNum, "AT89C51");
        EXPECT_EQ(device.IcFileName, before.IcFileName);
        EXPECT_EQ(device.Name, "AT89C51");
        EXPECT_TRUE(device.DeviceValid);
        EXPECT_TRUE(std::equal(device.DeviceParamBlock.Area().begin(),
                               device.DeviceParamBlock.Area().end(),
                               before.DeviceParamBlock.Area().begin()));
    }
    EXPECT_EQ(dir.Read("History_1.ini"), history);
    EXPECT_EQ(Ring(), ring);
    EXPECT_TRUE(taken.empty());
    EXPECT_TRUE(sim.Trace().empty());
    EXPECT_TRUE(field.texts.empty());
}

TEST_F(DeviceSelectionTest, OkSetsTheProgrammerUpAndShowsTheBufferSumOnce) {
    selection.FormCreate();
    ASSERT_EQ(Choose("ATMEL", "AT89C51"), OkEnd::Accepted);
    // The parameter block and the FPGA image; nothing is executed.
    EXPECT_EQ(sim.ParamWord(param::max_address_Low), 0x0FFF);
    EXPECT_EQ(sim.FpgaPagesWritten(), 0xFF);
    EXPECT_TRUE(sim.Executions().empty());
    EXPECT_EQ(downloads, 0);
    EXPECT_TRUE(messages.shown.empty());
    // 4 KB of the buffer's 0xFF: red, as it differs from the field's 0.
    EXPECT_EQ(field.texts, Names{"000FF000"});
    EXPECT_EQ(field.highlights, std::vector<bool>{true});
    ASSERT_EQ(Choose("ATMEL", "AT89C51"), OkEnd::Accepted);
    EXPECT_EQ(field.highlights, (std::vector<bool>{true, false}));
    EXPECT_FALSE(busy.Busy());
}

TEST_F(DeviceSelectionTest, OptionTypeOneShowsTheProgrammersChecksum) {
    selection.FormCreate();
    sim.OverrideStatus(OpExtractOptions, {0, 0, 0x34, 0x12});
    ASSERT_EQ(Choose("VALEMICRO", "VM89X52"), OkEnd::Accepted);
    EXPECT_EQ(downloads, 1);
    ASSERT_EQ(sim.Executions().size(), 1u);
    EXPECT_EQ(sim.Executions()[0].operation, OpExtractOptions);
    EXPECT_EQ(field.texts, Names{"00001234"});
    EXPECT_EQ(field.highlights, std::vector<bool>{true});
    EXPECT_EQ(fail.count, 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DeviceSelectionTest, OptionTypeOneStopsAtTheFirstFailingStep) {
    struct Fault {
        SimCallKind kind;
        int request;
    };
    using Status = std::array<uint8_t, 16>;
    struct Case {
        const char* what;
        std::optional<Fault> fault;
        bool downloadWorks;
        std::optional<Status> status;
        int downloads, executions, fails;
        Names texts;
    } cases[] = {
        // A programmer that answers but fails its set-up gets no download.
        {"set-up", Fault{SimCallKind::BulkOut, -1}, true, std::nullopt, 0, 0, 1, {}},
        {"download", std::nullopt, false, std::nullopt, 1, 0, 0, {}},
        {"execute",
         Fault{SimCallKind::VendorOut, 0x49},
         true,
         std::nullopt,
         1,
         0,
         1,
         {"Error 49! Command Fail"}},
        {"status request", Fault{SimCallKind::VendorIn, 0x42}, true, std::nullopt, 1, 1, 0, {}},
        {"status bytes", std::nullopt, true, Status{1, 0, 0x34, 0x12}, 1, 1, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        field.texts.clear();
        messages.Clear();
        fail.count = 0;
        downloads = 0;
        sim.ClearFaults();
        downloadWorks = c.downloadWorks;
        if (c.fault) sim.InjectFault(c.fault->kind, 1, SimFault::Fail, c.fault->request);
        if (c.status) sim.OverrideStatus(OpExtractOptions, *c.status);
        const std::size_t executionsBefore = sim.Executions().size();
        selection.FormCreate();
        ASSERT_EQ(Choose("VALEMICRO", "VM89X52"), OkEnd::Accepted);
        EXPECT_EQ(downloads, c.downloads);
        EXPECT_EQ(sim.Executions().size() - executionsBefore, std::size_t(c.executions));
        EXPECT_EQ(fail.count, c.fails);
        EXPECT_EQ(messages.Texts(), c.texts);
        EXPECT_TRUE(field.texts.empty());  // the checksum field keeps its value
    }
}

TEST_F(DeviceSelectionTest, AMissingFpgaFileSendsNothingButTheBufferSumIsShown) {
    struct Case {
        const char* maker;
        const char* type;
        const char* image;
        Names sum;  // what the checksum field shows
    } cases[] = {
        // The programmer's checksum needs the programmer: none.
        {"VALEMICRO", "VM89X52", "MCUOPT.BIN", {}},
        // The buffer's sum over the device's 32 KB is the program's own.
        {"General Type", "27C256", "MEM8.BIN", {ChecksumDisplay::Format(0x8000 * 0x5A)}},
    };
    selection.FormCreate();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        ASSERT_EQ(Choose("ATMEL", "AT89C51"), OkEnd::Accepted);  // its image is in place
        sim.ClearTrace();
        field.texts.clear();
        messages.Clear();
        downloads = 0;
        {
            BufferLock lock = buffer.GetBufferHandle();
            std::fill(lock.data(), lock.data() + lock.size(), 0x5A);
        }
        const std::string image = dir.Path() + "FPGA/" + c.image;
        const std::string kept = dir.Read(std::string("FPGA/") + c.image);
        fs::remove(image);
        ASSERT_EQ(Choose(c.maker, c.type), OkEnd::Accepted);
        EXPECT_EQ(messages.Texts(), Names{std::string("No found ") + c.image});
        // The device is chosen, but neither the set-up (with the image of the
        // device before) nor the download and execute go out.
        EXPECT_EQ(device.TypeNum, c.type);
        EXPECT_NE(device.FpgaFileMissing, 0);
        EXPECT_EQ(History().ReadString("SelectDlg", "TypeNum", ""), c.type);
        EXPECT_TRUE(sim.Trace().empty());
        EXPECT_EQ(downloads, 0);
        EXPECT_EQ(field.texts, c.sum);
        dir.Write(std::string("FPGA/") + c.image, kept);
    }
}

TEST_F(DeviceSelectionTest, EveryOkIsTheDialogsAnswerEvenWhenItRefuses) {
    std::string bad = dir.Read("INI/GENERAL/27C256.INI");
    bad.replace(bad.find("program_pulse_unit=uS"), 21, "program_pulse_unit=us");
    dir.Write("INI/GENERAL/27C256.INI", bad);
    selection.FormCreate();
    struct Case {
        const char* what;
        OkEnd end;
        std::function<void()> prepare;
    } cases[] = {
        {"no type", OkEnd::NoType, [&] { selection.TypeGroupClick(1); }},  // General Type: none
        {"empty edit", OkEnd::NoTypeText,
         [&] { selection.IcTypeEditChange("", EditSource::Operator); }},
        {"definition refused", OkEnd::LoadFailed, [&] { Pick("General Type", "27C256"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        selection.TypeGroupClick(0);
        selection.ManuEditChange("General Type", EditSource::Program);
        ASSERT_TRUE(selection.CancelBtnClick());
        options.OptionValuesSaved = 1;
        c.prepare();
        EXPECT_EQ(selection.OKBtnClick(), c.end);
        EXPECT_EQ(device.Cancelled, 0u);
        EXPECT_EQ(options.OptionValuesSaved, 0);
    }
}

TEST_F(DeviceSelectionTest, WithoutAProgrammerOnlyOptionTypeOneSaysSo) {
    sim.ClearSlots();
    selection.FormCreate();
    ASSERT_EQ(Choose("ATMEL", "AT89C51"), OkEnd::Accepted);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(fail.count, 0);
    EXPECT_EQ(field.texts, Names{"000FF000"});

    field.texts.clear();
    ASSERT_EQ(Choose("VALEMICRO", "VM89X52"), OkEnd::Accepted);
    EXPECT_EQ(messages.Texts(), Names{link.HardwareMissingMessage});
    EXPECT_EQ(fail.count, 1);
    EXPECT_EQ(downloads, 0);
    EXPECT_TRUE(field.texts.empty());
}

TEST_F(DeviceSelectionTest, NothingAnswersWhileAnOkIsAtWork) {
    selection.FormCreate();
    Pick("ATMEL", "AT89C51");
    BusyScope scope(busy);
    EXPECT_EQ(selection.OKBtnClick(), OkEnd::Ignored);
    EXPECT_FALSE(selection.CancelBtnClick());
    EXPECT_EQ(device.Cancelled, 0u);
    EXPECT_EQ(cancels, 0);
    EXPECT_TRUE(sim.Trace().empty());
}

}  // namespace
}  // namespace burnmark::testing
