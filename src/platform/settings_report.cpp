#include "platform/settings_report.h"

namespace burnmark {

std::string SettingsWriteFailText(const std::string& path) {
    return "Can't write " + path +
           " !\nThis choice is used now, but it is not remembered for the next time.";
}

void ReportSettingsWriteFail(Messages& messages, const std::string& path) {
    messages.MessageBox(SettingsWriteFailText(path), kSettingsWriteFailTitle, MsgButtons::Ok,
                        MsgIcon::Warning);
}

}  // namespace burnmark
