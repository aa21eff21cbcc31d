// The name box of the load and save dialogs: an editable combo box. Every
// dialog makes it here, so that the box with the remembered names
// (section "BinaryEditLoadFileHistory" / "BinSaveFileHistory", ten entries)
// takes its place in one line.
#pragma once

#include <QString>

class QComboBox;
class QWidget;

namespace burnmark {

inline constexpr const char* kLoadFileHistory = "BinaryEditLoadFileHistory";
inline constexpr const char* kSaveFileHistory = "BinSaveFileHistory";
inline constexpr int kFileHistoryEntries = 10;

QComboBox* MakeFileNameBox(QWidget* parent, const QString& historySection);

}  // namespace burnmark
