// The program's own settings writes that are not a dialog's answer: the ticks
// at exit, the default device at the first start, the project's file for
// other programs, the main window's handle. A write that fails is told once,
// as the buffer dialogs tell of their section, with what it means; the
// program goes on with what it holds.
#pragma once

#include <string>
#include <string_view>

#include "platform/ports.h"
#include "shell/shell_only.h"

namespace burnmark {

inline constexpr const char* kUnrememberedTicksText =
    "The ticked operations are not remembered for the next start.";
inline constexpr const char* kUnrememberedDefaultDeviceText =
    "The default device ATMEL AT89C51 is not remembered as the last device.";
inline constexpr const char* kUnnotedProjectFileText =
    "The Copy page's file is not noted there for other programs.";
inline constexpr const char* kUnnotedWindowText =
    "Other programs cannot find the main window through it.";

// "Can't write <path> !" and, on a line of its own, what that means.
std::string SettingsWriteFailText(const std::string& path, std::string_view consequence);

// Tells the operator when `written` is false (titled as the buffer dialogs'
// own reports); returns `written`.
bool ReportSettingsWrite(bool written, const std::string& path, std::string_view consequence,
                         Messages& messages);

}  // namespace burnmark
