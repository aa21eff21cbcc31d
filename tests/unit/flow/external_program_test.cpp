// The hand-off to a device's external program after a load: DDEFile.ini and
// the start of the program in the ExtPro folder, through a fake process port.
#include "flow/external_program.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "unit/flow/flow_fixture.h"

namespace burnmark::testing {
namespace {

struct Shown {
    std::string text;
    std::string title;
    bool operator==(const Shown&) const = default;
};

struct ExtCase {
    const char* name;
    std::string extendPro;  // the device file's [ExtendPro] section
    bool startWorks;
    std::vector<Shown> shown;
    bool started;
};

void PrintTo(const ExtCase& c, std::ostream* os) { *os << c.name; }

const Shown kNameError{"[ExtendPro]-ExtendProName item error", "INI file error"};
const Shown kStartFail{"Run external plugin fail !", "ERROR"};

class ExternalProgram : public FlowTest, public ::testing::WithParamInterface<ExtCase> {
protected:
    void SetUp() override {
        WriteSection("System", {{"Path", dir.Path() + "ext"}});
        std::filesystem::create_directories(dir.Path() + "ext/ExtPro");
    }
    std::string DeviceFile(const std::string& extendPro) {
        // Stored with backslashes, as the selection dialog writes it.
        dir.Write("INI/MAKER/DEV.INI", "[DE_48ExternValue]\r\nName=X\r\n" + extendPro);
        const std::string stored = dir.Path() + "INI\\MAKER\\DEV.INI";
        WriteSection("SelectDlg", {{"IcFileName", stored}});
        device.IcFileName = stored;
        return stored;
    }
    std::string Dde(const std::string& section, const std::string& key) const {
        return Profile(dir.Path() + "ext/DDEFile.ini").ReadString(section, key, "<missing>");
    }
};

TEST_P(ExternalProgram, AfterALoadThatLanded) {
    const ExtCase& c = GetParam();
    DeviceFile(c.extendPro);
    processes.startWorks = c.startWorks;
    HandBack(WriteData("f.bin", "ABCD"), {{"Format", "3"}});

    LoadFlow flow(Context());
    // The load stands whatever the external program does.
    EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::Loaded);
    EXPECT_EQ(Bytes(0, 4), (std::vector<uint8_t>{'A', 'B', 'C', 'D'}));
    std::vector<Shown> shown;
    for (const auto& m : messages.shown) shown.push_back({m.text, m.title});
    EXPECT_EQ(shown, c.shown);
    if (c.started) {
        EXPECT_EQ(processes.started, (std::vector<std::string>{dir.Path() + "ext/ExtPro/tool"}));
    } else {
        EXPECT_TRUE(processes.started.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExternalProgram,
    ::testing::Values(
        ExtCase{
            "Started", "[ExtendPro]\r\nHaveExtendPro=1\r\nExtendProName=tool\r\n", true, {}, true},
        // Any flag but 0 says the device has one.
        ExtCase{"FlagNotOne",
                "[ExtendPro]\r\nHaveExtendPro=2\r\nExtendProName=tool\r\n",
                true,
                {},
                true},
        ExtCase{"NoExternalProgram",
                "[ExtendPro]\r\nHaveExtendPro=0\r\nExtendProName=tool\r\n",
                true,
                {},
                false},
        ExtCase{"NameMissing", "[ExtendPro]\r\nHaveExtendPro=1\r\n", true, {kNameError}, false},
        ExtCase{"NameEmpty",
                "[ExtendPro]\r\nHaveExtendPro=1\r\nExtendProName=\r\n",
                true,
                {kNameError},
                false},
        ExtCase{"NameLeavingTheFolder",
                "[ExtendPro]\r\nHaveExtendPro=1\r\nExtendProName=..\\..\\bin\\sh\r\n",
                true,
                {kNameError},
                false},
        ExtCase{"NameWithASlash",
                "[ExtendPro]\r\nHaveExtendPro=1\r\nExtendProName=/bin/sh\r\n",
                true,
                {kNameError},
                false},
        ExtCase{"NameParentFolder",
                "[ExtendPro]\r\nHaveExtendPro=1\r\nExtendProName=..\r\n",
                true,
                {kNameError},
                false},
        ExtCase{"StartFails",
                "[ExtendPro]\r\nHaveExtendPro=1\r\nExtendProName=tool\r\n",
                false,
                {kStartFail},
                true}),
    [](const ::testing::TestParamInfo<ExtCase>& info) { return info.param.name; });

TEST_F(ExternalProgram, WritesTheHandOffFileBeforeStarting) {
    DeviceFile("[ExtendPro]\r\nHaveExtendPro=1\r\nExtendProName=tool\r\n");
    std::string actionAtStart;
    processes.onStart = [&] { actionAtStart = Dde("Action", "ActionFlag"); };

    // A window id with the top bit set: written unsigned, all 64 bits.
    constexpr uint64_t kWindowId = 0x8000000100000017ull;
    EXPECT_EQ(RunExtendPro(kActionAfterLoad, device.IcFileName, History(), kWindowId, processes,
                           messages),
              kExtendProStarted);
    EXPECT_EQ(actionAtStart, "4");
    // The program is native: it gets the real path of the device file.
    EXPECT_EQ(Dde("Action", "ININame"), dir.Path() + "INI/MAKER/DEV.INI");
    EXPECT_EQ(Dde("MainSys", "MainHandle"), "9223372041149743127");
}

// The program reads its work from DDEFile.ini: without the file written it
// would act on whatever an earlier hand-off left there.
TEST_F(ExternalProgram, WithoutAFolderOrAHandOffFileNothingIsStarted) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
    } cases[] = {
        {"no folder", [&] { Profile(History()).DeleteKey("System", "Path"); }},
        {"the hand-off file cannot be written",
         [&] { std::filesystem::create_directories(dir.Path() + "ext/DDEFile.ini"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        messages.Clear();
        c.arrange();
        DeviceFile("[ExtendPro]\r\nHaveExtendPro=1\r\nExtendProName=tool\r\n");
        EXPECT_EQ(
            RunExtendPro(kActionAfterLoad, device.IcFileName, History(), 1, processes, messages),
            kExtendProFailed);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, "Run external plugin fail !");
        EXPECT_EQ(messages.shown[0].title, "ERROR");
        EXPECT_TRUE(processes.started.empty());
    }
}

// The selection's choice holds for the run even when History_1.ini could not
// take it: the program is the device in force's, not the stored device's.
TEST_F(ExternalProgram, TheDeviceInForceNamesTheProgram) {
    struct Case {
        const char* what;
        std::string inForce, stored;
        bool started;
    } cases[] = {
        {"in force has one", "[ExtendPro]\r\nHaveExtendPro=1\r\nExtendProName=tool\r\n", "", true},
        {"stored has one", "", "[ExtendPro]\r\nHaveExtendPro=1\r\nExtendProName=tool\r\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        processes.started.clear();
        dir.Write("INI/MAKER/OLD.INI", "[DE_48ExternValue]\r\nName=OLD\r\n" + c.stored);
        DeviceFile(c.inForce);
        WriteSection("SelectDlg", {{"IcFileName", dir.Path() + "INI\\MAKER\\OLD.INI"}});
        HandBack(WriteData("f.bin", "ABCD"), {{"Format", "3"}});
        LoadFlow flow(Context());
        EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::Loaded);
        EXPECT_EQ(processes.started.size(), c.started ? 1u : 0u);
    }
}

TEST_F(ExternalProgram, NotStartedAfterAFailedLoad) {
    DeviceFile("[ExtendPro]\r\nHaveExtendPro=1\r\nExtendProName=tool\r\n");
    HandBack(WriteData("f.bin", "ABCD"), {{"Format", "4"}});
    LoadFlow flow(Context());
    EXPECT_EQ(flow.RunLoad(HandedBack()), LoadEnd::LoadFailed);
    EXPECT_TRUE(processes.started.empty());
}

}  // namespace
}  // namespace burnmark::testing
