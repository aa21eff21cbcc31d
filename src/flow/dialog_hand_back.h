// The buffer dialogs remember their last answer in their History_1.ini
// section for the next opening; the answer itself travels to the command in
// memory. A write that fails is reported once and changes nothing of what the
// command does with the answer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ports.h"
#include "platform/profile.h"

namespace burnmark {

inline constexpr const char* kHandBackWriteFailTitle = kSettingsWriteFailTitle;

// "Can't write <path> !" and what it means for the operator.
inline std::string HandBackWriteFailText(const std::string& path) {
    return SettingsWriteFailText({path});
}

class HandBackWriter {
public:
    HandBackWriter(const std::string& historyIniPath, std::string section)
        : history_(historyIniPath), section_(std::move(section)) {}

    void Integer(std::string_view key, int32_t value);
    void String(std::string_view key, std::string_view value);
    // True when every write landed; otherwise the failure is shown once.
    bool Finish(Messages& messages);

private:
    Profile history_;
    std::string section_;
    bool failed_ = false;
};

// "OK" = "0" into the section, as every way out of a dialog but OK leaves it.
bool WriteDialogCancelled(const std::string& historyIniPath, const std::string& section,
                          Messages& messages);

}  // namespace burnmark
