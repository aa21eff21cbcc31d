// The load and save dialogs: "Load File" (TLoadDlg) and "Save File"
// (TLoadSaveDlg). They show the fields their core logic gives and hand it
// the operator's entries; Load or Save closes only on the logic's answer, and
// every other way out (Cancel, Esc) is a Cancel.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>

#include "flow/file_dialogs.h"
#include "flow/load_flow.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QPushButton;

namespace burnmark {

class HexField;

// The open-file chooser of the Browse buttons; empty when the operator
// cancels. Tests put their own here.
using BrowseFunction = std::function<QString(QWidget* parent, const QString& startFolder)>;
QString BrowseForFile(QWidget* parent, const QString& startFolder);
QString BrowseForSaveFile(QWidget* parent, const QString& startFolder);

// "All File (*.*)", "Binary (*.bin)", ... as the chooser's filters.
QString LoadFileFilter();

class TLoadDlg : public QDialog {
    Q_OBJECT

public:
    TLoadDlg(QWidget* parent, LoadDialogLogic& logic, BrowseFunction browse = BrowseForFile);
    const std::optional<LoadSettings>& Answer() const { return answer_; }

    void reject() override;

private:
    void FormCreate();
    LoadDialogFields Fields() const;
    void NameEditChange();
    void FormatGroupClick();
    void BitBtn1Click();
    void BitBtn2Click();

    LoadDialogLogic& logic_;
    BrowseFunction browse_;
    std::optional<LoadSettings> answer_;
    QComboBox* name_;
    QButtonGroup* format_;
    HexField* sourceStart_;
    HexField* sourceEnd_;
    HexField* dest_;
    QCheckBox* fillUnused_;
    HexField* fill_;
};

class TLoadSaveDlg : public QDialog {
    Q_OBJECT

public:
    TLoadSaveDlg(QWidget* parent, SaveDialogLogic& logic,
                 BrowseFunction browse = BrowseForSaveFile);
    const std::optional<SaveSettings>& Answer() const { return answer_; }

    void reject() override;

private:
    SaveDialogFields Fields() const;
    void SetRange(const FileRangeTexts& range);
    void BitBtn2Click();

    SaveDialogLogic& logic_;
    BrowseFunction browse_;
    std::optional<SaveSettings> answer_;
    QComboBox* name_;
    QButtonGroup* format_;
    HexField* start_;
    HexField* end_;
};

}  // namespace burnmark
