// The start-up rules: the entry's default device, the settings the main
// window reads, the splash period, the custom logo and the wheel notches.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "shell/picture_restore.h"
#include "shell/start_up.h"
#include "support/child_process.h"
#include "support/fake_ports.h"

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
    EXPECT_EQ(entry.SettingsProblem, "");
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

    EXPECT_EQ(ApplyEntryRules(appDir_).SettingsProblem, "");
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
    EXPECT_EQ(fs::file_size(dir_ / "History_1.ini"), big.size());

    fs::remove(dir_ / "History_1.ini");
    EXPECT_EQ(ApplyEntryRules(appDir_).SettingsProblem, "");
}

// Readable settings in a folder the program may not write to: the default
// device is not remembered, and the operator is told so once.
TEST_F(EntryRules, ADefaultDeviceThatCannotBeWrittenIsReported) {
    const std::string settings = "[System]\r\nType=0\r\n[SelectDlg]\r\nIcFileName=gone.ini\r\n";
    WriteFile("History_1.ini", settings);
    // Readable by everyone, the folder written by nobody (the administrator
    // writes anyway: the work runs as an ordinary user then).
    const fs::perms readOnly = fs::perms::owner_read | fs::perms::owner_exec |
                               fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(dir_ / "History_1.ini",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir_, readOnly);
    const std::string answer =
        testing::AsOrdinaryUser([&] { return ApplyEntryRules(appDir_).SettingsProblem; });
    fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(answer, "Can't write " + appDir_ +
                          "History_1.ini !\nThe default device ATMEL AT89C51 is not remembered "
                          "as the last device.");
    std::ifstream in(dir_ / "History_1.ini", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), settings);
}

TEST(RunGuarded, AnEscapedExceptionIsShownAndEndsWithAFailure) {
    struct Case {
        const char* name;
        std::function<int()> body;
        int status;
        std::vector<std::string> shown;
    };
    const std::vector<Case> cases = {
        {"a normal end", [] { return 0; }, 0, {}},
        {"the loop's own status", [] { return 3; }, 3, {}},
        {"an exception", []() -> int { throw std::runtime_error("no memory"); }, EXIT_FAILURE,
         {"no memory"}},
        {"something else thrown", []() -> int { throw 42; }, EXIT_FAILURE, {"Unknown error"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> shown;
        EXPECT_EQ(RunGuarded([&](const char* what) { shown.push_back(what); }, c.body), c.status);
        EXPECT_EQ(shown, c.shown);
    }
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
        // The longest period the timer holds.
        {"2147483", 2147483000},
    };
    EXPECT_EQ(SplashPeriodMs(History()), 0);  // missing
    for (const auto& [text, ms] : cases) {
        History().WriteString("System", "Short", text);
        EXPECT_EQ(SplashPeriodMs(History()), ms) << text;
    }
}

// A stored picture: a small bitmap of our own with its header moved to the end.
std::string StoredPicture() {
    std::vector<uint8_t> bitmap(kBitmapHeaderLength + 8, 0x11);
    bitmap[0] = 'B';
    bitmap[1] = 'M';
    const std::optional<std::vector<uint8_t>> stored = StoreBitmapRotated(bitmap);
    return std::string(stored->begin(), stored->end());
}

class PicturesAtStart : public TempAppDir {
protected:
    BitmapRestorer Restorer() {
        return [this](const std::string& src) {
            restored.push_back(src);
            return RestoreBitmapFile(src, messages);
        };
    }
    BitmapShower Shower(bool decodes) {
        return [this, decodes](std::span<const uint8_t> bitmap) {
            shown.emplace_back(bitmap.begin(), bitmap.end());
            return decodes;
        };
    }

    testing::FakeMessages messages;
    std::vector<std::string> restored;
    std::vector<std::vector<uint8_t>> shown;
};

TEST_F(PicturesAtStart, TheCustomLogoIsRestoredFromTheApplicationDirectoryOnlyWhenAsked) {
    WriteFile("Temp0.cue", StoredPicture());
    EXPECT_FALSE(LoadCustomLogo(appDir_, "0", Restorer(), Shower(true)));
    EXPECT_FALSE(LoadCustomLogo(appDir_, "", Restorer(), Shower(true)));
    EXPECT_TRUE(restored.empty());

    EXPECT_TRUE(LoadCustomLogo(appDir_, "1", Restorer(), Shower(true)));
    EXPECT_EQ(restored, std::vector<std::string>{appDir_ + "Temp0.cue"});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0][0], 'B');
    EXPECT_EQ(shown[0][1], 'M');

    // Bytes that do not decode, a failed restore, no restorer: the logo is hidden.
    EXPECT_FALSE(LoadCustomLogo(appDir_, "1", Restorer(), Shower(false)));
    fs::remove(dir_ / "Temp0.cue");
    EXPECT_FALSE(LoadCustomLogo(appDir_, "1", Restorer(), Shower(true)));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{kErrPictureOpen});
    EXPECT_FALSE(LoadCustomLogo(appDir_, "1", nullptr, Shower(true)));
    EXPECT_EQ(shown.size(), 2u);
}

