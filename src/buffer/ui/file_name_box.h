// The name box of the load and save dialogs: an editable combo box. Both
// dialogs make it and note an accepted name through these two functions
// only, so that the box that keeps its names in a file (section
// "BinaryEditLoadFileHistory" / "BinSaveFileHistory", ten entries) takes
// their place here alone.
#pragma once

#include <QString>

class QComboBox;
class QWidget;

namespace burnmark {

inline constexpr const char* kLoadFileHistory = "BinaryEditLoadFileHistory";
inline constexpr const char* kSaveFileHistory = "BinSaveFileHistory";
inline constexpr int kFileHistoryEntries = 10;

// The box with the names remembered so far, its text empty.
QComboBox* MakeFileNameBox(QWidget* parent, const QString& historySection);
// The accepted name on top of the box's list, its later copies dropped.
void RememberFileName(QComboBox* box);

}  // namespace burnmark
