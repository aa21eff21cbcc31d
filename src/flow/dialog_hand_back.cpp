#include "flow/dialog_hand_back.h"

namespace burnmark {

std::string HandBackWriteFailText(const std::string& path) {
    return "Can't write " + path +
           " !\nThis choice is used now, but it is not remembered for the next time.";
}

void HandBackWriter::Integer(std::string_view key, int32_t value) {
    if (!history_.WriteInteger(section_, key, value)) failed_ = true;
}

void HandBackWriter::String(std::string_view key, std::string_view value) {
    if (!history_.WriteString(section_, key, value)) failed_ = true;
}

bool HandBackWriter::Finish(Messages& messages) {
    if (!failed_) return true;
    messages.MessageBox(HandBackWriteFailText(history_.Path()), kHandBackWriteFailTitle,
                        MsgButtons::Ok, MsgIcon::Warning);
    failed_ = false;
    return false;
}

bool WriteDialogCancelled(const std::string& historyIniPath, const std::string& section,
                          Messages& messages) {
    HandBackWriter writer(historyIniPath, section);
    writer.String("OK", "0");
    return writer.Finish(messages);
}

}  // namespace burnmark
