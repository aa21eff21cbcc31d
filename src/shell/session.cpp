#include "shell/session.h"

#include <exception>

#include "platform/profile.h"
#include "shell/settings_write.h"
#include "shell/start_up.h"

namespace burnmark {

namespace {

TickFlags OnlyOffered(const TickFlags& wanted, const TickFlags& offered, const TickFlags& now) {
    TickFlags ticks = now;
    for (std::size_t box = TickErase; box <= TickProtect; ++box)
        ticks[box] = wanted[box] && offered[box];
    return ticks;
}

}  // namespace

void RestoreLastSession(AppState& state, SessionView& view, const SessionSeams& seams,
                        Messages& messages) {
    const Profile history(state.HistoryIniPath());
    const std::string maker = history.ReadString("SelectDlg", "Manufacturer", "None");
    const std::string type = history.ReadString("SelectDlg", "TypeNum", "None");
    const std::string icFile = history.ReadString("SelectDlg", "IcFileName", "None");
    const std::string processMode = history.ReadString("SelectDlg", "ProcessMode", "0");
    state.DeviceIniPath = icFile;
    state.PathBuffer.clear();

    view.ShowSelectedType(maker, type);

    DeviceFacts device;
    if (seams.LoadDeviceIni) device = seams.LoadDeviceIni(icFile);

    const TickFlags restored = ParseProcessMode(processMode, view.Ticks());
    view.SetTicks(restored);

    if (seams.ApplyDeviceBufferSize) seams.ApplyDeviceBufferSize();

    if (device.HasFuseMap == 1 && seams.CreateFuseMapEditor) {
        try {
            seams.CreateFuseMapEditor();
            state.Form2Created = 1;
            if (seams.InitFuseBuffer) seams.InitFuseBuffer();
        } catch (const std::exception& e) {
            messages.MessageBox(e.what(), kProductCaption, MsgButtons::Ok, MsgIcon::Error);
        } catch (...) {
            messages.MessageBox("Unknown error", kProductCaption, MsgButtons::Ok, MsgIcon::Error);
        }
    }

    if (seams.UpdateCopyButtons) {
        seams.UpdateCopyButtons(0);
        // The refresh ticks every step the device offers (protect included),
        // which would undo the restore: the offered steps get the stored ticks
        // again, or the form's own when none are stored.
        view.SetTicks(OnlyOffered(restored, view.Offered(), view.Ticks()));
    }
}

ExitAnswer AskExit(AppState& state, Messages& messages, const std::function<TickFlags()>& ticks) {
    if (state.Busy.Busy() || state.ExitGuard) return ExitAnswer::Ignored;
    state.ExitGuard = 1;
    const MsgAnswer answer =
        messages.MessageBox(kExitQuestion, kExitTitle, MsgButtons::YesNo, MsgIcon::None);
    if (answer != MsgAnswer::Yes) {
        state.ExitGuard = 0;
        return ExitAnswer::Cancelled;
    }
    SaveTicksAtExit(state, messages, ticks ? ticks() : TickFlags{});
    return ExitAnswer::Confirmed;
}

void SaveTicksAtExit(AppState& state, Messages& messages, const TickFlags& ticks) {
    state.ExitGuard = 1;
    // The program ends all the same: the ticks are only for the next start.
    Profile history(state.HistoryIniPath());
    ReportSettingsWrite(history.WriteString("SelectDlg", "ProcessMode", BuildProcessMode(ticks)),
                        history.Path(), kUnrememberedTicksText, messages);
}

}  // namespace burnmark
