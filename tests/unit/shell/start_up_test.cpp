// The start-up rules: the entry's default device, the settings the main
// window reads, the splash period, the custom logo and the wheel notches.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "shell/start_up.h"

namespace burnmark {
namespace {

namespace fs = std::filesystem;

class TempAppDir : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("bm_shell_" + std::to_string(rd()));
        fs::create_directories(dir_);
        appDir_ = dir_.string() + "/";
    }
    void TearDown() override { fs::remove_all(dir_); }

    void WriteFile(const std::string& relative, const std::string& text) {
        fs::path p = dir_ / relative;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
    }
    Profile History() const { return Profile(appDir_ + "History_1.ini"); }

    fs::path dir_;
    std::string appDir_;
};

using EntryRules = TempAppDir;

TEST_F(EntryRules, FirstRunWritesTheDefaultDevice) {
    const EntrySettings entry = ApplyEntryRules(appDir_);
    EXPECT_EQ(entry.Type, 0);
    EXPECT_TRUE(entry.DefaultDeviceWritten);
    const Profile history = History();
    EXPECT_EQ(history.ReadString("SelectDlg", "Manufacturer", ""), "ATMEL");
    EXPECT_EQ(history.ReadString("SelectDlg", "TypeNum", ""), "AT89C51");
    EXPECT_EQ(history.ReadString("SelectDlg", "IcFileName", ""),
              appDir_ + "INI\\ATMEL\\AT89C51.INI");
}

TEST_F(EntryRules, AnExistingDeviceFileIsKept) {
    // Stored with backslashes and another case, as the selection dialog writes it.
    WriteFile("INI/MICROCHIP/PIC16F84.INI", "[Device]\n");
    Profile history = History();
    history.WriteString("System", "Type", "2");
    history.WriteString("SelectDlg", "Manufacturer", "MICROCHIP");
    history.WriteString("SelectDlg", "TypeNum", "PIC16F84");
    history.WriteString("SelectDlg", "IcFileName", appDir_ + "ini\\microchip\\pic16f84.ini");

    const EntrySettings entry = ApplyEntryRules(appDir_);
    EXPECT_EQ(entry.Type, 2);
    EXPECT_FALSE(entry.DefaultDeviceWritten);
    EXPECT_EQ(history.ReadString("SelectDlg", "Manufacturer", ""), "MICROCHIP");
    EXPECT_EQ(history.ReadString("SelectDlg", "IcFileName", ""),
              appDir_ + "ini\\microchip\\pic16f84.ini");
}

TEST_F(EntryRules, AVanishedDeviceFileIsReplaced) {
    Profile history = History();
    history.WriteString("SelectDlg", "Manufacturer", "GONE");
    history.WriteString("SelectDlg", "TypeNum", "X1");
    history.WriteString("SelectDlg", "IcFileName", appDir_ + "INI\\GONE\\X1.INI");
    history.WriteString("SelectDlg", "ProcessMode", "+E");

    EXPECT_TRUE(ApplyEntryRules(appDir_).DefaultDeviceWritten);
    EXPECT_EQ(history.ReadString("SelectDlg", "Manufacturer", ""), "ATMEL");
    EXPECT_EQ(history.ReadString("SelectDlg", "TypeNum", ""), "AT89C51");
    // Only the device keys are replaced.
    EXPECT_EQ(history.ReadString("SelectDlg", "ProcessMode", ""), "+E");
}

TEST_F(EntryRules, SettingsThatCannotBeReadAreReportedAndKept) {
    // Far larger than any settings file: read as empty, never rewritten.
    const std::string big = "[System]\r\nType=1\r\n;" + std::string(kMaxProfileFileBytes, 'x');
    WriteFile("History_1.ini", big);
    const EntrySettings entry = ApplyEntryRules(appDir_);
    EXPECT_EQ(entry.SettingsProblem,
              "Ini File too large !! (more than 4 MB)\n" + appDir_ + "History_1.ini");
    EXPECT_EQ(entry.Type, 0);
    EXPECT_FALSE(entry.DefaultDeviceWritten);
    EXPECT_EQ(fs::file_size(dir_ / "History_1.ini"), big.size());

    fs::remove(dir_ / "History_1.ini");
    EXPECT_EQ(ApplyEntryRules(appDir_).SettingsProblem, "");
}

TEST(ChooseAppDir, OverrideWinsAndTheDirectoryEndsInASeparator) {
    EXPECT_EQ(ChooseAppDir(nullptr, "/opt/bm/"), "/opt/bm/");
    EXPECT_EQ(ChooseAppDir("", "/opt/bm/"), "/opt/bm/");
    EXPECT_EQ(ChooseAppDir("/tmp/run", "/opt/bm/"), "/tmp/run/");
    EXPECT_EQ(ChooseAppDir("/tmp/run/", "/opt/bm/"), "/tmp/run/");
    EXPECT_EQ(ChooseAppDir(nullptr, ""), "");
}

