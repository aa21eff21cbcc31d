// The main window's session: the restore of the last device and ticks when
// it is first shown, and the exit question that saves the ticks.
#pragma once

#include "shell/shell_only.h"

#include <functional>
#include <string>

#include "platform/ports.h"
#include "shell/app_state.h"
#include "shell/process_mode.h"

namespace burnmark {

// What the restore needs to know of the device definition it loaded.
struct DeviceFacts {
    std::string Type = "None";  // the definition's "Type" ("PLD" for logic devices)
    int FuseTypeDigit = 0;      // the option type
    uint8_t HasFuseMap = 0;     // the device has a fuse map
};

// The work of other subsystems that the restore runs in its order. An empty
// function is skipped.
struct SessionSeams {
    // The option values start from the definition again; the path goes into
    // the device record (IcFileName and IniPathInUse) and the definition is
    // loaded keeping that path (selector 0, two zero words); the verify-list
    // choice follows the device and a new run may start. Reports its own
    // failures.
    std::function<DeviceFacts(const std::string& icFileName)> LoadDeviceIni;
    // Sizes the data buffer for the device, the size of earlier loads cleared.
    std::function<void()> ApplyDeviceBufferSize;
    // Creates the fuse-map editor window (over the main window) and has it
    // allocate its fuse buffer. May throw; the restore shows it and goes on.
    std::function<void()> CreateFuseMapEditor;
    std::function<void()> InitFuseBuffer;
    // Refreshes the Copy page's steps for the device (argument 0, 1 or 2).
    std::function<void(int)> UpdateCopyButtons;
};

// The part of the main window the restore writes to.
class SessionView {
public:
    virtual ~SessionView() = default;
    // Items 0 and 1 of the two-line device display.
    virtual void ShowSelectedType(const std::string& maker, const std::string& type) = 0;
    virtual TickFlags Ticks() const = 0;
    virtual void SetTicks(const TickFlags& ticks) = 0;
    // The boxes the device offers (enabled ones).
    virtual TickFlags Offered() const = 0;
};

// Restores the last device and the ticked operations from AppDir +
// "History_1.ini" [SelectDlg], then loads the device, sizes the buffer,
// creates the fuse-map editor when the device has a fuse map and refreshes
// the steps. The step refresh ticks every offered box; the restored ticks (the
// form's own when none are stored) are applied again afterwards, to the
// offered boxes, so that they survive it.
void RestoreLastSession(AppState& state, SessionView& view, const SessionSeams& seams,
                        Messages& messages);

enum class ExitAnswer {
    Ignored,    // an operation is going or the question is already open
    Cancelled,  // No: everything as it was
    Confirmed,  // Yes: "ProcessMode" written; the window closes
};

inline constexpr const char* kExitQuestion = "Are you sure ?";
inline constexpr const char* kExitTitle = "Exit:";

// The exit question. While Busy or while ExitGuard is set nothing happens;
// otherwise ExitGuard is set and the operator asked. No clears the guard; Yes
// writes the ticks as "ProcessMode" (a failed write is told, and the exit
// goes on) and keeps the guard set for good.
ExitAnswer AskExit(AppState& state, Messages& messages, const std::function<TickFlags()>& ticks);

// The exit's write-back without the question (the window is gone): the ticks
// as "ProcessMode", a failed write told; ExitGuard set for good.
void SaveTicksAtExit(AppState& state, Messages& messages, const TickFlags& ticks);

}  // namespace burnmark
