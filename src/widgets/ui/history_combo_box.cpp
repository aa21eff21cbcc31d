#include "widgets/ui/history_combo_box.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <vector>

namespace burnmark {

THistoryComboBox::THistoryComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // The list changes only through the history.
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true);
}

std::string THistoryComboBox::IniPath() const {
    return HistoryIniFile(iniFileName_, QCoreApplication::applicationFilePath().toStdString());
}

void THistoryComboBox::ReadIniFile() {
    if (iniSection_.empty()) return;
    const Profile ini(IniPath());
    clear();
    clearEditText();
    for (const std::string& entry : ReadHistory(ini, iniSection_, maxHistoryLength_))
        addItem(QString::fromStdString(entry));
    // Adding to an empty list puts the first entry into the text.
    clearEditText();
}

bool THistoryComboBox::WriteIniFile() {
    if (iniSection_.empty()) return true;
    std::vector<std::string> list;
    for (int i = 0; i < count(); ++i) list.push_back(itemText(i).toStdString());
    const QString text = currentText();
    list = HistoryAfterWrite(text.toStdString(), std::move(list), maxHistoryLength_);

    Profile ini(IniPath());
    const bool written = WriteHistory(ini, iniSection_, list);

    clear();
    for (const std::string& entry : list) addItem(QString::fromStdString(entry));
    setEditText(text);
    return written;
}

}  // namespace burnmark
