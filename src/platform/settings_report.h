// A settings file that could not be written is reported to the operator in
// one wording, whichever part of the program wrote it: what was chosen is
// used now, but is not there at the next start.
#pragma once

#include <string>

#include "platform/ports.h"

namespace burnmark {

inline constexpr const char* kSettingsWriteFailTitle = "Settings";

// "Can't write <path> !" and what it means for the operator.
std::string SettingsWriteFailText(const std::string& path);

// The warning box of a failed write of the settings file at path.
void ReportSettingsWriteFail(Messages& messages, const std::string& path);

}  // namespace burnmark
