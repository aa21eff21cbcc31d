#include "flow/dialog_hand_back.h"

namespace burnmark {

void HandBackWriter::Integer(std::string_view key, int32_t value) {
    if (!history_.WriteInteger(section_, key, value)) failed_ = true;
}

void HandBackWriter::String(std::string_view key, std::string_view value) {
    if (!history_.WriteString(section_, key, value)) failed_ = true;
}

bool HandBackWriter::Finish(Messages& messages) {
    if (!failed_) return true;
    failed_ = false;
    return ReportSettingsWriteFailure(messages, {history_.Path()});
}

bool WriteDialogCancelled(const std::string& historyIniPath, const std::string& section,
                          Messages& messages) {
    HandBackWriter writer(historyIniPath, section);
    writer.String("OK", "0");
    return writer.Finish(messages);
}

}  // namespace burnmark