TEST_F(PicturesAtStart, TheSplashTimerFollowsShortOnlyWithAPicture) {
    struct Case {
        const char* name;
        bool stored;   // Temp1.cue present
        bool decodes;  // its bytes are a picture
        const char* shortSeconds;
        bool pictureShown;
        int32_t timerMs;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"three seconds", true, true, "3", true, 3000, {}},
        {"no period: no timer", true, true, "0", true, 0, {}},
        {"not a number: no timer", true, true, "x", true, 0, {}},
        {"no picture file", false, true, "3", false, kSplashLayoutPeriodMs,
         {kErrPictureOpen, kSplashNoPictureText}},
        {"no picture in it", true, false, "3", false, kSplashLayoutPeriodMs,
         {kSplashNoPictureText}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.Clear();
        fs::remove(dir_ / "Temp1.cue");
        if (c.stored) WriteFile("Temp1.cue", StoredPicture());
        History().WriteString("System", "Short", c.shortSeconds);

        const SplashSetup setup = SetUpSplash(appDir_, Restorer(), Shower(c.decodes), messages);
        EXPECT_EQ(setup.pictureShown, c.pictureShown);
        EXPECT_EQ(setup.timerMs, c.timerMs);
        EXPECT_EQ(messages.Texts(), c.texts);
        EXPECT_EQ(restored.back(), appDir_ + "Temp1.cue");
    }
}

TEST_F(PicturesAtStart, StartedFromAnotherDirectoryNoFileIsTouchedAnywhere) {
    const fs::path elsewhere = dir_ / "elsewhere";
    fs::create_directories(elsewhere);
    WriteFile("Temp0.cue", StoredPicture());
    WriteFile("Temp1.cue", StoredPicture());
    // Pictures of the operator's, where older versions restored theirs.
    for (const fs::path& folder : {dir_, elsewhere})
        for (const char* name : {"0.bmp", "1.bmp"}) std::ofstream(folder / name) << "mine";
    auto listing = [&] {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir_))
            files.push_back(entry.path().string() + " " +
                            (entry.is_regular_file() ? std::to_string(entry.file_size()) : ""));
        std::sort(files.begin(), files.end());
        return files;
    };
    const std::vector<std::string> before = listing();

    const fs::path started = fs::current_path();
    fs::current_path(elsewhere);
    const bool logo = LoadCustomLogo(appDir_, "1", Restorer(), Shower(true));
    const SplashSetup splash = SetUpSplash(appDir_, Restorer(), Shower(true), messages);
    fs::current_path(started);

    EXPECT_TRUE(logo);
    EXPECT_TRUE(splash.pictureShown);
    EXPECT_EQ(listing(), before);
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace burnmark
