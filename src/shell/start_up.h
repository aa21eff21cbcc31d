// The start-up rules of the program: what the entry checks before any window
// exists, and the settings the main window reads when it is built.
#pragma once

#include "shell/shell_only.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/ports.h"
#include "platform/profile.h"

namespace burnmark {

// The caption the application object carries (and its exception display).
inline constexpr const char* kProductCaption = "Burnmark";

inline constexpr const char* kHistoryFileName = "History_1.ini";
inline constexpr const char* kDefaultManufacturer = "ATMEL";
inline constexpr const char* kDefaultTypeNum = "AT89C51";
inline constexpr const char* kDefaultDeviceFile = "INI\\ATMEL\\AT89C51.INI";

struct EntrySettings {
    // [System] "Type": non-zero shows the splash while the windows are made.
    int32_t Type = 0;
    // For the operator, once: History_1.ini exists but cannot be read (it
    // then keeps its content and no setting is saved), or the default device
    // could not be written to it; empty otherwise.
    std::string SettingsProblem;
};

// The entry's checks on AppDir + "History_1.ini": reads [System] "Type"
// (default 0) and, when [SelectDlg] "IcFileName" names no existing file,
// writes the default device ("ATMEL", "AT89C51", AppDir + the ATMEL AT89C51
// definition) so that the restore always has a device to load.
EntrySettings ApplyEntryRules(const std::string& appDir);

// Runs the program's body and returns its exit status. An exception that
// escapes it is shown (`show` gets its text, "Unknown error" for one without)
// and the program then ends with a failure status.
int RunGuarded(const std::function<void(const char* what)>& show, const std::function<int()>& body);

// The application directory: BURNMARK_APP_DIR when set (tests, relocated
// installs), else the program's own directory; always ends in '/' unless empty.
std::string ChooseAppDir(const char* overrideDir, const std::string& programDir);

struct MainSettings {
    // [System] "Symbol": "1" shows the custom logo picture.
    std::string Symbol = "0";
    // [Option] "sound_setup" and "sound_mode", for the sound player.
    uint8_t SoundOn = 1;
    uint8_t SoundMode = 0;
};

// The settings the main window's constructor reads: SoundOn from [Option]
// "sound_setup" (default 1) and SoundMode from "sound_mode" (default 0), each
// the low byte of the number. A value that is not a number takes the default
// instead of stopping the program.
MainSettings ReadMainSettings(const Profile& history);

// The splash period: [System] "Short" seconds as milliseconds. Not a number,
// negative or too large for the timer: 0 (the splash stays until start-up ends).
int32_t SplashPeriodMs(const Profile& history);

// Restores a stored picture file into the bitmap's bytes (RestoreBitmapFile
// with the operator's messages); nothing when it could not, which it reported.
using BitmapRestorer = std::function<std::optional<std::vector<uint8_t>>(const std::string& src)>;
// Shows a restored bitmap; false when the bytes are no picture it can decode.
using BitmapShower = std::function<bool(std::span<const uint8_t> bitmap)>;

// The custom logo: only when "Symbol" is "1", AppDir + "Temp0.cue" is restored
// and handed to `show`. Returns whether the logo shows a picture (otherwise it
// is hidden).
bool LoadCustomLogo(const std::string& appDir, const std::string& symbol,
                    const BitmapRestorer& restore, const BitmapShower& show);

// The splash timer's period as laid out, kept when the splash has no picture.
inline constexpr int32_t kSplashLayoutPeriodMs = 4000;
inline constexpr const char* kSplashNoPictureText = "No found 1.bmp";

// What the splash window was set up with.
struct SplashSetup {
    bool pictureShown = false;
    // The timer that closes the splash; 0: no timer, the splash stays until
    // the start-up ends.
    int32_t timerMs = kSplashLayoutPeriodMs;
};

// The splash window's creation: AppDir + "Temp1.cue" restored and handed to
// `show`; with a picture the timer takes [System] "Short" (SplashPeriodMs),
// without one "No found 1.bmp" is shown and the layout's period stays.
SplashSetup SetUpSplash(const std::string& appDir, const BitmapRestorer& restore,
                        const BitmapShower& show, Messages& messages);

}  // namespace burnmark
