#include "shell/start_up.h"

#include <cstdlib>
#include <exception>
#include <limits>

#include "platform/number.h"
#include "platform/paths.h"
#include "shell/picture_restore.h"
#include "shell/settings_write.h"

namespace burnmark {

EntrySettings ApplyEntryRules(const std::string& appDir) {
    Profile history(appDir + kHistoryFileName);
    EntrySettings entry;
    entry.SettingsProblem = ProfileProblemText(history.Path(), history.State());
    entry.Type = history.ReadInteger("System", "Type", 0);
    const std::string icFile = history.ReadString("SelectDlg", "IcFileName", "0");
    if (!StoredFileExists(icFile)) {
        // In one write: never a maker without its device file.
        const bool written =
            history.WriteStrings("SelectDlg", {{"Manufacturer", kDefaultManufacturer},
                                               {"TypeNum", kDefaultTypeNum},
                                               {"IcFileName", appDir + kDefaultDeviceFile}});
        // A file that cannot be read was reported already and is never written.
        if (!written && entry.SettingsProblem.empty())
            entry.SettingsProblem =
                SettingsWriteFailText(history.Path(), kUnrememberedDefaultDeviceText);
    }
    return entry;
}

int RunGuarded(const std::function<void(const char* what)>& show,
               const std::function<int()>& body) {
    try {
        return body();
    } catch (const std::exception& e) {
        if (show) show(e.what());
    } catch (...) {
        if (show) show("Unknown error");
    }
    return EXIT_FAILURE;
}

std::string ChooseAppDir(const char* overrideDir, const std::string& programDir) {
    std::string dir = (overrideDir && *overrideDir) ? std::string(overrideDir) : programDir;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

MainSettings ReadMainSettings(const Profile& history) {
    const std::string soundSetup = history.ReadString("Option", "sound_setup", "1");
    const std::string soundMode = history.ReadString("Option", "sound_mode", "0");
    MainSettings settings;
    settings.Symbol = history.ReadString("System", "Symbol", "0");
    settings.SoundOn = static_cast<uint8_t>(StrToIntDef(soundSetup, 1) & 0xFF);
    settings.SoundMode = static_cast<uint8_t>(StrToIntDef(soundMode, 0) & 0xFF);
    return settings;
}

int32_t SplashPeriodMs(const Profile& history) {
    const int32_t seconds = StrToIntDef(history.ReadString("System", "Short", "0"), 0);
    if (seconds <= 0 || seconds > std::numeric_limits<int32_t>::max() / 1000) return 0;
    return seconds * 1000;
}

bool LoadCustomLogo(const std::string& appDir, const std::string& symbol,
                    const BitmapRestorer& restore, const BitmapShower& show) {
    if (symbol != "1" || !restore || !show) return false;
    const std::optional<std::vector<uint8_t>> bitmap = restore(appDir + kLogoPictureFile);
    return bitmap && show(*bitmap);
}

SplashSetup SetUpSplash(const std::string& appDir, const BitmapRestorer& restore,
                        const BitmapShower& show, Messages& messages) {
    SplashSetup setup;
    const std::optional<std::vector<uint8_t>> bitmap =
        restore ? restore(appDir + kSplashPictureFile) : std::nullopt;
    setup.pictureShown = bitmap && show && show(*bitmap);
    if (!setup.pictureShown) {
        messages.ShowMessage(kSplashNoPictureText);
        return setup;
    }
    setup.timerMs = SplashPeriodMs(Profile(appDir + kHistoryFileName));
    return setup;
}

}  // namespace burnmark
