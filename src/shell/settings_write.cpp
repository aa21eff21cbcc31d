#include "shell/settings_write.h"

#include "flow/dialog_hand_back.h"

namespace burnmark {

std::string SettingsWriteFailText(const std::string& path, std::string_view consequence) {
    return "Can't write " + path + " !\n" + std::string(consequence);
}

bool ReportSettingsWrite(bool written, const std::string& path, std::string_view consequence,
                         Messages& messages) {
    if (!written)
        messages.MessageBox(SettingsWriteFailText(path, consequence), kHandBackWriteFailTitle,
                            MsgButtons::Ok, MsgIcon::Warning);
    return written;
}

}  // namespace burnmark
