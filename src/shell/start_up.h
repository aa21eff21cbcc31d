// The start-up rules of the program: what the entry checks before any window
// exists, and the settings the main window reads when it is built.
#pragma once

#include "shell/shell_only.h"

#include <cstdint>
#include <functional>
#include <string>

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
    // The last device named no existing file and the default was written.
    bool DefaultDeviceWritten = false;
    // For the operator when History_1.ini exists but cannot be read (it then
    // keeps its content and no setting is saved); empty otherwise.
    std::string SettingsProblem;
};

// The entry's checks on AppDir + "History_1.ini": reads [System] "Type"
// (default 0) and, when [SelectDlg] "IcFileName" names no existing file,
// writes the default device ("ATMEL", "AT89C51", AppDir + the ATMEL AT89C51
// definition) so that the restore always has a device to load.
EntrySettings ApplyEntryRules(const std::string& appDir);

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

// Turns a stored picture file (src) into a loadable bitmap (dst); reports its
// own failures. Built with the splash window.
using BitmapRestorer = std::function<bool(const std::string& src, const std::string& dst)>;

// The custom logo: only when "Symbol" is "1", AppDir + "Temp0.cue" is restored
// to AppDir + "0.bmp", handed to `load` while it exists, and deleted again.
// Returns whether a picture was handed over (otherwise the logo is hidden).
bool LoadCustomLogo(const std::string& appDir, const std::string& symbol,
                    const BitmapRestorer& restore,
                    const std::function<void(const std::string& bitmapPath)>& load);

}  // namespace burnmark
