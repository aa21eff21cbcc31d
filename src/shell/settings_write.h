// What a failed write of the program's own settings means, for those that
// are not a dialog's answer: the ticks at exit, the default device at the
// first start, the project's file for other programs, the main window's
// handle. Each is told once through ReportSettingsWrite.
#pragma once

#include "platform/settings_report.h"
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

}  // namespace burnmark
