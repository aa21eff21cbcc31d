// The name box of the load and save dialogs: a THistoryComboBox that keeps
// its ten names in the program's own INI file (the program's name with ".INI",
// in the application directory), section "BinaryEditLoadFileHistory" or
// "BinSaveFileHistory". Both dialogs make it and note an accepted name through
// these two functions only.
#pragma once

#include <QString>
#include <string>

#include "platform/ports.h"

class QComboBox;
class QWidget;

namespace burnmark {

inline constexpr const char* kLoadFileHistory = "BinaryEditLoadFileHistory";
inline constexpr const char* kSaveFileHistory = "BinSaveFileHistory";
inline constexpr int kFileHistoryEntries = 10;

// The box with the names remembered so far, its text empty. historyIniPath:
// the application directory + "History_1.ini", which names the directory.
QComboBox* MakeFileNameBox(QWidget* parent, const QString& historySection,
                           const std::string& historyIniPath);
// The accepted name on top of the box's list, its later copies dropped; a
// history file that cannot be written is reported.
void RememberFileName(QComboBox* box, Messages& messages);

}  // namespace burnmark
