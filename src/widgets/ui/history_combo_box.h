// THistoryComboBox: an editable combo box whose drop-down list is kept in an
// INI file; the dialogs that own one read it when they are made and write it
// when their file is accepted. It never adds what is typed by itself.
#pragma once

#include <QComboBox>
#include <cstdint>
#include <string>

#include "widgets/history_list.h"

namespace burnmark {

class THistoryComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit THistoryComboBox(QWidget* parent = nullptr);

    // Empty: the program's own path with its extension changed to ".INI".
    void SetIniFileName(std::string name) { iniFileName_ = std::move(name); }
    const std::string& IniFileName() const { return iniFileName_; }
    // Empty switches the history off.
    void SetIniSection(std::string section) { iniSection_ = std::move(section); }
    const std::string& IniSection() const { return iniSection_; }
    void SetMaxHistoryLength(int32_t length) { maxHistoryLength_ = length; }
    int32_t MaxHistoryLength() const { return maxHistoryLength_; }

    // The list from the file, the most recent first; the text is cleared.
    void ReadIniFile();
    // The text on top of the list, its later copies dropped, the list cut to
    // its length and written back in one write of the file. False when the
    // file could not be written (the box's list is changed all the same).
    bool WriteIniFile();

    // The file the history is kept in.
    std::string IniPath() const;

private:
    std::string iniFileName_;
    std::string iniSection_;
    int32_t maxHistoryLength_ = kDefaultMaxHistoryLength;
};

}  // namespace burnmark
