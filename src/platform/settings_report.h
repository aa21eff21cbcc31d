// A settings file that could not be written is reported to the operator in
// one wording, whichever part of the program wrote it: "Can't write <path> !"
// for each file, then what it means (by default: what was chosen is used now,
// but is not there at the next start). The program goes on with what it holds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ports.h"

namespace burnmark {

inline constexpr const char* kSettingsWriteFailTitle = "Settings";
inline constexpr const char* kUnrememberedChoiceText =
    "This choice is used now, but it is not remembered for the next time.";

std::string SettingsWriteFailText(const std::vector<std::string>& paths,
                                  std::string_view consequence = kUnrememberedChoiceText);
std::string SettingsWriteFailText(const std::string& path,
                                  std::string_view consequence = kUnrememberedChoiceText);

// One warning box naming every file in paths, when there is one; true when
// nothing had to be said.
bool ReportSettingsWriteFailure(Messages& messages, const std::vector<std::string>& paths,
                                std::string_view consequence = kUnrememberedChoiceText);

// The box for one write when `written` is false; returns `written`.
bool ReportSettingsWrite(bool written, const std::string& path, std::string_view consequence,
                         Messages& messages);

}  // namespace burnmark