using MainSettingsRead = TempAppDir;

TEST_F(MainSettingsRead, SoundSettingsTable) {
    struct Case {
        const char* setup;  // nullptr: key missing
        const char* mode;
        uint8_t soundOn;
        uint8_t soundMode;
    };
    const std::vector<Case> cases = {
        {nullptr, nullptr, 1, 0},   // first run: sounds on, single error sound
        {"0", "1", 0, 1},
        {"1", "$10", 1, 0x10},      // hexadecimal as the conversion reads it
        {"0x1", "2", 1, 2},
        {"257", "258", 1, 2},       // the low byte
        {"on", "loud", 1, 0},       // not numbers: the defaults, no stop
        {"", " ", 1, 0},
        {"1x", "0", 1, 0},
    };
    for (const Case& c : cases) {
        fs::remove(dir_ / "History_1.ini");
        Profile history = History();
        if (c.setup) history.WriteString("Option", "sound_setup", c.setup);
        if (c.mode) history.WriteString("Option", "sound_mode", c.mode);
        const MainSettings settings = ReadMainSettings(history);
        EXPECT_EQ(settings.SoundOn, c.soundOn) << (c.setup ? c.setup : "(missing)");
        EXPECT_EQ(settings.SoundMode, c.soundMode) << (c.mode ? c.mode : "(missing)");
    }
}

TEST_F(MainSettingsRead, SymbolIsReadAsText) {
    EXPECT_EQ(ReadMainSettings(History()).Symbol, "0");
    History().WriteString("System", "Symbol", "1");
    EXPECT_EQ(ReadMainSettings(History()).Symbol, "1");
}

using SplashPeriod = TempAppDir;

TEST_F(SplashPeriod, SecondsBecomeMillisecondsAndBadValuesStopTheTimer) {
    const std::vector<std::pair<const char*, int32_t>> cases = {
        {"3", 3000}, {"0", 0}, {"$2", 2000}, {"soon", 0}, {"-4", 0}, {"99999999", 0}, {"", 0},
    };
    EXPECT_EQ(SplashPeriodMs(History()), 0);  // missing
    for (const auto& [text, ms] : cases) {
        History().WriteString("System", "Short", text);
        EXPECT_EQ(SplashPeriodMs(History()), ms) << text;
    }
}

using CustomLogo = TempAppDir;

TEST_F(CustomLogo, RestoredLoadedAndRemovedInTheApplicationDirectoryOnlyWhenAsked) {
    std::vector<std::pair<std::string, std::string>> restores;
    BitmapRestorer restorer = [&](const std::string& src, const std::string& dst) {
        restores.push_back({src, dst});
        std::ofstream(dst) << "BM";
        return true;
    };
    std::vector<std::string> loaded;
    auto load = [&](const std::string& path) {
        EXPECT_TRUE(fs::exists(path));  // still there while it is loaded
        loaded.push_back(path);
    };

    EXPECT_FALSE(LoadCustomLogo(appDir_, "0", restorer, load));
    EXPECT_FALSE(LoadCustomLogo(appDir_, "", restorer, load));
    EXPECT_TRUE(restores.empty());
    EXPECT_TRUE(loaded.empty());

    EXPECT_TRUE(LoadCustomLogo(appDir_, "1", restorer, load));
    ASSERT_EQ(restores.size(), 1u);
    EXPECT_EQ(restores[0].first, appDir_ + "Temp0.cue");
    EXPECT_EQ(restores[0].second, appDir_ + "0.bmp");
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0], appDir_ + "0.bmp");
    EXPECT_FALSE(fs::exists(dir_ / "0.bmp"));
}

TEST_F(CustomLogo, AFailedRestoreHidesTheLogoEvenWithAnOldPictureLeftOver) {
    WriteFile("0.bmp", "stale");
    BitmapRestorer failing = [](const std::string&, const std::string&) { return false; };
    int loads = 0;
    EXPECT_FALSE(LoadCustomLogo(appDir_, "1", failing, [&](const std::string&) { ++loads; }));
    EXPECT_EQ(loads, 0);
    EXPECT_FALSE(fs::exists(dir_ / "0.bmp"));
    // Without a restorer (no splash support) the logo stays hidden.
    EXPECT_FALSE(LoadCustomLogo(appDir_, "1", nullptr, [&](const std::string&) { ++loads; }));
}

}  // namespace
}  // namespace burnmark
