// The editor's Save command: the save dialog's hand-back in History_1.ini
// [SaveDlg] and the writers it calls with the range and the format.
#pragma once

#include <optional>
#include <string>

#include "flow/file_dialogs.h"
#include "flow/flow_context.h"
#include "buffer/formats/file_writers.h"

namespace burnmark {

inline constexpr const char* kSaveSection = "SaveDlg";
inline constexpr const char* kSaveLimitTitle = "SAVE";
inline constexpr const char* kSaveFileErrorTitle = "Error";

// The window's side of the Save command.
class SaveDialogPort {
public:
    virtual ~SaveDialogPort() = default;
    // Creates the save dialog over the logic (which opens it with an empty
    // name and the IC range), shows it modally and deletes it. The answer of
    // its Save button, or nullopt for every other way out.
    virtual std::optional<SaveSettings> RunSaveDialog(SaveDialogLogic& logic) = 0;
};

// The message the format-limit check of the save dialog shows for a range too
// large for the format (empty for the formats without a limit).
std::string SaveLimitText(SaveFormat format);

enum class SaveEnd {
    Ignored,    // the program was busy
    Cancelled,  // "OK" 0
    Saved,
    Refused,    // the range does not suit the buffer or the format
    FileError,  // the file could not be written
};

class SaveFlow {
public:
    explicit SaveFlow(FlowContext ctx) : ctx_(std::move(ctx)) {}

    // The Save command: the dialog, then the save of what it handed back.
    SaveEnd SaveFileClick(SaveDialogPort& dialog);
    // The save of the dialog's answer.
    SaveEnd RunSave(const SaveSettings& settings);

private:
    FlowContext ctx_;
};

}  // namespace burnmark
