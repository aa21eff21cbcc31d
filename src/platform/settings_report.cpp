#include "platform/settings_report.h"

namespace burnmark {

std::string SettingsWriteFailText(const std::vector<std::string>& paths,
                                  std::string_view consequence) {
    std::string text;
    for (const std::string& path : paths) text += "Can't write " + path + " !\n";
    return text + std::string(consequence);
}

std::string SettingsWriteFailText(const std::string& path, std::string_view consequence) {
    return SettingsWriteFailText(std::vector<std::string>{path}, consequence);
}

bool ReportSettingsWriteFailure(Messages& messages, const std::vector<std::string>& paths,
                                std::string_view consequence) {
    if (paths.empty()) return true;
    messages.MessageBox(SettingsWriteFailText(paths, consequence), kSettingsWriteFailTitle,
                        MsgButtons::Ok, MsgIcon::Warning);
    return false;
}

bool ReportSettingsWrite(bool written, const std::string& path, std::string_view consequence,
                         Messages& messages) {
    if (!written) ReportSettingsWriteFailure(messages, {path}, consequence);
    return written;
}

}  // namespace burnmark
